// SPDX-License-Identifier: GPL-2.0-or-later

#include "historystore.h"
#include "settingsfilecheck.h"
#include "storedtext.h"
#include "testenvironment.h"
#include "variantstreamcheck.h"

#include <QDataStream>
#include <QLockFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using Morv::SettingsFileCheck;
using Morv::VariantStreamCheck;
using namespace StoredText;

// Values QSettings would hand to Qt's own stream readers, which trust the counts they read: what
// would have Qt reserve far more than the bytes hold is found before QSettings reads the file, and
// the file is mended with its original kept. Streams Qt reads safely are left alone, the damaged
// ones too (Qt's readers stop there, and the history loader recovers what it can).
class TestSettingsFileCheck : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    // A list of a billion variants in a few bytes, as a damaged "content" of the fuzzer's findings.
    static QByteArray hugeList() { return u32(9) + u32(0x3c70683e) + "i</p>"; }

    // What Qt writes for the value, in the stream version of QSettings.
    static QByteArray streamed(const QVariant &value)
    {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_0);
        out << value;
        return bytes;
    }

    static QByteArray nested(int depth, const QByteArray &innermost)
    {
        QByteArray bytes = innermost;
        for (int i = 0; i < depth; ++i)
            bytes = u32(9) + u32(1) + bytes;
        return bytes;
    }

    QString writeFile(const QString &name, const QByteArray &contents)
    {
        const QString file = dir.filePath(name);
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(contents) != contents.size())
            return QString();
        return file;
    }

    static QByteArray readFile(const QString &file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    QStringList keptCopies(const QString &file) const
    {
        return QDir(dir.path())
            .entryList({QFileInfo(file).fileName() + QStringLiteral(".damaged-*")}, QDir::Files);
    }

    static QString mendWarning(const QString &file, const QString &value)
    {
        return QRegularExpression::escape(file) + QStringLiteral(": ") + QRegularExpression::escape(value) +
               QStringLiteral(" holds .*, which Qt cannot read safely; .* \\(the original file is kept in ") +
               QRegularExpression::escape(file) + QStringLiteral("\\.damaged-[0-9-]+\\)$");
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        QVERIFY(dir.isValid());
    }

    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("."))); }

    void unsafeStreams_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("problem");

        QTest::newRow("a list of a billion values") << hugeList() << "a list of 1013999678 values in 5 bytes";
        QTest::newRow("a list of texts")
            << u32(11) + u32(1000) + utf16("a") << "a list of 1000 texts in 6 bytes";
        QTest::newRow("a map") << u32(8) + u32(1000) + utf16("a") + streamed(1)
                               << "a map of 1000 entries in 14 bytes";
        QTest::newRow("a hash") << u32(28) + u32(2) + utf16("a") << "a map of 2 entries in 6 bytes";
        QTest::newRow("a list named by its type")
            << u32(127) + blob("QVariantList") + u32(1000000) << "a list of 1000000 values in 0 bytes";
        QTest::newRow("a list in a list") << u32(9) + u32(1) + hugeList() << "a list of 1013999678 values";
        QTest::newRow("a list in a map")
            << u32(8) + u32(1) + utf16("k") + hugeList() << "a list of 1013999678";
        // Each count is paid for by the bytes after it, but together they declare more.
        QTest::newRow("counts that add up")
            << u32(9) + u32(8) + u32(9) + u32(6) + QByteArray(24, '\0') << "a list of 6 values in 24 bytes";
        QTest::newRow("nested too deep")
            << nested(VariantStreamCheck::maximumDepth + 1, streamed(1)) << "nested more than 32 deep";
        // Types this program never stores: their readers are not checked.
        QTest::newRow("a polygon") << u32(71) + u32(3) << "a value of variant type 71";
        QTest::newRow("a type named")
            << u32(127) + blob(QByteArray("QPolygon\0", 9)) + u32(3) << "a value of type QPolygon";

        // Behind a value of every type the check reads: it must know how far each goes.
        const QList<std::pair<const char *, QVariant>> values{
            {"invalid", QVariant()},
            {"bool", true},
            {"int", -5},
            {"uint", 5u},
            {"long long", qlonglong(-5)},
            {"unsigned long long", qulonglong(5)},
            {"double", 2.5},
            {"character", QChar(u'x')},
            {"text", QStringLiteral("abc")},
            {"null text", QString()},
            {"bytes", QByteArray("\0\1\2", 3)},
            {"texts", QStringList{"a", "bc"}},
            {"list", QVariantList{1, QStringLiteral("x")}},
            {"map", QVariantMap{{"k", 1}, {"l", QVariantList{2}}}},
            {"hash", QVariantHash{{"k", QByteArray("v")}}},
            {"clipboard content",
             QVariant::fromValue(Morv::ClipboardContent{{"text/plain", "t"}, {"text/html", "<b>t</b>"}})},
        };
        for (const auto &[name, value] : values) {
            QTest::addRow("a list behind %s", name)
                << u32(9) + u32(2) + streamed(value) + hugeList() << "a list of 1013999678 values";
        }
    }

    void unsafeStreams()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QString, problem);
        QVERIFY2(VariantStreamCheck::problem(stream).contains(problem),
                 qPrintable(VariantStreamCheck::problem(stream)));
    }

    void safeStreams_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QVariant>("value"); // what QSettings reads; invalid: not compared

        const QList<QVariant> sound{
            QVariant(),
            true,
            -7,
            qulonglong(1) << 40,
            0.25,
            QChar(u'é'),
            QStringLiteral("ä text"),
            QByteArray("\0bytes", 6),
            QStringList{"a", "", "c"},
            QVariantList{1, QStringLiteral("two"), QVariantList{3, QVariantMap{{"four", 4}}}},
            QVariantHash{{"x", QStringList{"y"}}},
            QVariant::fromValue(Morv::ClipboardContent{{"text/plain", "t"}}),
        };
        for (const QVariant &value : sound)
            QTest::addRow("%s", value.isValid() ? value.typeName() : "invalid") << streamed(value) << value;
        QTest::newRow("nested as deep as allowed")
            << nested(VariantStreamCheck::maximumDepth, streamed(1)) << QVariant();

        // Damaged, but Qt's readers stop where the bytes end.
        QTest::newRow("a list cut short") << u32(9) + u32(2) + streamed(1) << QVariant();
        QTest::newRow("a text longer than the stream") << u32(10) + u32(0x7ffffff0) + "ab" << QVariant();
        QTest::newRow("a clipboard content of a billion formats")
            << header("QHash<QString,QByteArray>", 0x3c70683e) + entry("text/plain", "t") << QVariant();
        QTest::newRow("a clipboard content under a former name")
            << header("Morv::ClipboardContent", 1000) + entry("text/plain", "t") << QVariant();
        QTest::newRow("an unknown type")
            << u32(127) + blob(QByteArray("NoSuchType\0", 11)) + u32(1000000) << QVariant();
        QTest::newRow("no type") << QByteArray("\0\0", 2) << QVariant();
    }

    void safeStreams()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QVariant, value);
        QCOMPARE(VariantStreamCheck::problem(stream), QString());

        // Left alone in a file, which QSettings then reads as it always has.
        const QString file = writeFile(QStringLiteral("safe-%1.ini").arg(QTest::currentDataTag()),
                                       "[s]\nkey=" + iniVariant(stream) + "\n");
        const QByteArray before = readFile(file);
        QVERIFY(SettingsFileCheck::makeSafe(file));
        QCOMPARE(readFile(file), before);
        QVERIFY(keptCopies(file).isEmpty());
        if (value.isValid()) {
            QSettings settings(file, QSettings::IniFormat);
            QCOMPARE(settings.value(QStringLiteral("s/key")), value);
        }
    }

    // QSettings decodes a "@Variant(" value wherever it reads one: any section, quoted or not, an
    // element of a list, a key given twice. Only what it decodes counts.
    void findsTheValuesQSettingsDecodes()
    {
        const QByteArray bad = iniVariant(hugeList());
        const QByteArray unquoted = bad.mid(1).chopped(1);
        const QByteArray good = iniVariant(streamed(3));
        const QByteArray ini = "general=" + bad +
                               "\n"
                               "[dynamic]\n"
                               "items\\1\\content=" +
                               good +
                               "\n"
                               "items\\1\\content = " +
                               bad +
                               " \n"
                               "items\\2\\contentFiles=a b 1, " +
                               bad +
                               " , \"c, d\"\n"
                               "items\\3\\text=@" +
                               unquoted +
                               "\n"
                               "items\\4\\text=" +
                               bad.chopped(2) +
                               "\"\n"
                               "; items\\5\\text=" +
                               bad +
                               "\n"
                               "[sticky]\n"
                               "items\\1\\text=\"x\", " +
                               bad + "\n";
        const QList<SettingsFileCheck::Unsafe> unsafe = SettingsFileCheck::unsafeValues(ini);
        QStringList found;
        for (const SettingsFileCheck::Unsafe &value : unsafe)
            found << value.key + (value.isElement ? QStringLiteral(" (element)") : QString());
        QCOMPARE(found,
                 (QStringList{"general", "dynamic/items/1/content", "dynamic/items/2/contentFiles (element)",
                              "sticky/items/1/text (element)"}));

        // Whole values go with their lines, elements become invalid values; nothing else changes.
        QCOMPARE(SettingsFileCheck::withoutUnsafeValues(ini, unsafe),
                 "\n"
                 "[dynamic]\n"
                 "items\\1\\content=" +
                     good +
                     "\n"
                     "\n"
                     "items\\2\\contentFiles=a b 1, @Invalid(), \"c, d\"\n"
                     "items\\3\\text=@" +
                     unquoted +
                     "\n"
                     "items\\4\\text=" +
                     bad.chopped(2) +
                     "\"\n"
                     "; items\\5\\text=" +
                     bad +
                     "\n"
                     "[sticky]\n"
                     "items\\1\\text=\"x\", @Invalid()\n");
    }

    // The file the regression came from: QSettings' first look into the history (childGroups())
    // decoded the list, and recent Qt threw std::bad_alloc out of it.
    void aDamagedFileIsMendedAndItsOriginalKept()
    {
        const QByteArray original =
            "[General]\nhistoryCount=5\n"
            "[dynamic]\n"
            "items\\1\\content=" +
            iniVariant(header("QHash<QString,QByteArray>", 1) + entry("text/plain", "first")) +
            "\n"
            "items\\1\\contentType=0\nitems\\1\\mode=0\n"
            "items\\2\\content=" +
            iniVariant(hugeList()) +
            "\n"
            "items\\2\\contentType=0\nitems\\2\\mode=0\n"
            "items\\3\\content=" +
            iniVariant(header("QHash<QString,QByteArray>", 1) + entry("text/plain", "third")) +
            "\n"
            "items\\3\\contentType=0\nitems\\3\\mode=0\n"
            "items\\size=3\n"
            "[sticky]\nitems\\1\\text=pinned\nitems\\size=1\n";
        const QString file = writeFile(QStringLiteral("damaged.ini"), original);
        QVERIFY(!file.isEmpty());

        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(mendWarning(file, "\"dynamic/items/2/content\"")));
        QVERIFY(SettingsFileCheck::makeSafe(file));
        const QStringList copies = keptCopies(file);
        QCOMPARE(copies.size(), 1);
        const QString copy = dir.filePath(copies.constFirst());
        QCOMPARE(readFile(copy), original);
        struct stat status;
        QCOMPARE(::stat(QFile::encodeName(copy).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, 0600u);
        QByteArray expected = original;
        expected.replace("items\\2\\content=" + iniVariant(hugeList()), "");
        QCOMPARE(readFile(file), expected);

        // Every sound item is there; the damaged one has lost what could not be read.
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("item 2: no content is stored; restored as an empty item"));
        QSettings settings(file, QSettings::IniFormat);
        QCOMPARE(describe(Morv::HistoryStore::loadHistory(settings)),
                 (QStringList{"0 0 {text/plain=first}", "0 0 {}", "0 0 {text/plain=third}"}));
        QCOMPARE(describe(Morv::HistoryStore::loadSticky(settings)), QStringList{"pinned"});
        QCOMPARE(settings.value("historyCount").toInt(), 5);

        // Once is enough.
        QVERIFY(SettingsFileCheck::makeSafe(file));
        QCOMPARE(keptCopies(file).size(), 1);
    }

    // QSettings in another program is writing it: the file is left as it is, and QSettings must
    // not read it.
    void aFileThatCannotBeMendedIsLeftAsItIs()
    {
        const QByteArray damaged = "key=" + iniVariant(hugeList()) + "\n";
        const QString file = writeFile(QStringLiteral("locked.ini"), damaged);
        QLockFile lock(file + QStringLiteral(".lock"));
        QVERIFY(lock.lock());
        QString error;
        QVERIFY(!SettingsFileCheck::makeSafe(file, &error));
        QCOMPARE(error, QStringLiteral("it holds values Qt cannot read safely, and its lock is taken"));
        QCOMPARE(readFile(file), damaged);
        QVERIFY(keptCopies(file).isEmpty());
    }

    void aSoundFileIsLeftAlone()
    {
        const QByteArray contents =
            "[dynamic]\nitems\\1\\content=" +
            iniVariant(header("QHash<QString,QByteArray>", 1) + entry("text/plain", "t")) +
            "\nitems\\1\\contentFiles=image/png " + QByteArray(64, 'a') + " 5000, x\n";
        const QString file = writeFile(QStringLiteral("sound.ini"), contents);
        struct stat before;
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &before), 0);
        QVERIFY(SettingsFileCheck::makeSafe(file));
        struct stat after;
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(readFile(file), contents);
        QVERIFY(keptCopies(file).isEmpty());
        QVERIFY(SettingsFileCheck::makeSafe(dir.filePath(QStringLiteral("missing.ini"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("missing.ini"))));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFileCheck)
#include "tst_settingsfilecheck.moc"
