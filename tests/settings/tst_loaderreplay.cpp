// SPDX-License-Identifier: GPL-2.0-or-later

#include "contentfilestore.h"
#include "historystore.h"
#include "rawvaluecheck.h"
#include "settingsfilecheck.h"
#include "storedtext.h"
#include "testenvironment.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using Morv::HistoryStore;

// Replays the fuzzer's starting corpus and the inputs that once broke the loader (fuzz/regressions)
// through the loader of a normal build, on every run: each is made safe for QSettings and loads
// quickly, what was recovered stores and loads back unchanged, and the raw values the loader falls
// back on match QSettings.
class TestLoaderReplay : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        QVERIFY(dir.isValid());
        // The content files the corpus names, as the fuzzer makes them.
        for (const QByteArray &bytes :
             {QByteArray(5000, 'a'), QByteArray(6000, 'b'), QByteArray("small file content")}) {
            QString error;
            QVERIFY2(Morv::ContentFileStore::write(Morv::ContentFileStore::hash(bytes), bytes, &error),
                     qPrintable(error));
        }
        // Damaged inputs warn by design; the warnings themselves are tested elsewhere.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    }

    void replay_data()
    {
        QTest::addColumn<QString>("input");
        for (const char *folder : {"corpus", "regressions"}) {
            QDirIterator it(QStringLiteral(MORV_SOURCE_DIR "/fuzz/") + QLatin1String(folder),
                            {QStringLiteral("*.ini")}, QDir::Files);
            while (it.hasNext()) {
                const QString input = it.next();
                QTest::newRow(qPrintable(QLatin1String(folder) + QLatin1Char('/') + it.fileName())) << input;
            }
        }
        QVERIFY(QDir(QStringLiteral(MORV_SOURCE_DIR "/fuzz/corpus")).entryList(QDir::Files).size() > 2);
    }

    void replay()
    {
        QFETCH(QString, input);
        const QString copy = dir.filePath(QFileInfo(input).fileName());
        QVERIFY(QFile::copy(input, copy));

        QElapsedTimer timer;
        timer.start();
        // As the program does: nothing Qt could not decode safely reaches QSettings.
        QVERIFY(Morv::SettingsFileCheck::makeSafe(copy));
        QSettings settings(copy, QSettings::IniFormat);
        const QList<Morv::Item> history = HistoryStore::loadHistory(settings);
        const QList<Morv::Item> sticky = HistoryStore::loadSticky(settings);
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        for (const Morv::Item &item : sticky)
            QVERIFY(item.isValid() && !item.text().isEmpty());
        QCOMPARE(RawValueCheck::firstDifference(settings), QString());

        QSettings again(dir.filePath(QStringLiteral("again-") + QFileInfo(input).fileName()),
                        QSettings::IniFormat);
        HistoryStore::saveHistory(again, history, false);
        HistoryStore::saveSticky(again, sticky);
        again.sync();
        // A copy, so that the file is parsed again rather than shared with the writer.
        QVERIFY(QFile::copy(again.fileName(), again.fileName() + QStringLiteral(".copy")));
        QSettings reread(again.fileName() + QStringLiteral(".copy"), QSettings::IniFormat);
        QCOMPARE(StoredText::describe(HistoryStore::loadHistory(reread)), StoredText::describe(history));
        QCOMPARE(StoredText::describe(HistoryStore::loadSticky(reread)), StoredText::describe(sticky));
    }
};

QTEST_GUILESS_MAIN(TestLoaderReplay)
#include "tst_loaderreplay.moc"
