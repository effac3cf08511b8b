// SPDX-License-Identifier: GPL-2.0-or-later

#include "item.h"
#include "itempresentation.h"
#include "testenvironment.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

using Morv::ContentType;
using Morv::Item;
namespace Presentation = Morv::ItemPresentation;

// The text, icon and tool tip of a menu entry.
class TestItemPresentation : public QObject
{
    Q_OBJECT

    QTemporaryDir themes;
    const QColor themeColour = QColor(200, 10, 10);

    static Item item(int type, const QString &text, int mode = QClipboard::Clipboard)
    {
        return Item(QClipboard::Mode(mode), ContentType(type),
                    {{QStringLiteral("text/plain"), text.toUtf8()}});
    }

    static void set(const QString &key, const QVariant &value)
    {
        Morv::Preferences::instance()->setValue(key, value);
    }

    static QImage image(const QIcon &icon)
    {
        return icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    }

    // An icon theme of our own with only "text-plain": its left half transparent, its right half
    // opaque, so that a background painted under it shows on the left only.
    void writeTheme()
    {
        const QString folder = themes.path() + QStringLiteral("/morv-test/32x32");
        QVERIFY(QDir().mkpath(folder));
        QFile index(themes.path() + QStringLiteral("/morv-test/index.theme"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=morv-test\nDirectories=32x32\n\n[32x32]\nSize=32\nType=Fixed\n");
        index.close();
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        QPainter(&icon).fillRect(16, 0, 16, 32, themeColour);
        QVERIFY(icon.save(folder + QStringLiteral("/text-plain.png")));
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        QVERIFY(themes.isValid());
        writeTheme();
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setFallbackSearchPaths({});
        QIcon::setThemeName(QStringLiteral("morv-test"));
    }

    void init() { TestEnvironment::clearSettings(); }

    void displayText_data()
    {
        QTest::addColumn<int>("displaySize");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const QString thirty = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123");
        QTest::newRow("31 characters") << 30 << int(Morv::PlainText) << thirty + "4" << thirty;
        QTest::newRow("exactly 30") << 30 << int(Morv::PlainText) << thirty << thirty;
        QTest::newRow("rich text cut") << 5 << int(Morv::RichText) << "rich text"
                                       << "rich ";
        QTest::newRow("sticky cut") << 4 << int(Morv::Sticky) << "sticky"
                                    << "stic";
        QTest::newRow("binary without text") << 30 << int(Morv::Binary) << ""
                                             << "Binary: ";
        QTest::newRow("binary prefix counts") << 10 << int(Morv::Binary) << "abcdef"
                                              << "Binary: ab";
        QTest::newRow("url prefix counts") << 30 << int(Morv::Url) << "file:///home/user/some/long/path.txt\n"
                                           << "Url: file:///home/user/some/lo";
        QTest::newRow("url kept whole") << 30 << int(Morv::Url) << "http://a.b/"
                                        << "Url: http://a.b/";
        QTest::newRow("negative size never cuts")
            << -1 << int(Morv::PlainText) << thirty + thirty << thirty + thirty;
        QTest::newRow("negative size, prefix") << -20 << int(Morv::Binary) << thirty << "Binary: " + thirty;
        QTest::newRow("size 0") << 0 << int(Morv::PlainText) << "text"
                                << "";
        QTest::newRow("size 0, prefix") << 0 << int(Morv::Url) << "x"
                                        << "";
        QTest::newRow("line breaks stay") << 30 << int(Morv::PlainText) << "one\ntwo"
                                          << "one\ntwo";
        QTest::newRow("placeholders in the text") << 30 << int(Morv::Binary) << "%1 %2"
                                                  << "Binary: %1 %2";
        QTest::newRow("unknown type") << 30 << 9 << "text" << QString();
    }

    void displayText()
    {
        QFETCH(int, displaySize);
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        set(QStringLiteral("displaySize"), displaySize);
        const QString result = Presentation::displayText(item(type, text));
        QCOMPARE(result, shown);
        QCOMPARE(result.isNull(), shown.isNull());
    }

    void theSizeIsReadAtEachCall()
    {
        const Item plain = item(Morv::PlainText, QStringLiteral("0123456789"));
        set(QStringLiteral("displaySize"), 4);
        QCOMPARE(Presentation::displayText(plain), QStringLiteral("0123"));
        set(QStringLiteral("displaySize"), 7);
        QCOMPARE(Presentation::displayText(plain), QStringLiteral("0123456"));
    }

    void aCutNeverSplitsASurrogatePair_data()
    {
        QTest::addColumn<int>("displaySize");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("shown");
        const QString a29(29, QLatin1Char('a'));
        const QString smile = QString::fromUtf8("\xf0\x9f\x98\x80"); // two UTF-16 code units
        QTest::newRow("pair at the edge") << 30 << int(Morv::PlainText) << a29;
        QTest::newRow("pair just inside") << 31 << int(Morv::PlainText) << a29 + smile;
        QTest::newRow("pair after the edge") << 29 << int(Morv::PlainText) << a29;
        QTest::newRow("prefix moves the edge") << 38 << int(Morv::Binary) << "Binary: " + a29;
        QTest::newRow("pair at the start, size 1") << 1 << int(Morv::Sticky) << "";
    }

    void aCutNeverSplitsASurrogatePair()
    {
        QFETCH(int, displaySize);
        QFETCH(int, type);
        QFETCH(QString, shown);
        const QString smile = QString::fromUtf8("\xf0\x9f\x98\x80");
        const QString text = displaySize == 1 ? smile + "b" : QString(29, QLatin1Char('a')) + smile + "b";
        set(QStringLiteral("displaySize"), displaySize);
        const QString result = Presentation::displayText(item(type, text));
        QCOMPARE(result, shown);
        QVERIFY(result.isEmpty() || !result.back().isHighSurrogate());
    }

    void trim_data()
    {
        QTest::addColumn<bool>("trim");
        QTest::addColumn<int>("displaySize");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const QString messy = QStringLiteral("  first  \n\t second\r\n\n   third \t");
        QTest::newRow("on: every line trimmed")
            << true << 100 << int(Morv::PlainText) << messy << "first\nsecond\n\nthird";
        QTest::newRow("off: shown as captured") << false << 100 << int(Morv::PlainText) << messy << messy;
        QTest::newRow("on: trimmed before the cut")
            << true << 5 << int(Morv::PlainText) << "      hello world"
            << "hello";
        QTest::newRow("off: whitespace counts") << false << 5 << int(Morv::PlainText) << "      hello"
                                                << "     ";
        QTest::newRow("on: the prefix stays") << true << 30 << int(Morv::Binary) << "  data  "
                                              << "Binary: data";
        QTest::newRow("on: url lines") << true << 100 << int(Morv::Url) << " file:///a \n file:///b \n"
                                       << "Url: file:///a\nfile:///b\n";
        QTest::newRow("on: many lines, cut")
            << true << 9 << int(Morv::PlainText) << QString("  x  \n").repeated(50000) << "x\nx\nx\nx\nx";
        // A line longer than what is shown: not copied whole, and still trimmed only at its ends.
        QTest::newRow("on: one huge line")
            << true << 6 << int(Morv::PlainText) << "  big " + QString(3000000, QLatin1Char('y')) << "big yy";
        QTest::newRow("on: blanks up to the line's end go")
            << true << 6 << int(Morv::PlainText) << "ab" + QString(3000000, QLatin1Char(' ')) + "\n  cd"
            << "ab\ncd";
        QTest::newRow("on: blanks inside a long line stay")
            << true << 6 << int(Morv::PlainText) << "ab" + QString(100, QLatin1Char(' ')) + "cd"
            << "ab    ";
        QTest::newRow("on: surrogate at the edge")
            << true << 3 << int(Morv::PlainText) << QString::fromUtf8("   ab\xf0\x9f\x98\x80") << "ab";
    }

    void trim()
    {
        QFETCH(bool, trim);
        QFETCH(int, displaySize);
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        set(QStringLiteral("trim"), trim);
        set(QStringLiteral("displaySize"), displaySize);
        const Item shownItem = item(type, text);
        QCOMPARE(Presentation::displayText(shownItem), shown);
        QCOMPARE(shownItem.content().value(QStringLiteral("text/plain")), text.toUtf8());
    }

    void typeIcons_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("fallback");
        QTest::newRow("rich text") << int(Morv::RichText) << ":/icons/text-enriched.png";
        QTest::newRow("binary") << int(Morv::Binary) << ":/icons/image-x-generic.png";
        QTest::newRow("url") << int(Morv::Url) << ":/icons/quickopen-file.png";
        QTest::newRow("sticky") << int(Morv::Sticky) << ":/icons/knotes.png";
    }

    void typeIcons()
    {
        // The test theme has none of these: the compiled-in image is used.
        QFETCH(int, type);
        QFETCH(QString, fallback);
        const QImage expected = QImage(fallback).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!expected.isNull());
        QCOMPARE(image(Presentation::typeIcon(item(type, QString()))), expected);
    }

    void theThemeIconComesFirst()
    {
        const QImage icon = image(Presentation::typeIcon(item(Morv::PlainText, QString())));
        QCOMPARE(icon.pixelColor(24, 8), themeColour);
        QCOMPARE(icon.pixelColor(4, 8).alpha(), 0);
    }

    void anUnknownTypeHasNoIcon()
    {
        QVERIFY(Presentation::typeIcon(item(9, QString())).isNull());
        QVERIFY(Presentation::itemIcon(item(9, QString())).isNull());
        // With the platform extensions the mode's colour is all there is.
        set(QStringLiteral("platformExtensions"), true);
        const QImage icon = image(Presentation::itemIcon(item(9, QString(), QClipboard::Selection)));
        QCOMPARE(icon.pixelColor(16, 16), QColor(0x00, 0x00, 0x44));
    }

    void withoutPlatformExtensionsTheModeDoesNotShow()
    {
        for (int type = Morv::PlainText; type <= int(Morv::Sticky); ++type) {
            const QImage icon = image(Presentation::typeIcon(item(type, QString())));
            for (int mode = QClipboard::Clipboard; mode <= QClipboard::FindBuffer; ++mode)
                QCOMPARE(image(Presentation::itemIcon(item(type, QString(), mode))), icon);
        }
    }

    void modeColours_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QColor>("background");
        QTest::newRow("clipboard") << int(QClipboard::Clipboard) << QColor(0x00, 0x44, 0x00);
        QTest::newRow("selection") << int(QClipboard::Selection) << QColor(0x00, 0x00, 0x44);
        QTest::newRow("find buffer") << int(QClipboard::FindBuffer) << QColor(0x44, 0x00, 0x00);
    }

    void modeColours()
    {
        QFETCH(int, mode);
        QFETCH(QColor, background);
        set(QStringLiteral("platformExtensions"), true);

        // The theme's text icon: background on its transparent half, the icon on the other.
        const QImage plain = image(Presentation::itemIcon(item(Morv::PlainText, QString(), mode)));
        QCOMPARE(plain.size(), QSize(32, 32));
        QCOMPARE(plain.pixelColor(4, 8), background);
        QCOMPARE(plain.pixelColor(24, 8), themeColour);

        // Every compiled-in icon: where it is transparent the background shows, where it is opaque
        // the icon does.
        for (int type = Morv::RichText; type <= int(Morv::Sticky); ++type) {
            const QImage typeImage = image(Presentation::typeIcon(item(type, QString())));
            const QImage coloured = image(Presentation::itemIcon(item(type, QString(), mode)));
            QPoint clear(-1, -1), opaque(-1, -1);
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < 32; ++x) {
                    const int alpha = typeImage.pixelColor(x, y).alpha();
                    if (alpha == 0 && clear.x() < 0)
                        clear = QPoint(x, y);
                    if (alpha == 255 && opaque.x() < 0)
                        opaque = QPoint(x, y);
                }
            }
            QVERIFY2(clear.x() >= 0 && opaque.x() >= 0, "icons have transparent and opaque pixels");
            QCOMPARE(coloured.pixelColor(clear), background);
            QCOMPARE(coloured.pixelColor(opaque), typeImage.pixelColor(opaque));
        }

        // Painted once per type and mode, kept in the pixmap cache.
        QPixmap cached;
        QVERIFY(QPixmapCache::find(QStringLiteral("0_%1").arg(mode), &cached));
        QCOMPARE(cached.toImage().convertToFormat(QImage::Format_ARGB32), plain);
        QVERIFY(QPixmapCache::find(QStringLiteral("4_%1").arg(mode), &cached));
    }

    void aDroppedCacheEntryIsPaintedAgain()
    {
        set(QStringLiteral("platformExtensions"), true);
        const Item url = item(Morv::Url, QString(), QClipboard::Selection);
        const QImage first = image(Presentation::itemIcon(url));
        QPixmapCache::clear();
        QCOMPARE(image(Presentation::itemIcon(url)), first);
    }

    void toolTips_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("toolTip");
        QTest::newRow("sticky") << int(QClipboard::Clipboard) << int(Morv::Sticky)
                                << "Clipboard: Sticky Item (Plain Text)";
        QTest::newRow("selection url") << int(QClipboard::Selection) << int(Morv::Url) << "Selection: URL";
        QTest::newRow("find buffer binary")
            << int(QClipboard::FindBuffer) << int(Morv::Binary) << "Find Buffer: Binary Content";
        QTest::newRow("clipboard rich")
            << int(QClipboard::Clipboard) << int(Morv::RichText) << "Clipboard: Rich Text";
        QTest::newRow("clipboard plain")
            << int(QClipboard::Clipboard) << int(Morv::PlainText) << "Clipboard: Plain Text";
        // QClipboard::Mode can hold 0 to 3; 3 names no clipboard.
        QTest::newRow("unknown mode") << 3 << int(Morv::PlainText) << ": Plain Text";
        QTest::newRow("unknown type") << int(QClipboard::Selection) << 12 << "Selection: ";
    }

    void toolTips()
    {
        QFETCH(int, mode);
        QFETCH(int, type);
        QFETCH(QString, toolTip);
        QCOMPARE(Presentation::toolTip(item(type, QStringLiteral("%2 text"), mode)), toolTip);
    }

    void germanTexts()
    {
        QTranslator german;
        QVERIFY(german.load(QStringLiteral(MORV_BINARY_DIR "/translations/morv-clip_de.qm")));
        const char *texts[] = {
            "Binary: %1", "Url: %1",   "Clipboard",      "Selection", "Find Buffer",
            "Plain Text", "Rich Text", "Binary Content", "URL",       "Sticky Item (Plain Text)"};
        for (const char *text : texts)
            QVERIFY2(!german.translate("QObject", text).isEmpty(), text);

        QVERIFY(QCoreApplication::installTranslator(&german));
        set(QStringLiteral("displaySize"), 100);
        const QString binary = Presentation::displayText(item(Morv::Binary, QStringLiteral("x")));
        const QString toolTip = Presentation::toolTip(item(Morv::Sticky, QString()));
        QCoreApplication::removeTranslator(&german);
        QCOMPARE(binary, german.translate("QObject", "Binary: %1").arg(QLatin1Char('x')));
        QVERIFY(binary != QStringLiteral("Binary: x"));
        QCOMPARE(toolTip, german.translate("QObject", "Clipboard") + QStringLiteral(": ") +
                              german.translate("QObject", "Sticky Item (Plain Text)"));
    }
};

QTEST_MAIN(TestItemPresentation)
#include "tst_itempresentation.moc"
