// SPDX-License-Identifier: GPL-2.0-or-later

#include "contentfilestore.h"
#include "historystore.h"
#include "preferencekeys.h"
#include "storedtext.h"
#include "testenvironment.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace StoredText;

// Damaged settings files, as hand edits, cut copies and broken disks leave them. The loader keeps
// whatever is sound and writes one warning per problem; any other warning fails the test.
class TestDamagedHistory : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    // Writes the case's file (a file of its own per case: QSettings keeps parsed files by name)
    // and expects exactly these warnings from here on; empty when the file could not be written.
    QString caseFile(const QString &prefix, const QByteArray &ini, const QStringList &warnings)
    {
        const QString file =
            dir.filePath(prefix + QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".ini"));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(ini) != ini.size())
            return QString();
        out.close();
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        for (const QString &warning : warnings)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
        return file;
    }

    static QByteArray item(int index, const QByteArray &content, const QByteArray &mode = "0",
                           const QByteArray &type = "0")
    {
        const QByteArray prefix = "items\\" + QByteArray::number(index) + "\\";
        return prefix + "content=" + content + "\n" + prefix + "contentType=" + type + "\n" + prefix +
               "mode=" + mode + "\n";
    }

    static QByteArray text(const QString &format, const QByteArray &data)
    {
        return iniVariant(header("QHash<QString,QByteArray>", 1) + entry(format, data));
    }

private Q_SLOTS:
    static QByteArray files(int index, const QByteArray &list)
    {
        return "items\\" + QByteArray::number(index) + "\\contentFiles=" + list + "\n";
    }

    void initTestCase()
    {
        TestEnvironment::setUp();
        QVERIFY(dir.isValid());
        // The content files the cases below name.
        QString error;
        for (const QByteArray &bytes :
             {QByteArray(5000, 'a'), QByteArray(6000, 'b'), QByteArray("small file content")})
            QVERIFY2(Morv::ContentFileStore::write(Morv::ContentFileStore::hash(bytes), bytes, &error),
                     qPrintable(error));
    }

    void loadsWhatIsSound_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<QStringList>("sticky");
        QTest::addColumn<QStringList>("warnings");

        const QByteArray a = text("text/plain", "a");
        const QByteArray b = text("text/plain", "b");
        const QByteArray c = text("text/plain", "c");
        const QByteArray two = header("QHash<QString,QByteArray>", 3) + entry("text/plain", "one") +
                               entry("text/html", "<i>two</i>");

        QTest::newRow("sound") << "[dynamic]\n" + item(1, a) + item(2, b, "1", "1") + "items\\size=2\n"
                               << QStringList{"0 0 {text/plain=a}", "1 1 {text/plain=b}"} << QStringList{}
                               << QStringList{};
        QTest::newRow("size too large")
            << "[dynamic]\n" + item(1, a) + item(2, b) + "items\\size=4\n"
            << QStringList{"0 0 {text/plain=a}", "0 0 {text/plain=b}"} << QStringList{}
            << QStringList{"history: the number of items is 4, but the file holds 2 items numbered 1 to 2"};
        QTest::newRow("size too small, a gap")
            << "[dynamic]\n" + item(1, a) + item(2, b) + item(5, c) + "items\\size=1\n"
            << QStringList{"0 0 {text/plain=a}", "0 0 {text/plain=b}", "0 0 {text/plain=c}"} << QStringList{}
            << QStringList{"number of items is 1, but the file holds 3 items numbered 1 to 5"};
        QTest::newRow("size not a number")
            << "[dynamic]\n" + item(1, a) + item(2, b) + "items\\size=lots\n"
            << QStringList{"0 0 {text/plain=a}", "0 0 {text/plain=b}"} << QStringList{}
            << QStringList{"number of items \"lots\" is not a count; loading the 2 items"};
        // The old loop would have read two thousand million empty items.
        QTest::newRow("size huge, no size")
            << "[dynamic]\n" + item(1, a) + "items\\size=2147483647\n[sticky]\nitems\\1\\text=x\n"
            << QStringList{"0 0 {text/plain=a}"} << QStringList{"x"}
            << QStringList{
                   "history: the number of items is 2147483647, but the file holds 1 item numbered 1 to 1",
                   "sticky: the number of items is missing; loading the 1 item "};
        QTest::newRow("no items, only a size")
            << QByteArray("[dynamic]\nitems\\size=3\n") << QStringList{} << QStringList{}
            << QStringList{"the number of items is 3, but no items are present"};
        QTest::newRow("stray keys")
            << "[dynamic]\n" + item(1, a) +
                   "items\\01\\mode=1\nitems\\x=1\nitems\\2\\note=hi\nitems\\size=2\n"
            << QStringList{"0 0 {text/plain=a}", "0 0 {}"} << QStringList{}
            << QStringList{"history: \"items/01\" is no item", "history: \"items/x\" is no item",
                           "history item 2: nothing of the item is stored; restored as an empty item"};

        QTest::newRow("content missing")
            << QByteArray("[dynamic]\nitems\\1\\mode=1\nitems\\1\\contentType=2\nitems\\size=1\n")
            << QStringList{"1 2 {}"} << QStringList{}
            << QStringList{"history item 1: no content is stored; restored as an empty item"};
        QTest::newRow("content is text")
            << "[dynamic]\n" + item(1, "hello") + "items\\size=1\n"
            << QStringList{"0 0 {}"} << QStringList{}
            << QStringList{"item 1: the stored content is a QString, not a clipboard"};
        QTest::newRow("content is garbage")
            << "[dynamic]\n" + item(1, "@Variant(garbage)") + "items\\size=1\n"
            << QStringList{"0 0 {}"} << QStringList{}
            << QStringList{"^Trying to construct an instance of an invalid type",
                           "item 1: unreadable content, it holds a value of variant type 1734439522"};
        QTest::newRow("unknown type")
            << "[dynamic]\n" + item(1, iniVariant(header("Foo", 1) + entry("text/plain", "x"))) +
                   "items\\size=1\n"
            << QStringList{"0 0 {}"} << QStringList{}
            << QStringList{
                   "^QVariant::load: unknown user type with name Foo",
                   "item 1: unreadable content, its type \"Foo\" is unknown; restored as an empty item"};
        QTest::newRow("other type")
            << "[dynamic]\n" + item(1, iniVariant(header("QStringList", 1) + utf16("x"))) + "items\\size=1\n"
            << QStringList{"0 0 {}"} << QStringList{}
            << QStringList{"item 1: the stored content is a QStringList, not a clipboard content"};

        QTest::newRow("cut, closing parenthesis lost")
            << "[dynamic]\n" + item(1, iniVariant(two.left(two.size() - 5), false)) + "items\\size=1\n"
            << QStringList{"0 0 {text/plain=one}"} << QStringList{}
            << QStringList{"item 1: damaged content, format 2 of 3 \\(text/html\\): the data declares 10 "
                           "bytes, more than the 5 left; kept the format read"};
        // Behind an item that made the loader read the file's text already.
        QTest::newRow("cut inside the data")
            << "[dynamic]\n" + item(1, iniVariant(header("Foo", 0))) +
                   item(2, iniVariant(two + utf16("image/png") + u32(100) + "abc")) + "items\\size=2\n"
            << QStringList{"0 0 {}", "0 0 {text/html=<i>two</i>, text/plain=one}"} << QStringList{}
            << QStringList{
                   "^QVariant::load: unknown user type with name Foo", "item 1: unreadable content, its type",
                   "item 2: damaged content, format 3 of 3 \\(image/png\\): the data declares 100 bytes, "
                   "more than the 4 left; kept the 2 formats"};
        QTest::newRow("huge data length")
            << "[dynamic]\n" +
                   item(1, iniVariant(header("QHash<QString,QByteArray>", 2) + entry("text/plain", "one") +
                                      utf16("x/y") + u32(0xfffffff0))) +
                   "items\\size=1\n"
            << QStringList{"0 0 {text/plain=one}"} << QStringList{}
            << QStringList{"format 2 of 2 \\(x/y\\): the data declares 4294967280 bytes, more than the 1 "
                           "left; kept the format read"};
        QTest::newRow("huge name length")
            << "[dynamic]\n" +
                   item(1, iniVariant(header("QHash<QString,QByteArray>", 1) + u32(0x7ffffffe) + "ab")) +
                   "items\\size=1\n"
            << QStringList{"0 0 {}"} << QStringList{}
            << QStringList{"format 1 of 1: the name declares 2147483646 bytes, more than the 3 left; "
                           "restored as an empty item"};
        QTest::newRow("huge count, odd name")
            << "[dynamic]\n" +
                   item(1, iniVariant(header("QHash<QString,QByteArray>", 0xffffffff) + entry("a/b", "1") +
                                      u32(3) + "abc")) +
                   "items\\size=1\n"
            << QStringList{"0 0 {a/b=1}"} << QStringList{}
            << QStringList{
                   "format 2 of 4294967295: the name has an odd length of 3 bytes; kept the format read"};
        QTest::newRow("huge type name length")
            << "[dynamic]\n" + item(1, iniVariant(u32(127) + u32(0xffffff00) + "QHash")) + "items\\size=1\n"
            << QStringList{"0 0 {}"} << QStringList{}
            << QStringList{"^QVariant::load: unknown user type with name \\.$",
                           "item 1: unreadable content, the type name declares 4294967040 bytes, more than "
                           "the 6 left"};
        QTest::newRow("former name, damaged")
            << "[dynamic]\n" +
                   item(1, iniVariant(header("ClipboardContent", 2) + entry("text/plain", "old") + u32(9) +
                                      "123456789")) +
                   "items\\size=1\n"
            << QStringList{"0 0 {text/plain=old}"} << QStringList{}
            << QStringList{"format 2 of 2: the name has an odd length of 9 bytes; kept the format read"};

        // Unknown content types stay; a mode QClipboard::Mode cannot hold goes back to the clipboard.
        QTest::newRow("mode and type")
            << "[dynamic]\n" + item(1, a, "7", "9") + item(2, b, "x", "4294967295") + item(3, c, "2", "y") +
                   "items\\4\\content=" + a + "\nitems\\size=4\n"
            << QStringList{"0 9 {text/plain=a}", "0 4294967295 {text/plain=b}", "2 0 {text/plain=c}",
                           "0 0 {text/plain=a}"}
            << QStringList{}
            << QStringList{"item 1: the clipboard mode 7 is unknown; using the clipboard",
                           "item 2: the clipboard mode \"x\" is not a number; using the clipboard",
                           "item 3: the content type \"y\" is not a number; using plain text",
                           "item 4: no clipboard mode is stored", "item 4: no content type is stored"};

        QTest::newRow("sticky texts")
            << QByteArray("[sticky]\nitems\\1\\text=one\nitems\\2\\text=\nitems\\3\\text=Hello, world\n"
                          "items\\4\\text=\"quoted, "
                          "kept\"\nitems\\5\\text=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x4Xyz\\0)\n"
                          "items\\6\\other=1\nitems\\size=6\n")
            << QStringList{} << QStringList{"one", "Hello, world", "quoted, kept"}
            << QStringList{"sticky item 3: the text holds commas without quotes",
                           "^QVariant::load: unknown user type with name Xyz",
                           "sticky item 5: the stored text cannot be read; dropped"};
    }

    void contentFiles_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<QStringList>("warnings");

        const QByteArray a = "c526c6222044dab5674de9c4ac7f4566ebb5e4d8bf9d8ea34c9cc8a7cc3c869c";
        const QByteArray b = "16f8f9da50187ede57dc842a76735f995003ba214a75973ce0834bb5c4855ecc";
        const QByteArray small = "a6b912a437fdaec14759be4a2483a49da8824f9cda6137ca721a337b1ab41ceb";
        const QByteArray unknown = QByteArray(64, 'e');
        const QByteArray text =
            StoredText::iniVariant(header("QHash<QString,QByteArray>", 1) + entry("text/plain", "t"));
        const QByteArray none = StoredText::iniVariant(header("QHash<QString,QByteArray>", 0));
        const QString shownA = QStringLiteral("sha256:") + QString::fromLatin1(a);
        const QString shownB = QStringLiteral("sha256:") + QString::fromLatin1(b);
        const auto one = [](const QByteArray &content, const QByteArray &list) {
            return "[dynamic]\n" + item(1, content, "0", "2") + files(1, list) + "items\\size=1\n";
        };

        QTest::newRow("sound") << one(text, "image/png " + a + " 5000, image/bmp " + b + " 6000")
                               << QStringList{"0 2 {image/bmp=" + shownB + ", image/png=" + shownA +
                                              ", text/plain=t}"}
                               << QStringList{};
        QTest::newRow("one entry, a format with spaces")
            << one(none, "\"application/x-odd name; a=b " + a + " 5000\"")
            << QStringList{"0 2 {application/x-odd name; a=b=" + shownA + "}"} << QStringList{};
        QTest::newRow("entries not of the form")
            << one(text, "image/png " + a.left(63) + " 5000, image/bmp " + b + ", " + a +
                             " 5000, image/gif " + a + " -1, image/jpeg " + a + " 5000x")
            << QStringList{"0 2 {text/plain=t}"}
            << QStringList{"item 1: the content file entry \"image/png c526.* is not \"<format> <SHA-256> "
                           "<size>\"; dropped",
                           "item 1: the content file entry \"image/bmp 16f8.*\" is not",
                           // Cut short in the message.
                           "item 1: the content file entry \"c526c6.*\" is not",
                           "item 1: the content file entry \"image/gif c526c6.*\" is not",
                           "item 1: the content file entry \"image/jpeg c526c6.*\" is not"};
        QTest::newRow("missing and wrong size")
            << one(text, "image/png " + unknown + " 5000, image/bmp " + b + " 6001")
            << QStringList{"0 2 {text/plain=t}"}
            << QStringList{
                   "item 1: \"image/png\": its content file is missing \\(.*eeee\\); the format is dropped",
                   "item 1: \"image/bmp\": its content file is damaged \\(6000 bytes instead of 6001\\)"};
        QTest::newRow("stored twice")
            << one(text, "text/plain " + a + " 5000, image/png " + a + " 5000, image/png " + b + " 6000")
            << QStringList{"0 2 {image/png=" + shownA + ", text/plain=t}"}
            << QStringList{"item 1: \"text/plain\" is stored twice; the second is dropped",
                           "item 1: \"image/png\" is stored twice; the second is dropped"};
        QTest::newRow("nothing left")
            << "[dynamic]\n" + item(1, none, "0", "2") + files(1, "image/png " + unknown + " 9000") +
                   item(2, text) + "items\\size=2\n"
            << QStringList{"0 0 {text/plain=t}"}
            << QStringList{"item 1: \"image/png\": its content file is missing",
                           "item 1: no format is left; dropped"};
        QTest::newRow("large formats alone")
            << "[dynamic]\n" + files(1, "image/png " + a + " 5000") + "items\\size=1\n"
            << QStringList{"0 0 {image/png=" + shownA + "}"}
            << QStringList{"item 1: no clipboard mode is stored; using the clipboard",
                           "item 1: no content type is stored; using plain text"};
        QTest::newRow("not a list")
            << one(text, "@Invalid()") << QStringList{"0 2 {text/plain=t}"}
            << QStringList{"item 1: the list of content files cannot be read; its formats are dropped"};
        // What SettingsFileCheck leaves of an element Qt could not decode safely.
        QTest::newRow("an entry that is no text")
            << one(text, "image/png " + a + " 5000, @Invalid()")
            << QStringList{"0 2 {image/png=" + shownA + ", text/plain=t}"}
            << QStringList{"item 1: an entry of the list of content files cannot be read; dropped"};
        QTest::newRow("a small content in a file, edited in by hand")
            << one(none, "text/html " + small + " 18") << QStringList{"0 2 {text/html=small file content}"}
            << QStringList{};
    }

    void contentFiles()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, history);
        QFETCH(QStringList, warnings);
        const QString file = caseFile(QStringLiteral("files-"), ini, warnings);
        QVERIFY(!file.isEmpty());
        QSettings settings(file, QSettings::IniFormat);
        QCOMPARE(describe(Morv::HistoryStore::loadHistory(settings)), history);
    }

    void handEditedPreferencesKeepTheHistory_data()
    {
        QTest::addColumn<QByteArray>("general");
        QTest::addColumn<int>("historyCount");
        QTest::addColumn<bool>("cleared");
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("count 0, keep no") << QByteArray("historyCount=0\nclearItemsOnExit=no\n") << 10
                                          << false << QStringList{"\"historyCount\" is \"0\": not a count"};
        QTest::newRow("count garbage, clear garbage")
            << QByteArray("historyCount=\"\\x1\"\nclearItemsOnExit=maybe, later\n") << 10 << false
            << QStringList{"\"historyCount\" is .*: not a count",
                           "\"clearItemsOnExit\" is \"maybe, later\": neither on nor off"};
        QTest::newRow("count 3, clear YES")
            << QByteArray("historyCount=3\nclearItemsOnExit=YES\n") << 3 << true << QStringList{};
        QTest::newRow("clear twice, the later counts")
            << QByteArray("clearItemsOnExit=on\nclearItemsOnExit=off\n") << 10 << false << QStringList{};
    }

    // A save with the file's own preferences: a hand edit never empties the stored history.
    void handEditedPreferencesKeepTheHistory()
    {
        QFETCH(QByteArray, general);
        QFETCH(int, historyCount);
        QFETCH(bool, cleared);
        QFETCH(QStringList, warnings);
        const QByteArray ini = "[General]\n" + general + "[dynamic]\n" + item(1, text("text/plain", "a")) +
                               item(2, text("text/plain", "b")) + "items\\size=2\n";
        const QString file = caseFile(QStringLiteral("preferences-"), ini, warnings);
        QVERIFY(!file.isEmpty());
        QSettings settings(file, QSettings::IniFormat);
        QCOMPARE(Morv::PreferenceKeys::historyCount(settings), historyCount);
        const QList<Morv::Item> history = Morv::HistoryStore::loadHistory(settings);
        QVERIFY(Morv::HistoryStore::saveHistory(settings, history,
                                                Morv::PreferenceKeys::clearItemsOnExit(settings)));
        settings.sync();
        QSettings reread(file, QSettings::IniFormat);
        QCOMPARE(Morv::HistoryStore::loadHistory(reread).size(), cleared ? 0 : 2);
    }

    void loadsWhatIsSound()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, history);
        QFETCH(QStringList, sticky);
        QFETCH(QStringList, warnings);

        const QString file = caseFile(QString(), ini, warnings);
        QVERIFY(!file.isEmpty());

        QSettings settings(file, QSettings::IniFormat);
        QCOMPARE(describe(Morv::HistoryStore::loadHistory(settings)), history);
        QCOMPARE(describe(Morv::HistoryStore::loadSticky(settings)), sticky);
        // Reading leaves the settings where it found them.
        QCOMPARE(settings.group(), QString());
    }
};

QTEST_GUILESS_MAIN(TestDamagedHistory)
#include "tst_damagedhistory.moc"
