// SPDX-License-Identifier: GPL-2.0-or-later

#include "preferences.h"
#include "testenvironment.h"

#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <sys/stat.h>

using Morv::Preferences;

class TestPreferences : public QObject
{
    Q_OBJECT

private:
    static int permissionBits(const QString &path)
    {
        struct stat status;
        if (::stat(QFile::encodeName(path).constData(), &status) != 0)
            return -1;
        return status.st_mode & 0777;
    }

    // The bytes on disk. (A QSettings object on the same path would share the pending changes of
    // the preferences object and so show values that never reached the disk.)
    static QByteArray fileContents()
    {
        QFile file(TestEnvironment::settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void writeFile(const QByteArray &contents)
    {
        QDir().mkpath(QFileInfo(TestEnvironment::settingsFile()).absolutePath());
        QFile file(TestEnvironment::settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
        // QSettings notices a changed file by its size and time stamp; files written in the same
        // millisecond with the same size would look unchanged.
        static int generation = 0;
        file.flush();
        file.setFileTime(QDateTime::currentDateTime().addSecs(++generation),
                         QFileDevice::FileModificationTime);
        file.close();
        Preferences::instance()->sync(); // picks up the new file
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        QVERIFY(!QFile::exists(TestEnvironment::settingsFile()));
    }

    void theFileIsTheIniFileOfMorvClip()
    {
        // Also on a platform whose native format is not INI: start-up makes INI the default.
        QCOMPARE(Preferences::instance()->format(), QSettings::IniFormat);
        QCOMPARE(Preferences::instance()->scope(), QSettings::UserScope);
        QCOMPARE(QFileInfo(Preferences::instance()->fileName()).absoluteFilePath(),
                 QFileInfo(TestEnvironment::settingsFile()).absoluteFilePath());
        QVERIFY(Preferences::instance()->fileName().endsWith(QLatin1String("/morv/morv-clip.ini")));
    }

    void defaultsWithoutAFile()
    {
        Preferences *p = Preferences::instance();
        QCOMPARE(p->historyCount(), 10);
        QCOMPARE(p->displaySize(), 30);
        QCOMPARE(p->trim(), true);
        QCOMPARE(p->shortcut(), QStringLiteral("CTRL+ALT+V"));
        QCOMPARE(p->trayIconFile(), QStringLiteral(":/icons/morv-clip.png"));
        QCOMPARE(p->platformExtensions(), false);
        QCOMPARE(p->synchronizePSE(), 0);
        QCOMPARE(p->synchronizePSEOnSelect(), false);
        QCOMPARE(p->synchronizePSEInstantly(), false);
        QCOMPARE(p->synchronizeHistory(), true);
        QCOMPARE(p->clearItemsOnExit(), false);
        QCOMPARE(p->confirmClear(), true);
        // Reading writes nothing.
        QCoreApplication::processEvents();
        QVERIFY(!QFile::exists(TestEnvironment::settingsFile()));
    }

    void valuesAreReadAtTheMomentOfUse()
    {
        Preferences *p = Preferences::instance();
        p->setValue(QStringLiteral("historyCount"), 42);
        QCOMPARE(p->historyCount(), 42);
        p->setValue(QStringLiteral("historyCount"), 7);
        QCOMPARE(p->historyCount(), 7);
        p->remove(QStringLiteral("historyCount"));
        QCOMPARE(p->historyCount(), 10);
    }

    void valuesThatDoNotConvertReadAsZeroNotAsTheDefault()
    {
        writeFile("[General]\ndisplaySize=wide\nconfirmClear=perhaps\n"
                  "synchronizeHistory=0\ntrim=false\n");
        Preferences *p = Preferences::instance();
        QCOMPARE(p->displaySize(), 0);
        QCOMPARE(p->synchronizeHistory(), false);
        QCOMPARE(p->trim(), false);
        // QVariant's rule: any string other than "", "0" and "false" is true.
        QCOMPARE(p->confirmClear(), true);
    }

    void handEditedValuesNeverCostTheHistory_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("historyCount");
        QTest::addColumn<bool>("clearItemsOnExit");
        QTest::addColumn<QString>("warning"); // empty: none

        QTest::newRow("count 12") << QByteArray("historyCount=12") << 12 << false << QString();
        QTest::newRow("count 1") << QByteArray("historyCount=1") << 1 << false << QString();
        QTest::newRow("count 0")
            << QByteArray("historyCount=0") << 10 << false
            << QStringLiteral(
                   "\"historyCount\" is \"0\": not a count of 1 or more; the history keeps 10 items");
        QTest::newRow("count -3") << QByteArray("historyCount=-3") << 10 << false
                                  << QStringLiteral("\"historyCount\" is \"-3\": not a count");
        // Non-numeric reads as 0 under Qt's rules, and so as the default.
        QTest::newRow("count lots") << QByteArray("historyCount=lots") << 10 << false
                                    << QStringLiteral("\"historyCount\" is \"lots\": not a count");
        for (const char *on : {"true", "TRUE", "1", "yes", "On", " on "})
            QTest::addRow("clear %s", on) << QByteArray("clearItemsOnExit=") + on << 10 << true << QString();
        for (const char *off : {"false", "0", "No", "OFF"})
            QTest::addRow("keep %s", off)
                << QByteArray("clearItemsOnExit=") + off << 10 << false << QString();
        for (const char *unclear : {"perhaps", "2", "y", "\"\""})
            QTest::addRow("unclear %s", unclear)
                << QByteArray("clearItemsOnExit=") + unclear << 10 << false
                << QStringLiteral("\"clearItemsOnExit\" is \".*\": neither on nor off; the history is kept");
    }

    void handEditedValuesNeverCostTheHistory()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, historyCount);
        QFETCH(bool, clearItemsOnExit);
        QFETCH(QString, warning);
        writeFile("[General]\n" + line + "\n");
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        if (!warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("morv-clip.ini: ") + warning));
        // Read at every capture, reported once.
        for (int read = 0; read < 3; ++read) {
            QCOMPARE(Preferences::instance()->historyCount(), historyCount);
            QCOMPARE(Preferences::instance()->clearItemsOnExit(), clearItemsOnExit);
        }
    }

    void theDialogsValuesReadBack()
    {
        Preferences *p = Preferences::instance();
        p->setValue(QStringLiteral("clearItemsOnExit"), true);
        QCOMPARE(p->clearItemsOnExit(), true);
        p->setValue(QStringLiteral("clearItemsOnExit"), false);
        QCOMPARE(p->clearItemsOnExit(), false);
    }

    void derivedQueries_data()
    {
        QTest::addColumn<QString>("platformExtensions");
        QTest::addColumn<QString>("synchronizePSE");
        QTest::addColumn<bool>("onSelect");
        QTest::addColumn<bool>("instantly");
        QTest::newRow("off, 0") << "false"
                                << "0" << false << false;
        QTest::newRow("off, 1") << "false"
                                << "1" << false << false;
        QTest::newRow("off, 2") << "false"
                                << "2" << false << false;
        QTest::newRow("on, 0") << "true"
                               << "0" << false << false;
        QTest::newRow("on, 1") << "true"
                               << "1" << true << false;
        QTest::newRow("on, 2") << "true"
                               << "2" << true << true;
        QTest::newRow("on, 3") << "true"
                               << "3" << true << false;
        QTest::newRow("on, garbage") << "true"
                                     << "x" << false << false;
    }

    void derivedQueries()
    {
        QFETCH(QString, platformExtensions);
        QFETCH(QString, synchronizePSE);
        QFETCH(bool, onSelect);
        QFETCH(bool, instantly);
        writeFile("[General]\nplatformExtensions=" + platformExtensions.toUtf8() +
                  "\nsynchronizePSE=" + synchronizePSE.toUtf8() + "\n");
        QCOMPARE(Preferences::instance()->synchronizePSEOnSelect(), onSelect);
        QCOMPARE(Preferences::instance()->synchronizePSEInstantly(), instantly);
    }

    void setTrayIconFileReachesTheDiskAtOnce()
    {
        QFile::remove(TestEnvironment::settingsFile());
        Preferences::instance()->sync();
        Preferences::instance()->setTrayIconFile(QStringLiteral("/usr/share/pixmaps/some.png"));
        QVERIFY(fileContents().contains("tray_icon_file=/usr/share/pixmaps/some.png\n"));
        QCOMPARE(Preferences::instance()->trayIconFile(), QStringLiteral("/usr/share/pixmaps/some.png"));
    }

    void theFileAndItsFolderArePrivate()
    {
        const QString file = TestEnvironment::settingsFile();
        const QString folder = QFileInfo(file).absolutePath();
        QDir(folder).removeRecursively();
        QVERIFY(!QFile::exists(folder));

        ::umask(022); // the usual umask, under which QSettings alone would make both world-readable
        Preferences::instance()->setValue(QStringLiteral("historyCount"), 12);
        Preferences::instance()->sync();
        QCOMPARE(permissionBits(folder), 0700);
        QCOMPARE(permissionBits(file), 0600);

        // Every later rewrite keeps them, the deferred write-back of QSettings included.
        Preferences::instance()->setValue(QStringLiteral("historyCount"), 13);
        QTRY_VERIFY(fileContents().contains("historyCount=13\n"));
        QCOMPARE(permissionBits(file), 0600);

        // Permissions loosened by hand are tightened at the next write.
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        Preferences::instance()->setValue(QStringLiteral("historyCount"), 14);
        Preferences::instance()->sync();
        QCOMPARE(permissionBits(folder), 0700);
        QCOMPARE(permissionBits(file), 0600);
    }

    void aFailedWriteIsReportedOnceAndRepairedByTheNextSave()
    {
        const QString file = TestEnvironment::settingsFile();
        const QString folder = QFileInfo(file).absolutePath();
        QDir(folder).removeRecursively();
        // A plain file where the folder should be: no write can succeed, not even as root.
        {
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        Preferences *p = Preferences::instance();
        p->setValue(QStringLiteral("displaySize"), 77);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "^Could not write the settings file .*morv-clip\\.ini")));
        p->sync();
        QVERIFY(!p->lastSyncSucceeded());
        // No second warning while the failure goes on (an unexpected message fails the test).
        p->setValue(QStringLiteral("displaySize"), 78);
        p->sync();
        QVERIFY(!p->lastSyncSucceeded());
        QCOMPARE(p->displaySize(), 78);

        QVERIFY(QFile::remove(folder));
        p->sync();
        QVERIFY(p->lastSyncSucceeded());
        QVERIFY(fileContents().contains("displaySize=78\n"));
        QCOMPARE(permissionBits(file), 0600);
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
