// SPDX-License-Identifier: GPL-2.0-or-later

#include "item.h"
#include "itemmimedata.h"
#include "ksystemclipboard_fake.h"
#include "testenvironment.h"

#include <QMimeData>
#include <QTest>
#include <QUrl>

using Morv::ClipboardContent;
using Morv::Item;
using Formats = QList<std::pair<QString, QByteArray>>;
using Report = FakeSystemClipboard::Report;

// How an offer becomes an item: which formats are kept, what type and text it gets, how items
// compare for the duplicate search and where toClipboard writes.
class TestItem : public QObject
{
    Q_OBJECT

    FakeSystemClipboard *fake = nullptr;

    Item capture(const Formats &formats, QClipboard::Mode mode = QClipboard::Clipboard)
    {
        fake->simulateCopy(FakeSystemClipboard::mimeData(formats), mode, Report::Silent);
        return Item(mode);
    }

    static void setSynchronisation(bool platformExtensions, int synchronizePSE)
    {
        Morv::Preferences::instance()->setValue(QStringLiteral("platformExtensions"), platformExtensions);
        Morv::Preferences::instance()->setValue(QStringLiteral("synchronizePSE"), synchronizePSE);
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        fake = FakeSystemClipboard::install();
    }

    void init()
    {
        fake->reset();
        TestEnvironment::clearSettings();
    }

    void keptFormats_data()
    {
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("text and html")
            << QStringList{"text/plain", "text/html"} << QStringList{"text/plain", "text/html"};
        QTest::newRow("bitmap aliases dropped beside image/bmp")
            << QStringList{"image/bmp", "image/x-bmp", "image/x-MS-bmp", "image/png"}
            << QStringList{"image/bmp", "image/png"};
        QTest::newRow("alias listed before image/bmp")
            << QStringList{"image/x-bmp", "image/bmp"} << QStringList{"image/bmp"};
        QTest::newRow("alias alone is kept") << QStringList{"image/x-bmp"} << QStringList{"image/x-bmp"};
        QTest::newRow("only image types are aliases")
            << QStringList{"image/bmp", "application/x-bmp", "image/-bmp", "image/x-bmp-data"}
            << QStringList{"image/bmp", "application/x-bmp", "image/-bmp", "image/x-bmp-data"};
        QTest::newRow("platform target names dropped")
            << QStringList{"TARGETS", "text/plain", "TIMESTAMP", "", "x-kde-passwordManagerHint", "MULTIPLE"}
            << QStringList{"text/plain"};
    }

    void keptFormats()
    {
        QFETCH(QStringList, offered);
        QFETCH(QStringList, kept);
        Formats formats;
        for (const QString &format : offered)
            formats.append({format, "bytes of " + format.toLatin1()});
        const Item item = capture(formats);
        QVERIFY(item.isValid());
        QStringList keys = item.content().keys();
        keys.sort();
        kept.sort();
        QCOMPARE(keys, kept);
        for (const QString &format : std::as_const(kept))
            QCOMPARE(item.content().value(format), "bytes of " + format.toLatin1());
    }

    void bytesAreKeptAsDelivered()
    {
        const QByteArray binary("\x89PNG\r\n\x1a\n\0\xff\xfe", 11);
        const QByteArray spaced("  two  \r\n lines \t");
        const Item item = capture({{"image/png", binary}, {"text/plain", spaced}});
        QCOMPARE(item.content().value("image/png"), binary);
        QCOMPARE(item.content().value("text/plain"), spaced);
        QCOMPARE(item.text(), QString::fromUtf8(spaced)); // never trimmed
    }

    void contentTypeAndText_data()
    {
        QTest::addColumn<Formats>("formats");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::newRow("html with text")
            << Formats{{"text/plain", "plain words"}, {"text/html", "<b>rich</b> words"}}
            << int(Morv::RichText) << "plain words";
        QTest::newRow("html alone") << Formats{{"text/html", "<b>rich</b>"}} << int(Morv::RichText) << "";
        QTest::newRow("html wins over urls")
            << Formats{{"text/uri-list", "file:///tmp/a\r\n"}, {"text/html", "<a>a</a>"}}
            << int(Morv::RichText) << "file:///tmp/a";
        QTest::newRow("two file urls")
            << Formats{{"text/uri-list", "file:///tmp/a%20b.txt\r\nfile:///home/c\r\n"},
                       {"text/plain", "something else"}}
            << int(Morv::Url) << "file:///tmp/a b.txt\nfile:///home/c\n";
        QTest::newRow("text") << Formats{{"text/plain", "just text"}} << int(Morv::PlainText) << "just text";
        QTest::newRow("utf-8 text") << Formats{{"text/plain", "gr\xc3\xbc\xc3\x9f"}} << int(Morv::PlainText)
                                    << QString::fromUtf8("gr\xc3\xbc\xc3\x9f");
        QTest::newRow("image") << Formats{{"image/png", "\x89PNG"}} << int(Morv::Binary) << "";
        QTest::newRow("target names only") << Formats{{"TARGETS", "x"}} << int(Morv::Binary) << "";
    }

    void contentTypeAndText()
    {
        QFETCH(Formats, formats);
        QFETCH(int, type);
        QFETCH(QString, text);
        const Item item = capture(formats);
        QVERIFY(item.isValid());
        QCOMPARE(int(item.contentType()), type);
        QCOMPARE(item.text(), text);
    }

    // What a paste into a Qt program asks of a chosen item of links: the list as links, and as the
    // text of an offer of links alone. Qt 6.11 leaves making links of the bytes to the mime data.
    void theLinksOfAChosenItemAreLinks()
    {
        const QByteArray list("file:///tmp/a%20b.txt\r\nfile:///home/c\r\n");
        const Morv::ItemMimeData mime(capture({{"text/uri-list", list}}));
        QCOMPARE(mime.urls(), (QList<QUrl>{QUrl("file:///tmp/a b.txt"), QUrl("file:///home/c")}));
        QCOMPARE(mime.text(), QStringLiteral("file:///tmp/a b.txt\nfile:///home/c\n"));
        QCOMPARE(mime.data("text/uri-list"), list);
    }

    void anEmptyClipboardGivesAnInvalidItem_data()
    {
        QTest::addColumn<bool>("ownerExited");
        QTest::addColumn<int>("mode");
        QTest::newRow("no offer at all") << false << int(QClipboard::Clipboard);
        QTest::newRow("owner exited") << true << int(QClipboard::Clipboard);
        QTest::newRow("owner of the selection exited") << true << int(QClipboard::Selection);
    }

    void anEmptyClipboardGivesAnInvalidItem()
    {
        QFETCH(bool, ownerExited);
        QFETCH(int, mode);
        if (ownerExited)
            fake->simulateOwnerExit(QClipboard::Mode(mode), Report::Silent);
        const Item item{QClipboard::Mode(mode)};
        QVERIFY(!item.isValid());
        QCOMPARE(int(item.mode()), mode);
        QVERIFY(item.content().isEmpty());
        QVERIFY(item.text().isEmpty());
        QCOMPARE(item.contentType(), Morv::Binary);
        QVERIFY(!Item().isValid());
    }

    void offersOfTargetNamesOnlyAreValidAndEqual()
    {
        const Item first = capture({{"TARGETS", "a"}, {"TIMESTAMP", "1"}});
        const Item second = capture({{"SAVE_TARGETS", "b"}});
        QVERIFY(first.isValid());
        QVERIFY(first.content().isEmpty());
        QVERIFY(first == second);
    }

    void equality_data()
    {
        QTest::addColumn<bool>("platformExtensions");
        QTest::addColumn<int>("synchronizePSE");
        QTest::addColumn<bool>("acrossModes");
        QTest::newRow("no extensions") << false << 0 << false;
        QTest::newRow("no extensions, synchronisation set") << false << 2 << false;
        QTest::newRow("extensions without synchronisation") << true << 0 << false;
        QTest::newRow("synchronise on select") << true << 1 << true;
        QTest::newRow("synchronise instantly") << true << 2 << true;
    }

    void equality()
    {
        QFETCH(bool, platformExtensions);
        QFETCH(int, synchronizePSE);
        QFETCH(bool, acrossModes);
        setSynchronisation(platformExtensions, synchronizePSE);

        const Formats formats{{"text/plain", "same"}, {"text/html", "<i>same</i>"}};
        const Item clipboard = capture(formats, QClipboard::Clipboard);
        const Item selection = capture(formats, QClipboard::Selection);
        const Item findBuffer = capture(formats, QClipboard::FindBuffer);
        QVERIFY(clipboard == capture(formats, QClipboard::Clipboard));
        QCOMPARE(clipboard == selection, acrossModes);
        QCOMPARE(selection == findBuffer, acrossModes);

        // Content decides: one byte, one more format or one format less makes a difference.
        QVERIFY(!(clipboard == capture({{"text/plain", "same"}, {"text/html", "<i>same</I>"}})));
        QVERIFY(!(clipboard == capture({{"text/plain", "same"}})));
        QVERIFY(!(clipboard == capture({{"text/plain", "same"}, {"text/html", "<i>same</i>"}, {"a/b", ""}})));

        // Type and text do not: a URL capture equals the stored item of the same content.
        const Formats urls{{"text/uri-list", "file:///x\r\n"}, {"text/plain", "x"}};
        const Item url = capture(urls);
        const Item stored(QClipboard::Clipboard, Morv::PlainText, url.content());
        QVERIFY(url.text() != stored.text());
        QVERIFY(url == stored);
    }

    void validityIsCompared()
    {
        fake->simulateOwnerExit(QClipboard::Clipboard, Report::Silent);
        const Item empty(QClipboard::Clipboard);
        const Item noKeptFormat = capture({{"TARGETS", ""}});
        QVERIFY(empty.content() == noKeptFormat.content());
        QVERIFY(!(empty == noKeptFormat));
    }

    void storedItemsKeepTheirContent()
    {
        // An image without "text/plain" must stay exactly that: an added empty text entry would
        // make it differ from the same image copied again and put an empty text on the clipboard.
        const ClipboardContent image{{"image/png", QByteArray("\x89PNG\0data", 9)}};
        const Item stored(QClipboard::Clipboard, Morv::Binary, image);
        QVERIFY(stored.isValid());
        QCOMPARE(stored.content(), image);
        QVERIFY(stored.text().isEmpty());
        QVERIFY(stored == capture({{"image/png", QByteArray("\x89PNG\0data", 9)}}));

        stored.toClipboard(Morv::OwnMode);
        QCOMPARE(fake->writes().last().formats, QStringList{"image/png"});

        const Item text(QClipboard::Selection, Morv::RichText,
                        {{"text/plain", "na\xc3\xafve"}, {"text/html", "<p>x</p>"}});
        QCOMPARE(text.text(), QString::fromUtf8("na\xc3\xafve"));
        QCOMPARE(text.mode(), QClipboard::Selection);
        QCOMPARE(text.contentType(), Morv::RichText);
        QCOMPARE(text.content().size(), 2);
    }

    void stickyItems()
    {
        const Item sticky(QStringLiteral("abc"));
        QVERIFY(sticky.isValid());
        QCOMPARE(sticky.mode(), QClipboard::Clipboard);
        QCOMPARE(sticky.contentType(), Morv::Sticky);
        QCOMPARE(sticky.text(), QStringLiteral("abc"));
        QCOMPARE(sticky.content(), (ClipboardContent{{"text/plain", "abc"}}));

        QCOMPARE(Item(QString::fromUtf8("\xe2\x82\xac 5")).content().value("text/plain"),
                 QByteArray("\xe2\x82\xac 5"));
        QVERIFY(!Item(QString()).isValid());
        QVERIFY(!Item(QStringLiteral("")).isValid());

        // A copy of the same text from a program that offers only "text/plain" is its duplicate.
        QVERIFY(sticky == capture({{"text/plain", "abc"}}));
        QVERIFY(!(sticky == capture({{"text/plain", "abc"}, {"text/html", "abc"}})));
    }

    void toClipboard_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("targets");
        QTest::addColumn<QList<int>>("written");
        const int own = Morv::OwnMode;
        const int other = Morv::OtherMode;
        const int clipboard = QClipboard::Clipboard;
        const int selection = QClipboard::Selection;
        const int findBuffer = QClipboard::FindBuffer;
        QTest::newRow("nothing") << clipboard << 0 << QList<int>{};
        QTest::newRow("clipboard, own") << clipboard << own << QList<int>{clipboard};
        QTest::newRow("clipboard, other") << clipboard << other << QList<int>{selection};
        QTest::newRow("clipboard, both") << clipboard << (own | other) << QList<int>{clipboard, selection};
        QTest::newRow("selection, both") << selection << (own | other) << QList<int>{selection, clipboard};
        QTest::newRow("find buffer, other") << findBuffer << other << QList<int>{clipboard};
        QTest::newRow("find buffer, both")
            << findBuffer << (own | other) << QList<int>{findBuffer, clipboard};
    }

    void toClipboard()
    {
        QFETCH(int, mode);
        QFETCH(int, targets);
        QFETCH(QList<int>, written);
        const Item item = capture({{"text/plain", "t"}, {"image/png", "p"}}, QClipboard::Mode(mode));
        item.toClipboard(Morv::ClipboardTargets(targets));
        QList<int> modes;
        for (const FakeSystemClipboard::Write &write : fake->writes()) {
            modes.append(write.mode);
            QCOMPARE(write.content, item.content());
        }
        QCOMPARE(modes, written);
    }

    void anItemWithoutContentWritesAnEmptyOffer()
    {
        const Item item = capture({{"TARGETS", "x"}});
        item.toClipboard(Morv::OwnMode);
        QCOMPARE(fake->writes().size(), 1);
        QVERIFY(fake->writes().at(0).formats.isEmpty());
        QVERIFY(fake->mimeData(QClipboard::Clipboard));
    }

    void secretOffers()
    {
        QVERIFY(!Item::isSecret(nullptr));
        QScopedPointer<QMimeData> mime(FakeSystemClipboard::mimeData({{"text/plain", "hunter2"}}));
        QVERIFY(!Item::isSecret(mime.get()));
        mime->setData("x-kde-passwordManagerHint", "secret");
        QVERIFY(Item::isSecret(mime.get()));
        mime->setData("x-kde-passwordManagerHint", "public");
        QVERIFY(!Item::isSecret(mime.get()));
    }
};

QTEST_GUILESS_MAIN(TestItem)
#include "tst_item.moc"
