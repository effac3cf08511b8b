// SPDX-License-Identifier: GPL-2.0-or-later

#include "contentfilestore.h"
#include "historystore.h"
#include "item.h"
#include "storagelock.h"
#include "testenvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <csignal>

using Morv::ContentFileStore;
using Morv::Item;

// A real process that stores pictures without pause is killed (SIGKILL) at random moments, many
// times over: whatever it was doing (hashing, writing a content file or the settings file,
// deleting), the settings file it leaves names only content files that are complete. Every format
// of every stored item is checked by hash, and the next start removes what was left half done.
class TestCrashSafety : public QObject
{
    Q_OBJECT

    static QStringList folderEntries(const QString &folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    // Loads what a restart would load, and checks every format against the hash the item's text
    // declares for it. The hashes of the content files named.
    static QSet<QString> checkStoredHistory()
    {
        QSet<QString> named;
        QFile::remove(TestEnvironment::settingsFile() + QStringLiteral(".check"));
        if (!QFile::copy(TestEnvironment::settingsFile(),
                         TestEnvironment::settingsFile() + QStringLiteral(".check")))
            return named; // nothing stored yet
        QSettings settings(TestEnvironment::settingsFile() + QStringLiteral(".check"), QSettings::IniFormat);
        const QList<Item> items = Morv::HistoryStore::loadHistory(settings);
        for (const Item &item : items) {
            const QStringList declared = item.text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            [&] { QCOMPARE(item.largeContents().size(), declared.size()); }();
            for (const QString &format : declared) {
                const QString name = format.section(QLatin1Char('='), 0, 0);
                const QByteArray hash = format.section(QLatin1Char('='), 1).toLatin1();
                const QByteArray bytes = item.data(name);
                [&] {
                    QCOMPARE(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(), hash);
                    QCOMPARE(item.largeContents().value(name).sha256(), hash);
                }();
                named.insert(QString::fromLatin1(hash));
            }
        }
        QFile::remove(settings.fileName());
        return named;
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        QDir(ContentFileStore::folder()).removeRecursively();
        // A damaged or dangling reference would say so.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    }

    void killedAtRandomMoments()
    {
        const int rounds = 30;
        QRandomGenerator random(QRandomGenerator::global()->generate());
        int leftBehind = 0;
        int storedItems = 0;
        for (int round = 0; round < rounds; ++round) {
            QProcess saver;
            saver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            saver.start(QStringLiteral(PICTURESAVER_HELPER), {QString::number(random.generate())});
            QVERIFY(saver.waitForReadyRead(20000));
            QCOMPARE(saver.readLine(), QByteArray("ready\n"));
            QTest::qWait(int(random.bounded(40, 700)));
            ::kill(pid_t(saver.processId()), SIGKILL);
            QVERIFY(saver.waitForFinished(10000));
            QCOMPARE(saver.exitStatus(), QProcess::CrashExit);

            const QSet<QString> named = checkStoredHistory();
            if (QTest::currentTestFailed())
                return;
            storedItems += named.size();
            const QStringList present = folderEntries(ContentFileStore::folder());
            for (const QString &hash : named)
                QVERIFY2(present.contains(hash), qPrintable(hash));
            if (present.size() > named.size())
                ++leftBehind;
        }
        qInfo("%d rounds, %d content files checked, %d kills left files nothing names", rounds, storedItems,
              leftBehind);

        // The next start takes what the killed processes left half done.
        QProcess start;
        start.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        start.start(QStringLiteral(PICTURESAVER_HELPER), {QStringLiteral("start")});
        QVERIFY(start.waitForFinished(20000));
        QCOMPARE(start.exitCode(), 0);
        QStringList named = checkStoredHistory().values();
        named.sort();
        QCOMPARE(folderEntries(ContentFileStore::folder()), named);
        // Besides the settings file, at most the lock file of a killed write (the next lock takes
        // it over), never a copy of the settings file of ours.
        const QStringList settingsFolder =
            folderEntries(QFileInfo(TestEnvironment::settingsFile()).absolutePath());
        QVERIFY2(settingsFolder.contains(QStringLiteral("morv-clip.ini")),
                 qPrintable(settingsFolder.join(", ")));
        for (const QString &entry : settingsFolder)
            QVERIFY2(entry == QLatin1String("morv-clip.ini") || entry == QLatin1String("morv-clip.ini.lock"),
                     qPrintable(settingsFolder.join(", ")));
    }

    // Another process of the same home (another session's instance) while this one stores the
    // history: it neither stores nor deletes anything, and says so once.
    void anotherProcessOfTheHomeTouchesNothing_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::newRow("start-up removal") << QStringLiteral("start");
        QTest::newRow("saving pictures") << QStringLiteral("7");
    }

    void anotherProcessOfTheHomeTouchesNothing()
    {
        QFETCH(QString, argument);
        QVERIFY(Morv::StorageLock::acquire());
        QVERIFY(QDir().mkpath(ContentFileStore::folder()));
        const QString orphan =
            ContentFileStore::filePath(ContentFileStore::hash("only held by this process"));
        {
            QFile file(orphan);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("only held by this process");
        }
        const QStringList before = folderEntries(ContentFileStore::folder());
        QFile settings(TestEnvironment::settingsFile());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        const QByteArray ini = settings.readAll();
        settings.close();

        QProcess other;
        other.start(QStringLiteral(PICTURESAVER_HELPER), {argument});
        if (argument != QLatin1String("start")) {
            QVERIFY(other.waitForReadyRead(20000));
            QTest::qWait(700);
            other.kill();
        }
        QVERIFY(other.waitForFinished(20000));
        const QByteArray said = other.readAllStandardError();
        QVERIFY2(said.count("in memory only") == 1, said.constData());
        QCOMPARE(folderEntries(ContentFileStore::folder()), before);
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QCOMPARE(settings.readAll(), ini);
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
