// SPDX-License-Identifier: GPL-2.0-or-later

#include "contentfilestore.h"
#include "historystore.h"
#include "itemmimedata.h"
#include "ksystemclipboard_fake.h"
#include "noise.h"
#include "preferences.h"
#include "storedtext.h"
#include "testenvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using Morv::ClipboardContent;
using Morv::ContentFileStore;
using Morv::HistoryStore;
using Morv::Item;
using Morv::Preferences;
using namespace StoredText;

namespace {

QByteArray sha(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QStringList files(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QStringList contentFiles()
{
    return files(ContentFileStore::folder());
}

QStringList names(std::initializer_list<QByteArray> hashes)
{
    QStringList result;
    for (const QByteArray &hash : hashes)
        result.append(QString::fromLatin1(hash));
    result.sort();
    return result;
}

uint permissions(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0xffff;
}

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

Preferences *preferences()
{
    return Preferences::instance();
}

// Uses up every file descriptor the process may open, for real: each open() fails with EMFILE
// until the object goes.
class AllFilesOpen
{
public:
    AllFilesOpen()
    {
        ::getrlimit(RLIMIT_NOFILE, &before);
        int highest = 2;
        for (const QString &fd : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System))
            highest = std::max(highest, fd.toInt());
        rlimit lowered = before;
        lowered.rlim_cur = rlim_t(highest + 1);
        ::setrlimit(RLIMIT_NOFILE, &lowered);
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            taken.append(fd);
    }

    ~AllFilesOpen()
    {
        for (const int fd : std::as_const(taken))
            ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &before);
    }

private:
    rlimit before{};
    QList<int> taken;
};

} // namespace

// The large formats of the stored history in content files of their own: the layout of the
// settings file and of the folder, what happens to files that go missing or are damaged, that
// nothing is left behind, and that old files with contents inline move out with every byte kept.
class TestContentFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    FakeSystemClipboard *clipboard = nullptr;

    // What a restart would load: the settings file read by a settings object of its own.
    QList<Item> reloaded()
    {
        static int copies = 0;
        const QString copy = dir.filePath(QStringLiteral("copy%1.ini").arg(++copies));
        if (!QFile::copy(TestEnvironment::settingsFile(), copy))
            return {};
        QSettings settings(copy, QSettings::IniFormat);
        return HistoryStore::loadHistory(settings);
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        clipboard = FakeSystemClipboard::install();
        QVERIFY(dir.isValid());
    }

    void init()
    {
        TestEnvironment::clearSettings();
        preferences()->waitForBackgroundSave();
        QDir(ContentFileStore::folder()).removeRecursively();
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    }

    void layoutAndPermissions()
    {
        // Whatever the umask allows, the files and folders are private.
        const mode_t umask = ::umask(0);
        const QByteArray png = noise(1, 10000);
        const QByteArray bmp = noise(2, 6000);
        {
            const Item picture(QClipboard::Clipboard, Morv::Binary,
                               {{"image/png", png},
                                {"application/x-qt-image", png},
                                {"image/bmp", bmp},
                                {"text/plain;charset=utf-8", QByteArray(4096, 'x')}});
            QCOMPARE(picture.largeContents().keys(),
                     (QStringList{"application/x-qt-image", "image/bmp", "image/png"}));
            preferences()->saveHistory({picture});
        }
        ::umask(umask);

        // One file per distinct content, named by its hash, and nothing else.
        QCOMPARE(contentFiles(), names({sha(png), sha(bmp)}));
        QCOMPARE(fileContents(ContentFileStore::filePath(sha(png))), png);
        QCOMPARE(fileContents(ContentFileStore::filePath(sha(bmp))), bmp);
        QCOMPARE(permissions(ContentFileStore::filePath(sha(png))), 0600u);
        QCOMPARE(permissions(ContentFileStore::filePath(sha(bmp))), 0600u);
        QCOMPARE(permissions(ContentFileStore::folder()), 0700u);
        QCOMPARE(permissions(QFileInfo(ContentFileStore::folder()).absolutePath()), 0700u);
        QVERIFY(ContentFileStore::folder().endsWith(QStringLiteral("/share/morv/morv-clip")));

        // The settings file: the small format in "content" as before, the large ones listed in a
        // form a person can read.
        const QByteArray ini = fileContents(TestEnvironment::settingsFile());
        QCOMPARE(rawValue(ini, "dynamic", "items\\1\\contentFiles"),
                 "application/x-qt-image " + sha(png) + " 10000, image/bmp " + sha(bmp) +
                     " 6000, image/png " + sha(png) + " 10000");
        QCOMPARE(unescape(rawValue(ini, "dynamic", "items\\1\\content")),
                 "@Variant(" + header("QHash<QString,QByteArray>", 1) +
                     entry("text/plain;charset=utf-8", QByteArray(4096, 'x')) + ")");

        // What a version that knows no content files reads: the small format, and no crash.
        QSettings older(TestEnvironment::settingsFile(), QSettings::IniFormat);
        QCOMPARE(older.value("dynamic/items/1/content").value<ClipboardContent>(),
                 (ClipboardContent{{"text/plain;charset=utf-8", QByteArray(4096, 'x')}}));
    }

    void storedItemsKeepEveryByte()
    {
        const QByteArray png = noise(3, 50000);
        const QByteArray text = QByteArray("a long text ").repeated(500);
        const Item original(QClipboard::Selection, Morv::RichText,
                            {{"image/png", png}, {"text/plain", text}, {"text/html", "<b>x</b>"}});
        preferences()->saveHistory({original});

        const QList<Item> loaded = reloaded();
        QCOMPARE(loaded.size(), 1);
        const Item &item = loaded.first();
        QCOMPARE(describe(item), describe(original));
        QVERIFY(item.largeContents().value("image/png").isStored());
        QCOMPARE(item.largeContents().value("image/png").sha256(), sha(png));
        QCOMPARE(item.text(), QString::fromUtf8(text));
        QCOMPARE(item.data("image/png"), png);

        // The duplicate search: a new capture of the same bytes is the stored item, one that
        // differs in a single byte or in its size is not.
        QVERIFY(item == original);
        QVERIFY(item == Item(QClipboard::Selection, Morv::Binary,
                             {{"image/png", QByteArray(png.constData(), png.size())},
                              {"text/plain", text},
                              {"text/html", "<b>x</b>"}}));
        for (const qsizetype at : {qsizetype(0), png.size() / 2 + 1, png.size() - 1}) {
            QByteArray other = png;
            other[at] = char(other.at(at) ^ 1);
            QVERIFY2(!(item == Item(QClipboard::Selection, Morv::Binary,
                                    {{"image/png", other}, {"text/plain", text}, {"text/html", "<b>x</b>"}})),
                     qPrintable(QString::number(at)));
        }
        QVERIFY(!(item == Item(QClipboard::Selection, Morv::Binary,
                               {{"image/png", png + 'x'}, {"text/plain", text}, {"text/html", "<b>x</b>"}})));

        // On a clipboard, every format gives back exactly its bytes.
        const Morv::ItemMimeData mime(item);
        QStringList formats = mime.formats();
        formats.sort();
        QCOMPARE(formats, (QStringList{"image/png", "text/html", "text/plain"}));
        QCOMPARE(mime.data("image/png"), png);
        QCOMPARE(mime.data("text/plain"), text);
        QCOMPARE(mime.text(), QString::fromUtf8(text));
    }

    void sharedBytesKeepOneFileUntilBothAreGone()
    {
        const QByteArray shared = noise(4, 8000);
        {
            const Item a(QClipboard::Clipboard, Morv::Binary, {{"image/png", shared}});
            const Item b(QClipboard::Clipboard, Morv::PlainText,
                         {{"image/x-other", shared}, {"text/plain", "b"}});
            preferences()->saveHistory({a, b});
        }
        QCOMPARE(contentFiles(), names({sha(shared)}));

        QList<Item> loaded = preferences()->loadHistory();
        QCOMPARE(loaded.size(), 2);
        loaded.removeFirst();
        preferences()->saveHistory(loaded);
        QCOMPARE(contentFiles(), names({sha(shared)}));
        QCOMPARE(describe(reloaded()), describe(loaded));

        // The stored history no longer names it, but an item of the program still holds it: it
        // stays. Once nothing holds it, it goes with the next save.
        preferences()->saveHistory({});
        QCOMPARE(contentFiles(), names({sha(shared)}));
        QCOMPARE(loaded.first().data("image/x-other"), shared);
        loaded.clear();
        preferences()->saveHistory({});
        QCOMPARE(contentFiles(), QStringList());
    }

    void missingAndDamagedFiles()
    {
        const QByteArray a = noise(5, 5000);
        const QByteArray b = noise(6, 6000);
        const QByteArray c = noise(7, 7000);
        const QByteArray text = QByteArray("text ").repeated(1000);
        {
            preferences()->saveHistory(
                {Item(QClipboard::Clipboard, Morv::Binary, {{"image/png", a}}),
                 Item(QClipboard::Clipboard, Morv::PlainText, {{"image/bmp", b}, {"text/plain", "small"}}),
                 Item(QClipboard::Clipboard, Morv::PlainText, {{"text/plain", text}}),
                 Item(QClipboard::Clipboard, Morv::Binary, {{"image/tiff", c}})});
        }
        // Gone, cut short, bytes changed in place.
        QVERIFY(QFile::remove(ContentFileStore::filePath(sha(a))));
        QVERIFY(QFile::resize(ContentFileStore::filePath(sha(b)), 10));
        QByteArray changedText = text;
        changedText[3] = 'X';
        writeFile(ContentFileStore::filePath(sha(text)), changedText);
        QByteArray changed = c;
        changed[c.size() / 3] = char(~c.at(c.size() / 3));
        writeFile(ContentFileStore::filePath(sha(c)), changed);

        // One warning each; an item left without formats goes.
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression("history item 1: \"image/png\": its content file is missing \\(.*" +
                               QString::fromLatin1(sha(a)) + "\\); the format is dropped"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("history item 1: no format is left; dropped"));
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression("history item 2: \"image/bmp\": its content file is damaged \\(10 "
                               "bytes instead of 6000\\).*; the format is dropped"));
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression("history item 3: \"text/plain\": its content file is damaged \\(its "
                               "bytes do not match their hash\\).*; the format is dropped"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("history item 3: no format is left; dropped"));
        const QList<Item> loaded = preferences()->loadHistory();
        QCOMPARE(loaded.size(), 2);
        QCOMPARE(describe(loaded.first()), QStringLiteral("0 0 {text/plain=small}"));
        QCOMPARE(loaded.at(1).largeContents().keys(), QStringList{"image/tiff"});

        // A damaged file of the same size shows when its bytes are asked for: on the clipboard,
        // it is not offered any more after one warning.
        const Morv::ItemMimeData mime(loaded.at(1));
        QVERIFY(mime.hasFormat("image/tiff"));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("The stored \"image/tiff\" of a history item cannot "
                                                "be given .* do not match their hash"));
        QCOMPARE(mime.data("image/tiff"), QByteArray());
        QVERIFY(!mime.hasFormat("image/tiff"));
        QCOMPARE(mime.data("image/tiff"), QByteArray());
    }

    void aFailureThatProvesNothingKeepsTheFile_data()
    {
        QTest::addColumn<bool>("folderGone");
        // A home folder not mounted yet: the file is absent, but so is its folder.
        QTest::newRow("content folder not mounted") << true;
        QTest::newRow("too many open files") << false;
    }

    // Only a file proven missing or damaged is given up. Any other failure keeps the reference,
    // and the file is read once it can be.
    void aFailureThatProvesNothingKeepsTheFile()
    {
        QFETCH(bool, folderGone);
        const QByteArray png = noise(20, 8000);
        const QByteArray text = QByteArray("a long text ").repeated(600);
        preferences()->saveHistory({Item(QClipboard::Clipboard, Morv::Binary, {{"image/png", png}}),
                                    Item(QClipboard::Clipboard, Morv::PlainText, {{"text/plain", text}})});
        const QString folder = ContentFileStore::folder();
        const QString away = folder + QStringLiteral(".away");

        QList<Item> loaded;
        if (folderGone) {
            QVERIFY(QDir().rename(folder, away));
            for (const char *format : {"1: \"image/png\"", "2: \"text/plain\""})
                QTest::ignoreMessage(
                    QtWarningMsg,
                    QRegularExpression(QStringLiteral("history item %1: its content folder cannot "
                                                      "be read .*; kept, and tried again later")
                                           .arg(QLatin1String(format))));
            loaded = preferences()->loadHistory();
            QCOMPARE(loaded.size(), 2);
            // Saved meanwhile, the history still names both files.
            preferences()->saveHistory(loaded);
            const QByteArray ini = fileContents(TestEnvironment::settingsFile());
            QVERIFY(ini.contains(sha(png)) && ini.contains(sha(text)));
        } else {
            loaded = preferences()->loadHistory();
        }
        {
            const std::unique_ptr<AllFilesOpen> noMoreFiles(folderGone ? nullptr : new AllFilesOpen);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                                   "The stored \"image/png\" of a history item "
                                                   "cannot be given .*; the format is left out")));
            QCOMPARE(loaded.at(0).data("image/png"), QByteArray());
        }
        if (folderGone)
            QVERIFY(QDir().rename(away, folder));

        QCOMPARE(loaded.at(0).data("image/png"), png);
        QCOMPARE(loaded.at(1).data("text/plain"), text);
        preferences()->saveHistory(loaded);
        QCOMPARE(contentFiles(), names({sha(png), sha(text)}));
        const QList<Item> again = reloaded();
        QCOMPARE(again.size(), 2);
        QCOMPARE(again.at(0).data("image/png"), png);
        QCOMPARE(again.at(1).text(), QString::fromUtf8(text));
    }

    void anItemWithNothingLeftIsNotStored()
    {
        const QByteArray png = noise(21, 8000);
        preferences()->saveHistory({Item(QClipboard::Clipboard, Morv::PlainText, {{"text/plain", "kept"}}),
                                    Item(QClipboard::Clipboard, Morv::Binary, {{"image/png", png}})});
        const QList<Item> loaded = preferences()->loadHistory();
        QVERIFY(QFile::remove(ContentFileStore::filePath(sha(png))));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("its content file is missing")));
        QCOMPARE(loaded.at(1).data("image/png"), QByteArray());
        preferences()->saveHistory(loaded);
        QCOMPARE(describe(reloaded()), QStringList{"0 0 {text/plain=kept}"});
    }

    void aFileDamagedInPlaceIsReplacedByFreshBytes()
    {
        const QByteArray png = noise(22, 9000);
        QByteArray damaged = png;
        damaged[4500] = char(~damaged.at(4500));
        QVERIFY(QDir().mkpath(ContentFileStore::folder()));
        writeFile(ContentFileStore::filePath(sha(png)), damaged);
        preferences()->saveHistory({Item(QClipboard::Clipboard, Morv::Binary, {{"image/png", png}})});
        QCOMPARE(fileContents(ContentFileStore::filePath(sha(png))), png);
        QCOMPARE(reloaded().first().data("image/png"), png);
    }

    void onlyOurFoldersAreMadePrivate_data()
    {
        QTest::addColumn<bool>("dataFolderExists");
        QTest::addColumn<bool>("contentFolderExists");
        QTest::newRow("nothing yet") << false << false;
        QTest::newRow("data folder only") << true << false;
        QTest::newRow("content folder too open") << true << true;
    }

    // The folders above the program's own keep their permissions; its own ("morv", "morv-clip")
    // and the content files are private, also when something made them too open.
    void onlyOurFoldersAreMadePrivate()
    {
        QFETCH(bool, dataFolderExists);
        QFETCH(bool, contentFolderExists);
        const QString folder = ContentFileStore::folder();
        const QString morv = QFileInfo(folder).absolutePath();
        const QString data = QFileInfo(morv).absolutePath();
        const QString above = QFileInfo(data).absolutePath();
        QDir(morv).removeRecursively();
        if (!dataFolderExists)
            QDir(data).removeRecursively();
        QVERIFY(::chmod(QFile::encodeName(above).constData(), 0755) == 0);
        const mode_t umask = ::umask(022);
        const QByteArray old = noise(23, 5000);
        if (dataFolderExists)
            QVERIFY(::chmod(QFile::encodeName(data).constData(), 0751) == 0);
        if (contentFolderExists) {
            preferences()->saveHistory({Item(QClipboard::Clipboard, Morv::Binary, {{"image/png", old}})});
            QVERIFY(::chmod(QFile::encodeName(morv).constData(), 0755) == 0);
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
            QVERIFY(::chmod(QFile::encodeName(ContentFileStore::filePath(sha(old))).constData(), 0644) == 0);
            // At start-up.
            preferences()->removeUnusedContentFiles();
            preferences()->waitForBackgroundSave();
            QCOMPARE(permissions(ContentFileStore::filePath(sha(old))), 0600u);
            QCOMPARE(permissions(folder), 0700u);
            QCOMPARE(permissions(morv), 0700u);
        }
        const QByteArray png = noise(24, 6000);
        preferences()->saveHistory({Item(QClipboard::Clipboard, Morv::Binary, {{"image/png", png}})});
        ::umask(umask);
        QCOMPARE(permissions(ContentFileStore::filePath(sha(png))), 0600u);
        QCOMPARE(permissions(folder), 0700u);
        QCOMPARE(permissions(morv), 0700u);
        QCOMPARE(permissions(data), dataFolderExists ? 0751u : 0755u);
        QCOMPARE(permissions(above), 0755u);
    }

    void theTextOfAnOfferWithoutPlainTextComesBack_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8 only") << "text/plain;charset=utf-8" << QByteArray("gr\xc3\xbc\xc3\x9f dich")
                                    << QString::fromUtf8("gr\xc3\xbc\xc3\x9f dich");
        const QByteArray large = QByteArray("many words ").repeated(800);
        QTest::newRow("UTF-8 only, large") << "text/plain;charset=utf-8" << large << QString::fromUtf8(large);
        QTest::newRow("links only") << "text/uri-list" << QByteArray("file:///tmp/a\r\nfile:///tmp/b%20c\r\n")
                                    << "file:///tmp/a\nfile:///tmp/b c\n";
    }

    // What the menu shows and typing finds, after a restart too.
    void theTextOfAnOfferWithoutPlainTextComesBack()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        clipboard->simulateCopy(FakeSystemClipboard::mimeData({{format, bytes}}));
        const Item captured(QClipboard::Clipboard);
        QCOMPARE(captured.text(), text);
        preferences()->saveHistory({captured});
        const QList<Item> again = reloaded();
        QCOMPARE(again.size(), 1);
        QCOMPARE(again.first().text(), text);
        QCOMPARE(again.first().data(format), bytes);
    }

    void aFileIsReadOnlyWhenAsked()
    {
        const QByteArray png = noise(8, 9000);
        preferences()->saveHistory({Item(QClipboard::Clipboard, Morv::Binary, {{"image/png", png}})});
        const Item item = preferences()->loadHistory().first();
        const Morv::ItemMimeData mime(item);
        // Gone after the entry was put on the clipboard, before anybody pasted.
        QVERIFY(QFile::remove(ContentFileStore::filePath(sha(png))));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("The stored \"image/png\" .* its content file is "
                                                "missing\\); the format is left out"));
        QCOMPARE(mime.data("image/png"), QByteArray());
        QCOMPARE(mime.formats(), QStringList());
    }

    void leftoversGoAtStartUp()
    {
        const QByteArray kept = noise(9, 5000);
        preferences()->saveHistory({Item(QClipboard::Clipboard, Morv::Binary, {{"image/png", kept}})});
        // What a killed process leaves: a content file the settings never came to name, one still
        // being written, a copy of the settings file; and something the program does not know.
        const QByteArray orphan = sha("never named");
        writeFile(ContentFileStore::filePath(orphan), "never named");
        writeFile(ContentFileStore::folder() + "/." + QString::fromLatin1(sha("half")) + ".a1B2c3", "half");
        writeFile(ContentFileStore::folder() + "/notes.txt", "mine");
        const QString settingsFolder = QFileInfo(TestEnvironment::settingsFile()).absolutePath();
        writeFile(settingsFolder + "/.morv-clip.ini.Xy12Zq", "[dynamic]\n");
        writeFile(settingsFolder + "/.morv-clip.ini.Xy12Zq.lock", "");
        QCOMPARE(contentFiles().size(), 4);

        preferences()->removeUnusedContentFiles();
        preferences()->waitForBackgroundSave();
        QCOMPARE(contentFiles(), (QStringList{QString::fromLatin1(sha(kept)), "notes.txt"}));
        QCOMPARE(files(settingsFolder), QStringList{"morv-clip.ini"});
        QCOMPARE(preferences()->loadHistory().first().data("image/png"), kept);
    }

    void inlineContentsMoveOutWithEveryByteKept()
    {
        // Written by data/make-fixtures.py as versions before content files stored a history; its
        // comments list the SHA-256 of each large format.
        const QString fixture = QStringLiteral(MORV_TEST_DATA_DIR "/settings/data/inline-large.ini");
        QList<std::tuple<int, QString, QByteArray>> expected;
        for (const QByteArray &line : fileContents(fixture).split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (line.startsWith("; ") && fields.size() == 4 && fields.at(3).size() == 64)
                expected.append({fields.at(1).toInt() - 1, QString::fromLatin1(fields.at(2)), fields.at(3)});
        }
        QCOMPARE(expected.size(), 4);
        QVERIFY(QFile::remove(TestEnvironment::settingsFile()));
        QVERIFY(QFile::copy(fixture, TestEnvironment::settingsFile()));

        QList<Item> loaded = preferences()->loadHistory();
        QCOMPARE(loaded.size(), 2);
        const QStringList before = describe(loaded);
        QList<QByteArray> bytes;
        for (const auto &[item, format, hash] : expected) {
            QVERIFY(!loaded.at(item).largeContents().value(format).isStored());
            bytes.append(loaded.at(item).data(format));
            QCOMPARE(sha(bytes.last()), hash);
        }
        QCOMPARE(loaded.at(0).data("application/x-small"), QByteArray("small, kept inline"));
        QCOMPARE(loaded.at(1).text().size(), 6370);
        QVERIFY(contentFiles().isEmpty());

        preferences()->saveHistory(loaded);
        loaded.clear();
        const QByteArray ini = fileContents(TestEnvironment::settingsFile());
        QVERIFY2(ini.size() < 2000, ini.constData());
        QCOMPARE(contentFiles().size(), 3);
        const QList<Item> again = reloaded();
        QCOMPARE(describe(again), before);
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const auto &[item, format, hash] = expected.at(i);
            QVERIFY(again.at(item).largeContents().value(format).isStored());
            QCOMPARE(again.at(item).data(format), bytes.at(i));
            QCOMPARE(fileContents(ContentFileStore::filePath(hash)), bytes.at(i));
        }
        QCOMPARE(again.at(1).text(), QString::fromUtf8(bytes.at(3)));
    }

    void aContentThatCannotBeStoredLeavesTheSettingsAlone()
    {
        preferences()->saveHistory({Item(QStringLiteral("before"))});
        const QByteArray ini = fileContents(TestEnvironment::settingsFile());
        // A file where the folder should be.
        QDir().mkpath(QFileInfo(ContentFileStore::folder()).absolutePath());
        writeFile(ContentFileStore::folder(), "in the way");

        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression("^Could not write the settings file .*morv-clip.ini \\(the content "
                               "of \"image/png\" cannot be stored in .*is not a folder\\)"));
        const QByteArray png = noise(10, 7000);
        const QList<Item> history{Item(QClipboard::Clipboard, Morv::Binary, {{"image/png", png}})};
        preferences()->saveHistory(history);
        QVERIFY(!preferences()->lastSyncSucceeded());
        QCOMPARE(fileContents(TestEnvironment::settingsFile()), ini);

        // Written with the next sync once the way is free.
        QVERIFY(QFile::remove(ContentFileStore::folder()));
        preferences()->sync();
        preferences()->waitForBackgroundSave();
        QVERIFY(preferences()->lastSyncSucceeded());
        QCOMPARE(reloaded().first().data("image/png"), png);
    }
};

QTEST_GUILESS_MAIN(TestContentFiles)
#include "tst_contentfiles.moc"
