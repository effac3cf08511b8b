// SPDX-License-Identifier: GPL-2.0-or-later

#include "historyfilewriter.h"
#include "historysaver.h"
#include "historystore.h"
#include "item.h"
#include "legacyclipboardcontent.h"
#include "storedtext.h"

#include <QLockFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include <sys/stat.h>

using Morv::ClipboardContent;
using Morv::HistoryFileWriter;
using Morv::HistorySaver;
using Morv::HistoryStore;
using Morv::Item;
using StoredText::describe;

Q_DECLARE_METATYPE(Morv::Item)

// The history written past QSettings: the same bytes QSettings would write, the rest of the file
// left alone, and the background saver's ordering rules.
class TestHistoryFileWriter : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    int files = 0;

    QString newFile(const QByteArray &contents = QByteArray())
    {
        const QString name = dir.filePath(QStringLiteral("settings%1.ini").arg(++files));
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

    // Every value QSettings reads from the file, as text.
    static QMap<QString, QString> values(const QString &name)
    {
        QSettings settings(name, QSettings::IniFormat);
        QMap<QString, QString> result;
        for (const QString &key : settings.allKeys()) {
            const QVariant value = settings.value(key);
            result.insert(key, value.typeId() == QMetaType::QStringList ? value.toStringList().join(u'|')
                                                                        : value.toString());
        }
        return result;
    }

    // The same, without the keys of the history.
    static QMap<QString, QString> otherValues(const QString &name)
    {
        QMap<QString, QString> result = values(name);
        result.removeIf(
            [](const auto &entry) { return entry.key().startsWith(QLatin1String("dynamic/items")); });
        return result;
    }

    static QList<Item> history(const QString &name)
    {
        QSettings settings(name, QSettings::IniFormat);
        return HistoryStore::loadHistory(settings);
    }

    static Item text(const QString &text)
    {
        return Item(QClipboard::Clipboard, Morv::PlainText, {{QStringLiteral("text/plain"), text.toUtf8()}});
    }

    static QList<Item> texts(const QStringList &list)
    {
        QList<Item> items;
        for (const QString &t : list)
            items.append(text(t));
        return items;
    }

    // Bytes that exercise every escaping rule: control characters, quotes, backslashes, the
    // characters that make QSettings quote a value, hexadecimal digits after escapes, bytes
    // above 0x7e, spaces at both ends.
    static QByteArray trickyBytes(QRandomGenerator &random, int size)
    {
        static const char characters[] =
            "\0\x01\x07\x08\t\n\x0b\x0c\r\x1f \"\\;,=09afAFgx@()\x7f\x80\xa0\xff";
        static const QByteArray alphabet(characters, sizeof characters - 1);
        QByteArray bytes;
        for (int i = 0; i < size; ++i) {
            bytes += random.bounded(4) == 0 ? char(random.bounded(256))
                                            : alphabet.at(random.bounded(int(alphabet.size())));
        }
        return bytes;
    }

    static QList<Item> randomItems(quint32 pattern, int count)
    {
        QRandomGenerator random(pattern);
        QList<Item> items;
        for (int i = 0; i < count; ++i) {
            ClipboardContent content;
            const int formats = random.bounded(4);
            for (int f = 0; f < formats; ++f)
                content.insert(QStringLiteral("application/x-f%1").arg(f),
                               trickyBytes(random, random.bounded(300)));
            if (random.bounded(2))
                content.insert(QStringLiteral("text/plain"), trickyBytes(random, random.bounded(40)));
            if (random.bounded(5) == 0)
                content.insert(QStringLiteral("application/x-null"), QByteArray());
            const auto mode = static_cast<QClipboard::Mode>(random.bounded(3));
            // Unknown types, taken over from damaged files, are stored as they are.
            const auto type =
                static_cast<Morv::ContentType>(random.bounded(3) == 0 ? 0xfffffff0u - i : i % 5);
            items.append(Item(mode, type, content));
        }
        return items;
    }

    static void holdLock(QLockFile &lock) { QVERIFY(lock.lock()); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        Morv::LegacyClipboardContent::registerMetaTypes();
    }

    void sameBytesAsQSettings_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QList<Item>>("items");
        QTest::addColumn<bool>("clearItemsOnExit");

        // The other sections as QSettings writes them; the history goes between them.
        const QByteArray others = "[General]\nhistoryCount=12\nshortcut=CTRL+ALT+V\n\n[alpha]\nk=v\n\n"
                                  "[sticky]\nitems\\1\\text=pinned\nitems\\size=1\n\n[zeta]\nx=1\n";
        const QByteArray oldHistory = "[General]\nhistoryCount=12\n\n[dynamic]\nitems\\1\\contentType=0\n"
                                      "items\\1\\mode=0\nitems\\size=1\n";
        QTest::newRow("no file, empty history") << QByteArray() << QList<Item>() << false;
        QTest::newRow("no file, one text") << QByteArray() << texts({"hello"}) << false;
        QTest::newRow("other sections, twelve items") << others << randomItems(1, 12) << false;
        QTest::newRow("other sections, clear on exit") << others << randomItems(2, 3) << true;
        QTest::newRow("an older history replaced") << oldHistory << randomItems(3, 25) << false;
        QTest::newRow("an older history cleared") << oldHistory << randomItems(4, 2) << true;
        QTest::newRow("history as last section")
            << QByteArray("[General]\na=1\n") << randomItems(5, 4) << false;
        QTest::newRow("history as first section")
            << QByteArray("[zeta]\nb=2\n") << randomItems(6, 4) << false;
        for (quint32 pattern = 10; pattern < 20; ++pattern)
            QTest::addRow("random %u", pattern) << others << randomItems(pattern, 3) << false;
    }

    void sameBytesAsQSettings()
    {
        QFETCH(QByteArray, before);
        QFETCH(QList<Item>, items);
        QFETCH(bool, clearItemsOnExit);

        const QString byQSettings = newFile(before);
        {
            QSettings settings(byQSettings, QSettings::IniFormat);
            HistoryStore::saveHistory(settings, items, clearItemsOnExit);
            settings.sync();
            QCOMPARE(settings.status(), QSettings::NoError);
        }
        const QString byWriter = newFile(before);
        QString error;
        QVERIFY2(HistoryFileWriter::write(byWriter, items, clearItemsOnExit, &error), qPrintable(error));
        QCOMPARE(contents(byWriter), contents(byQSettings));
        if (!clearItemsOnExit)
            QCOMPARE(describe(history(byWriter)), describe(items));
    }

    void everyOtherLineStays()
    {
        // Laid out by hand: comments, CRLF line ends, a continued line, history keys in the section
        // General and in a section of their own, a history section with a key of another kind and
        // a differently cased group.
        const QByteArray before = "; written by hand\r\n"
                                  "[General]\r\n"
                                  "historyCount=7\r\n"
                                  "dynamic\\items\\3\\mode=1\r\n"
                                  "note=\"a, b\" ; and a comment\r\n"
                                  "long=first\\\r\nsecond\r\n"
                                  "\r\n"
                                  "[dynamic]\r\n"
                                  "items\\1\\mode=2\r\n"
                                  "items\\size=9\r\n"
                                  "kept=yes\r\n"
                                  "\r\n"
                                  "[dynamic\\items\\8]\r\n"
                                  "mode=0\r\n"
                                  "\r\n"
                                  "[Dynamic]\r\n"
                                  "items\\size=3\r\n"
                                  "; the end\r\n";
        const QString name = newFile(before);
        const QMap<QString, QString> expected = otherValues(name);

        const QList<Item> items = texts({"first", "second"});
        QVERIFY(HistoryFileWriter::write(name, items, false));
        QCOMPARE(describe(history(name)), describe(items));
        QCOMPARE(otherValues(name), expected);
        QCOMPARE(expected.value(QStringLiteral("dynamic/kept")), QStringLiteral("yes"));
        QCOMPARE(expected.value(QStringLiteral("Dynamic/items/size")), QStringLiteral("3"));
        const QByteArray written = contents(name);
        QVERIFY(written.startsWith("; written by hand\n"));
        QVERIFY(written.contains("[General]\r\nhistoryCount=7\r\nnote=\"a, b\" ; and a comment\r\n"));
        QVERIFY(written.contains("long=first\\\r\nsecond\n\n[dynamic]"));
        QVERIFY(written.contains("[Dynamic]\r\nitems\\size=3\r\n; the end\n"));
        QVERIFY(!written.contains("[dynamic\\items\\8]"));

        // Written again with nothing to keep of the history: the section goes, its other key stays.
        QVERIFY(HistoryFileWriter::write(name, items, true));
        QVERIFY(history(name).isEmpty());
        QCOMPARE(values(name).value(QStringLiteral("dynamic/kept")), QStringLiteral("yes"));
    }

    void theLastLayoutSavesReadingTheFile()
    {
        const QByteArray others =
            "[General]\nhistoryCount=12\n\n[sticky]\nitems\\1\\text=pinned\nitems\\size=1\n";
        const QString name = newFile(others);
        HistoryFileWriter::Layout layout;
        QVERIFY(HistoryFileWriter::write(name, randomItems(30, 6), false, nullptr, &layout));
        QVERIFY(layout.historyBegin > 0);
        QCOMPARE(layout.fileSize, QFileInfo(name).size());

        // Replaced in place, it gives the bytes a full reading of the file gives.
        const QString fullyRead = newFile(contents(name));
        const QList<Item> next = randomItems(31, 9);
        QVERIFY(HistoryFileWriter::write(name, next, false, nullptr, &layout));
        QVERIFY(HistoryFileWriter::write(fullyRead, next, false));
        QCOMPARE(contents(name), contents(fullyRead));
        QCOMPARE(describe(history(name)), describe(next));

        // Another writer changed the file meanwhile: its change stays.
        {
            QSettings dialog(name, QSettings::IniFormat);
            dialog.setValue(QStringLiteral("trim"), false);
        }
        QVERIFY(HistoryFileWriter::write(name, texts({"after"}), false, nullptr, &layout));
        QCOMPARE(values(name).value(QStringLiteral("trim")), QStringLiteral("false"));
        QCOMPARE(describe(history(name)), describe(texts({"after"})));

        // A history section with other keys in it is never replaced whole.
        const QString mixed = newFile("[dynamic]\nkept=yes\n");
        HistoryFileWriter::Layout mixedLayout;
        QVERIFY(HistoryFileWriter::write(mixed, texts({"a"}), false, nullptr, &mixedLayout));
        QCOMPARE(mixedLayout.historyBegin, -1);
        QVERIFY(HistoryFileWriter::write(mixed, texts({"b"}), false, nullptr, &mixedLayout));
        QCOMPARE(values(mixed).value(QStringLiteral("dynamic/kept")), QStringLiteral("yes"));
        QCOMPARE(describe(history(mixed)), describe(texts({"b"})));
    }

    void aFailedWriteLeavesTheFileAlone()
    {
        const QString folder = dir.filePath(QStringLiteral("blocked"));
        {
            // A plain file where the folder should be: no write succeeds, not even as root.
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        QString error;
        QVERIFY(!HistoryFileWriter::write(folder + QStringLiteral("/morv-clip.ini"), texts({"a"}), false,
                                          &error));
        QVERIFY(!error.isEmpty());

        // A new file is private to the user.
        const QString name = dir.filePath(QStringLiteral("private/morv-clip.ini"));
        QVERIFY(HistoryFileWriter::write(name, texts({"a"}), false));
        struct stat status;
        QCOMPARE(::stat(QFile::encodeName(name).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, 0600u);
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
        QCOMPARE(values(name).value(QStringLiteral("a")), QStringLiteral("1"));
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

    void unchangedHistoryIsNotWrittenAgain()
    {
        const QString name = newFile();
        HistorySaver saver(name);
        const QList<Item> items = randomItems(7, 5);
        QVERIFY(saver.saveNow(items, false));
        struct stat first;
        QCOMPARE(::stat(QFile::encodeName(name).constData(), &first), 0);
        QVERIFY(saver.saveNow(items, false));
        struct stat second;
        QCOMPARE(::stat(QFile::encodeName(name).constData(), &second), 0);
        QCOMPARE(second.st_ino, first.st_ino); // each write puts a new file in place

        // Another writer changed the file meanwhile: written again.
        {
            QSettings other(name, QSettings::IniFormat);
            other.remove(QStringLiteral("dynamic"));
        }
        QVERIFY(history(name).isEmpty());
        QVERIFY(saver.saveNow(items, false));
        QCOMPARE(describe(history(name)), describe(items));
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
        QVERIFY(!saver.retry());

        QVERIFY(QFile::remove(folder));
        QVERIFY(saver.retry());
        QCOMPARE(describe(history(name)), describe(texts({"kept"})));
        QVERIFY(saver.retry()); // nothing left
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

QTEST_GUILESS_MAIN(TestHistoryFileWriter)
#include "tst_historyfilewriter.moc"
