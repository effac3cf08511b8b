// SPDX-License-Identifier: GPL-2.0-or-later

#include "historystore.h"
#include "preferences.h"
#include "storedtext.h"
#include "testenvironment.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using Morv::ClipboardContent;
using Morv::HistoryStore;
using Morv::Item;
using Morv::Preferences;
using namespace StoredText;

// The stored history and sticky items in the real settings file of the preferences store.
class TestHistoryStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    static QByteArray fileContents()
    {
        QFile file(TestEnvironment::settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A copy of the settings file read by a settings object of its own: what a restart would see.
    QString copyOfTheFile()
    {
        static int copies = 0;
        const QString copy = dir.filePath(QStringLiteral("copy%1.ini").arg(++copies));
        return QFile::copy(TestEnvironment::settingsFile(), copy) ? copy : QString();
    }

    static QList<Item> sample()
    {
        QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff", 17);
        return {
            Item(QClipboard::Clipboard, Morv::Binary,
                 {{"image/png", png}, {"application/x-qt-image", QByteArray()}, {"application/x-empty", ""}}),
            Item(QClipboard::Selection, Morv::RichText,
                 {{"text/html", "<b>Gr\xc3\xbc\xc3\x9f\x65</b>"},
                  {"text/plain", "Gr\xc3\xbc\xc3\x9f\x65, \"world\""}}),
            Item(QClipboard::FindBuffer, Morv::Url,
                 {{"text/uri-list", "file:///a%20b\r\n"}, {"text/plain;charset=utf-8", "file:///a b"}})};
    }

    // The stream after "@Variant(" as the table of the stored format lays it out; false on any
    // byte that does not fit, trailing bytes included.
    static bool parse(const QByteArray &stream, QByteArray &name, QList<QPair<QString, QByteArray>> &entries)
    {
        qsizetype at = 0;
        const auto u32 = [&](quint32 &value) {
            if (at + 4 > stream.size())
                return false;
            value = qFromBigEndian<quint32>(stream.constData() + at);
            at += 4;
            return true;
        };
        quint32 type = 0, length = 0, count = 0;
        if (!u32(type) || type != 127 || !u32(length) || length == 0 || at + length > stream.size())
            return false;
        name = stream.mid(at, length);
        at += length;
        if (!name.endsWith('\0') || name.count('\0') != 1)
            return false;
        name.chop(1);
        if (!u32(count))
            return false;
        for (quint32 i = 0; i < count; ++i) {
            QString key;
            if (!u32(length) || length == 0xffffffff || length % 2 || at + length > stream.size())
                return false;
            for (quint32 k = 0; k < length; k += 2)
                key += QChar(qFromBigEndian<quint16>(stream.constData() + at + k));
            at += length;
            if (!u32(length))
                return false;
            QByteArray data;
            if (length != 0xffffffff) {
                if (at + length > stream.size())
                    return false;
                data = stream.mid(at, length);
                if (data.isNull())
                    data = QByteArray("");
                at += length;
            }
            entries.append({key, data});
        }
        return at == stream.size();
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        QVERIFY(dir.isValid());
    }

    void init()
    {
        TestEnvironment::clearSettings();
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    }

    void storedContentHasTheDocumentedLayout()
    {
        const QList<Item> items = sample();
        Preferences::instance()->saveHistory(items);
        const QByteArray ini = fileContents();

        for (int i = 0; i < items.size(); ++i) {
            const QByteArray raw =
                rawValue(ini, "dynamic", "items\\" + QByteArray::number(i + 1) + "\\content");
            // Quoted, since the type's name holds a comma.
            QVERIFY2(raw.startsWith("\"@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1aQHash<QString,QByteArray>\\0"),
                     raw.constData());
            const QByteArray text = unescape(raw);
            QVERIFY(text.startsWith("@Variant(") && text.endsWith(")"));
            const QByteArray stream = text.mid(9, text.size() - 10);
            QCOMPARE(stream.left(34), u32(127) + u32(26) + QByteArray("QHash<QString,QByteArray>", 26));

            QByteArray name;
            QList<QPair<QString, QByteArray>> entries;
            QVERIFY(parse(stream, name, entries));
            QCOMPARE(name, QByteArray("QHash<QString,QByteArray>"));
            const ClipboardContent &content = items.at(i).content();
            QCOMPARE(entries.size(), content.size());
            for (const auto &[format, data] : entries) {
                QVERIFY2(content.contains(format), qPrintable(format));
                QCOMPARE(data, content.value(format));
                QCOMPARE(data.isNull(), content.value(format).isNull());
            }
        }
        QVERIFY(ini.contains("items\\2\\mode=1\n") && ini.contains("items\\3\\contentType=3\n"));
    }

    void savedHistoryLoadsFromTheFileAlone()
    {
        const QList<Item> items = sample();
        Preferences::instance()->saveHistory(items);
        QSettings restarted(copyOfTheFile(), QSettings::IniFormat);
        const QList<Item> loaded = HistoryStore::loadHistory(restarted);
        QCOMPARE(describe(loaded), describe(items));

        // Null and empty data stay apart.
        QVERIFY(loaded.at(0).content().value("application/x-qt-image").isNull());
        QVERIFY(!loaded.at(0).content().value("application/x-empty").isNull());
        // No text/plain: an empty text, and none is added to the content.
        QCOMPARE(loaded.at(0).text(), QString());
        QVERIFY(!loaded.at(0).content().contains("text/plain"));
        QVERIFY(loaded.at(0).isValid());
        // The text comes from the stored text/plain bytes only.
        QCOMPARE(loaded.at(1).text(), QStringLiteral("Grüße, \"world\""));
        QCOMPARE(loaded.at(2).text(), QString());
    }

    void emptyHistoryAndClearItemsOnExit()
    {
        Preferences *p = Preferences::instance();
        p->saveHistory({});
        QVERIFY(fileContents().contains("[dynamic]\nitems\\size=0\n"));
        QVERIFY(p->loadHistory().isEmpty());

        p->setValue(QStringLiteral("clearItemsOnExit"), true);
        p->saveSticky({Item(QStringLiteral("pinned"))});
        p->saveHistory(sample());
        const QByteArray ini = fileContents();
        QVERIFY2(!ini.contains("[dynamic]") && !ini.contains("content="), ini.constData());
        QVERIFY(ini.contains("[sticky]\nitems\\1\\text=pinned\nitems\\size=1\n"));

        QSettings restarted(copyOfTheFile(), QSettings::IniFormat);
        QVERIFY(HistoryStore::loadHistory(restarted).isEmpty());
        QCOMPARE(describe(HistoryStore::loadSticky(restarted)), QStringList{QStringLiteral("pinned")});
    }

    void handwrittenFileLoads()
    {
        // Laid out byte by byte by data/make-fixtures.py, not by Qt; two items carry the former
        // names of the content type.
        QSettings settings(QStringLiteral(MORV_TEST_DATA_DIR "/settings/data/handwritten.ini"),
                           QSettings::IniFormat);
        const QList<Item> items = HistoryStore::loadHistory(settings);
        QCOMPARE(
            describe(items),
            QStringList(
                {"0 2 {application/x-qt-image=<null>, "
                 "image/"
                 "png=0x89504e470d0a1a0a0000000d49484452000f1e2d3c4b5a69788796a5b4c3d2e1f0ff00003b2c3d}",
                 "0 1 {text/html=0x3c623e4772c3bcc39f653c2f623e, text/plain=0x4772c3bcc39f652c20776f726c64}",
                 "1 3 {text/plain=file:///tmp/a b, text/uri-list=0x66696c653a2f2f2f746d702f612532306"
                 "20d0a}",
                 "0 0 {text/plain=old text}", "2 0 {application/x-empty=, text/plain=older}"}));
        QCOMPARE(items.at(0).text(), QString());
        QVERIFY(!items.at(0).content().contains("text/plain"));
        QCOMPARE(items.at(1).text(), QStringLiteral("Grüße, world"));
        QVERIFY(!items.at(4).content().value("application/x-empty").isNull());
        // Empty texts make no sticky items.
        QCOMPARE(describe(HistoryStore::loadSticky(settings)), QStringList({"Sticky one", "a, b"}));
    }

    void aFailedSaveIsReportedOnceAndWrittenByTheNextSync_data()
    {
        QTest::addColumn<bool>("inBackground");
        QTest::newRow("saved at once") << false;
        QTest::newRow("saved in the background") << true;
    }

    void aFailedSaveIsReportedOnceAndWrittenByTheNextSync()
    {
        QFETCH(bool, inBackground);
        Preferences *p = Preferences::instance();
        const QString folder = QFileInfo(TestEnvironment::settingsFile()).absolutePath();
        QVERIFY(QDir(folder).removeRecursively());
        {
            // A plain file where the folder should be: no write succeeds, not even as root.
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        const auto save = [&](const QList<Item> &items) {
            if (inBackground) {
                p->saveHistoryInBackground(items);
                p->waitForBackgroundSave();
            } else {
                p->saveHistory(items);
            }
        };
        // One warning for the failures in a row (any other message fails the test).
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^Could not write the settings file ")));
        save(sample());
        QVERIFY(!p->lastSyncSucceeded());
        save(sample().mid(1));
        QVERIFY(!p->lastSyncSucceeded());

        // The next sync writes the other settings at once and the newest history that failed on
        // the saver's thread.
        QVERIFY(QFile::remove(folder));
        p->saveSticky({Item(QStringLiteral("later"))});
        p->sync();
        p->waitForBackgroundSave();
        QVERIFY(p->lastSyncSucceeded());
        QSettings restarted(copyOfTheFile(), QSettings::IniFormat);
        QCOMPARE(describe(HistoryStore::loadHistory(restarted)), describe(sample().mid(1)));
        QCOMPARE(describe(HistoryStore::loadSticky(restarted)), QStringList{QStringLiteral("later")});
    }
};

QTEST_GUILESS_MAIN(TestHistoryStore)
#include "tst_historystore.moc"
