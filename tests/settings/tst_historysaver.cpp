// SPDX-License-Identifier: GPL-2.0-or-later

#include "historysaver.h"
#include "historystore.h"
#include "item.h"
#include "storedtext.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include <sys/stat.h>

using Morv::HistorySaver;
using Morv::HistoryStore;
using Morv::Item;
using StoredText::describe;

// The background saver's rules: only the newest of several waiting saves is written, a save now
// comes after the one under way, a failed save is kept for the retry, what waits at the end is
// written, and the rest of the settings file stays as it was.
class TestHistorySaver : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    int files = 0;

    QString newFile(const QByteArray &contents = QByteArray())
    {
        const QString name = dir.filePath(QStringLiteral("settings%1/morv-clip.ini").arg(++files));
        QDir().mkpath(QFileInfo(name).absolutePath());
        if (!contents.isNull()) {
            QFile file(name);
            if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
                return QString();
        }
        return name;
    }

    static QByteArray contents(const QString &name)
    {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QList<Item> history(const QString &name)
    {
        QSettings settings(name, QSettings::IniFormat);
        return HistoryStore::loadHistory(settings);
    }

    static QList<Item> texts(const QStringList &list)
    {
        QList<Item> items;
        for (const QString &text : list)
            items.append(Item(QClipboard::Clipboard, Morv::PlainText,
                              {{QStringLiteral("text/plain"), text.toUtf8()}}));
        return items;
    }

    static void holdLock(QLockFile &lock) { QVERIFY(lock.lock()); }

private Q_SLOTS:
    void initTestCase()
    {
        // The saver removes unused content files: those of the test folders, never a user's.
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(dir.isValid());
    }

    void theRestOfTheFileStays()
    {
        const QString name = newFile("[General]\nhistoryCount=7\n\n[other]\nkey=\"a, b\"\n\n"
                                     "[sticky]\nitems\\1\\text=pinned\nitems\\size=1\n");
        ::chmod(QFile::encodeName(name).constData(), 0644);
        {
            HistorySaver saver(name);
            QVERIFY(saver.saveNow(texts({"one", "two"}), false));
        }
        QCOMPARE(describe(history(name)), describe(texts({"one", "two"})));
        QSettings settings(name, QSettings::IniFormat);
        QCOMPARE(settings.value("historyCount").toInt(), 7);
        QCOMPARE(settings.value("other/key").toString(), QStringLiteral("a, b"));
        QCOMPARE(settings.value("sticky/items/1/text").toString(), QStringLiteral("pinned"));
        // Private to the user, and no copy of it left beside it.
        struct stat status;
        QCOMPARE(::stat(QFile::encodeName(name).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, 0600u);
        QCOMPARE(QDir(QFileInfo(name).absolutePath()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"morv-clip.ini"});

        // With "clearItemsOnExit" the history goes, the rest stays.
        {
            HistorySaver saver(name);
            QVERIFY(saver.saveNow(texts({"three"}), true));
        }
        QVERIFY(history(name).isEmpty());
        QVERIFY(!contents(name).contains("[dynamic]"));
        QVERIFY(contents(name).contains("items\\1\\text=pinned"));
    }

    // Damaged since the program read it (a hand edit, another program): QSettings would decode it
    // all to write it, and recent Qt would throw on the saver's thread.
    void aFileQtCannotReadSafelyIsMendedBeforeItIsWritten()
    {
        const QByteArray damaged = "[General]\nhistoryCount=7\nbroken=" +
                                   StoredText::iniVariant(StoredText::u32(9) + StoredText::u32(0x3c70683e)) +
                                   "\n";
        const QString name = newFile(damaged);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "\"broken\" holds a list of 1013999678 values in 1 "
                                               "byte, which Qt cannot read safely; .*original file is "
                                               "kept in .*morv-clip.ini.damaged-")));
        {
            HistorySaver saver(name);
            QVERIFY(saver.saveNow(texts({"one"}), false));
        }
        QCOMPARE(describe(history(name)), describe(texts({"one"})));
        QSettings settings(name, QSettings::IniFormat);
        QCOMPARE(settings.value("historyCount").toInt(), 7);
        QVERIFY(!settings.contains("broken"));
        const QStringList kept =
            QDir(QFileInfo(name).absolutePath()).entryList({QStringLiteral("morv-clip.ini.damaged-*")});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(contents(QFileInfo(name).absolutePath() + QLatin1Char('/') + kept.constFirst()), damaged);
    }

    void savesWaitForTheLockAndOnlyTheNewestWaits()
    {
        const QString name = newFile("[General]\na=1\n");
        HistorySaver saver(name);
        QSignalSpy written(&saver, &HistorySaver::written);
        {
            // QSettings in another program, say, is writing the file.
            QLockFile lock(name + QStringLiteral(".lock"));
            holdLock(lock);
            for (int i = 1; i <= 5; ++i)
                saver.saveLater(texts({QStringLiteral("copy %1").arg(i)}), false);
            QTest::qWait(100);
            QCOMPARE(contents(name), QByteArray("[General]\na=1\n"));
        }
        saver.waitForIdle();
        QCOMPARE(describe(history(name)), describe(texts({"copy 5"})));
        // The first save may have been under way already; the three between were never written.
        QTRY_VERIFY(written.count() >= 1);
        QTest::qWait(50);
        QVERIFY(written.count() <= 2);
        for (const QList<QVariant> &call : std::as_const(written))
            QVERIFY(call.at(0).toBool());
        QSettings settings(name, QSettings::IniFormat);
        QCOMPARE(settings.value("a").toString(), QStringLiteral("1"));
    }

    void saveNowComesAfterTheWriteUnderWay()
    {
        const QString name = newFile();
        HistorySaver saver(name);
        auto lock = std::make_unique<QLockFile>(name + QStringLiteral(".lock"));
        holdLock(*lock);
        saver.saveLater(texts({"under way"}), false);
        QTest::qWait(50);
        saver.saveLater(texts({"waiting"}), false);
        // Released while saveNow() waits for the write under way.
        std::thread unlocker([&lock] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            lock.reset();
        });
        QVERIFY(saver.saveNow(texts({"now"}), false));
        unlocker.join();
        saver.waitForIdle();
        QCOMPARE(describe(history(name)), describe(texts({"now"})));
    }

    void aFailedSaveIsKeptForTheRetry()
    {
        const QString folder = dir.filePath(QStringLiteral("later"));
        const QString name = folder + QStringLiteral("/morv-clip.ini");
        {
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        HistorySaver saver(name);
        QSignalSpy written(&saver, &HistorySaver::written);
        saver.saveLater(texts({"kept"}), false);
        QTRY_COMPARE(written.count(), 1);
        QCOMPARE(written.at(0).at(0).toBool(), false);
        QVERIFY(!written.at(0).at(1).toString().isEmpty());
        QVERIFY(!saver.retryLater());
        QTRY_COMPARE(written.count(), 2);
        QCOMPARE(written.at(1).at(0).toBool(), false);

        // The retry is the saver's: the caller (the GUI thread) never waits for the file's lock.
        QVERIFY(QFile::remove(folder));
        QVERIFY(QDir().mkpath(folder));
        auto lock = std::make_unique<QLockFile>(name + QStringLiteral(".lock"));
        holdLock(*lock);
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(!saver.retryLater());
        QVERIFY2(elapsed.elapsed() < 1000, qPrintable(QString::number(elapsed.elapsed())));
        QTest::qWait(100);
        lock.reset();
        QTRY_COMPARE_WITH_TIMEOUT(written.count(), 3, 15000);
        QCOMPARE(written.at(2).at(0).toBool(), true);
        QCOMPARE(describe(history(name)), describe(texts({"kept"})));
        QVERIFY(saver.retryLater()); // nothing left
    }

    void destructionWritesWhatWaits()
    {
        const QString name = newFile();
        {
            HistorySaver saver(name);
            saver.saveLater(texts({"one"}), false);
            saver.saveLater(texts({"two"}), false);
        }
        QCOMPARE(describe(history(name)), describe(texts({"two"})));
    }
};

QTEST_GUILESS_MAIN(TestHistorySaver)
#include "tst_historysaver.moc"
