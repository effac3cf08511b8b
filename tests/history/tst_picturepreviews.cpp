// SPDX-License-Identifier: GPL-2.0-or-later

#include "contentfilestore.h"
#include "historystore.h"
#include "item.h"
#include "itempresentation.h"
#include "noise.h"
#include "picturedecoder.h"
#include "picturepreviews.h"
#include "testenvironment.h"
#include "thumbnailstore.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

#include <sys/stat.h>

using Morv::Item;
using Morv::PicturePreviews;
using Morv::ThumbnailStore;
namespace Presentation = Morv::ItemPresentation;

namespace {

// A picture of one colour; with noise in its bottom rows, so that its PNG is larger than the
// settings file keeps inline.
QByteArray picture(const QSize &size, const QColor &colour, const char *format = "PNG", int noiseRows = 0)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QByteArray bytes =
        noise(quint32(size.width() * 7 + noiseRows), qsizetype(size.width()) * 4 * noiseRows);
    for (int row = 0; row < noiseRows && row < size.height(); ++row)
        memcpy(image.scanLine(size.height() - 1 - row), bytes.constData() + qsizetype(row) * size.width() * 4,
               size_t(size.width()) * 4);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return encoded;
}

Item pictureItem(const QList<std::pair<QString, QByteArray>> &formats,
                 QClipboard::Mode mode = QClipboard::Clipboard)
{
    Morv::ClipboardContent content;
    for (const auto &[format, bytes] : formats)
        content.insert(format, bytes);
    return Item(mode, Morv::Binary, content);
}

// The same picture as a restart loads it: known by the hash and size of its content file.
Item storedPictureItem(const QByteArray &sha256, qint64 size)
{
    return Item(QClipboard::Clipboard, Morv::Binary, {},
                {{QStringLiteral("image/png"), Morv::LargeContent(sha256, size)}}, QString());
}

QImage image(const QIcon &icon)
{
    return icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
}

bool similar(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) < 12 && qAbs(a.green() - b.green()) < 12 && qAbs(a.blue() - b.blue()) < 12;
}

uint permissions(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0xffff;
}

// The picture a tool tip shows: its rich text laid out as a tool tip lays it out.
QImage toolTipPicture(const QString &toolTip)
{
    const QRegularExpressionMatch source =
        QRegularExpression(QStringLiteral("<img src=\"([^\"]+)\"")).match(toolTip);
    if (!source.hasMatch())
        return QImage();
    QTextDocument document;
    document.setHtml(toolTip);
    return document.resource(QTextDocument::ImageResource, QUrl(source.captured(1))).value<QImage>();
}

} // namespace

// What a picture entry shows with "showPreviews": its size, a thumbnail, a larger preview; and how
// the thumbnails are made, stored beside the content files and read back.
class TestPicturePreviews : public QObject
{
    Q_OBJECT

    static void set(const QString &key, const QVariant &value)
    {
        Morv::Preferences::instance()->setValue(key, value);
    }

    // Waits until every preview asked for is made, and the thumbnails written are known.
    static bool settle()
    {
        const bool made =
            QTest::qWaitFor([] { return PicturePreviews::instance()->pendingCount() == 0; }, 10000);
        QTest::qWait(50);
        return made;
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        TestEnvironment::clearSettings();
        // This process stores the history, and so writes thumbnails.
        QVERIFY(Morv::Preferences::instance()->storesHistory());
        QIcon::setThemeSearchPaths({});
        QIcon::setThemeName(QString());
    }

    void init()
    {
        TestEnvironment::clearSettings();
        set(QStringLiteral("showPreviews"), true);
    }

    void withPreviewsOffAPictureLooksAsAnyBinaryItem()
    {
        set(QStringLiteral("showPreviews"), false);
        const int decoded = PicturePreviews::decodeCount();
        const Item item = pictureItem({{QStringLiteral("image/png"), picture(QSize(40, 30), Qt::red)}});
        for (int repeat = 0; repeat < 2; ++repeat) {
            QCOMPARE(Presentation::displayText(item), QStringLiteral("Binary: "));
            QCOMPARE(Presentation::toolTip(item), QStringLiteral("Clipboard: Binary Content"));
            QCOMPARE(image(Presentation::itemIcon(item)), image(Presentation::typeIcon(item)));
            Presentation::prepare(item);
            QVERIFY(settle());
        }
        QCOMPARE(PicturePreviews::decodeCount(), decoded);
    }

    void aPictureShowsItsSizeAThumbnailAndAPreview()
    {
        const QByteArray png = picture(QSize(64, 48), QColor(220, 30, 30));
        QVERIFY(!Morv::LargeContent::isLarge(png));
        const Item item = pictureItem({{QStringLiteral("image/png"), png}});
        QSignalSpy ready(PicturePreviews::instance(), &PicturePreviews::ready);

        // Until the preview is made the entry looks as the Part says; the menu never waits.
        QCOMPARE(Presentation::displayText(item), QStringLiteral("Binary: "));
        QCOMPARE(image(Presentation::itemIcon(item)), image(Presentation::typeIcon(item)));
        QCOMPARE(Presentation::toolTip(item), QStringLiteral("Clipboard: Binary Content"));
        QVERIFY(settle());
        QCOMPARE(ready.count(), 1);

        QCOMPARE(Presentation::displayText(item), QStringLiteral("Binary: 64 x 48"));
        set(QStringLiteral("displaySize"), 12);
        QCOMPARE(Presentation::displayText(item), QStringLiteral("Binary: 64 x"));

        // Scaled to fit the square, aspect kept: 32 x 24, centred.
        const QImage icon = image(Presentation::itemIcon(item));
        QVERIFY(similar(icon.pixelColor(16, 16), QColor(220, 30, 30)));
        QCOMPARE(icon.pixelColor(16, 1).alpha(), 0);
        QCOMPARE(icon.pixelColor(16, 30).alpha(), 0);

        const QString toolTip = Presentation::toolTip(item);
        QVERIFY2(Qt::mightBeRichText(toolTip), qPrintable(toolTip));
        QVERIFY(toolTip.contains(QStringLiteral("Clipboard: Binary Content")));
        QVERIFY(toolTip.contains(QLocale().toString(qint64(png.size())) + QStringLiteral(" bytes")));
        // A small picture is not enlarged.
        const QImage shown = toolTipPicture(toolTip);
        QCOMPARE(shown.size(), QSize(64, 48));
        QVERIFY(similar(shown.pixelColor(30, 20), QColor(220, 30, 30)));

        // Off again: the Part's presentation at once.
        set(QStringLiteral("showPreviews"), false);
        QCOMPARE(Presentation::displayText(item), QStringLiteral("Binary: "));
        QCOMPARE(Presentation::toolTip(item), QStringLiteral("Clipboard: Binary Content"));
    }

    void aLargePictureIsScaledDownAndItsThumbnailsStoredBesideItsContentFile()
    {
        const QByteArray png = picture(QSize(1000, 500), QColor(20, 160, 40), "PNG", 20);
        QVERIFY(Morv::LargeContent::isLarge(png));
        const QByteArray sha256 = Morv::ContentFileStore::hash(png);
        const Item item = pictureItem({{QStringLiteral("image/png"), png}});
        const int decoded = PicturePreviews::decodeCount();
        Presentation::prepare(item);
        QVERIFY(settle());
        QCOMPARE(PicturePreviews::decodeCount(), decoded + 1);
        QCOMPARE(Presentation::displayText(item), QStringLiteral("Binary: 1000 x 500"));
        QCOMPARE(toolTipPicture(Presentation::toolTip(item)).size(), QSize(320, 160));
        QVERIFY(similar(image(Presentation::itemIcon(item)).pixelColor(16, 12), QColor(20, 160, 40)));

        // Not stored yet: nothing on the disk.
        QVERIFY(!QFile::exists(ThumbnailStore::filePath(sha256, ThumbnailStore::Icon)));

        // Stored: the thumbnails follow the content file, private like it.
        QVERIFY(Morv::HistoryStore::storeContents({item}));
        const QString icon = ThumbnailStore::filePath(sha256, ThumbnailStore::Icon);
        const QString preview = ThumbnailStore::filePath(sha256, ThumbnailStore::Preview);
        QTRY_VERIFY(QFile::exists(icon) && QFile::exists(preview));
        QCOMPARE(permissions(icon), 0600u);
        QCOMPARE(permissions(preview), 0600u);
        QCOMPARE(permissions(ThumbnailStore::folder()), 0700u);
        QVERIFY2(QFileInfo(icon).size() < 4096, qPrintable(QString::number(QFileInfo(icon).size())));
        QCOMPARE(QImage(icon).size(), QSize(32, 16));
        QCOMPARE(QImage(preview).size(), QSize(320, 160));

        // The larger preview is read from its file from now on.
        QVERIFY(settle());
        QCOMPARE(toolTipPicture(Presentation::toolTip(item)).size(), QSize(320, 160));

        // A restart reads the thumbnails instead of decoding the picture again.
        const Item restored = storedPictureItem(sha256, png.size());
        Presentation::prepare(restored);
        QVERIFY(settle());
        QCOMPARE(PicturePreviews::decodeCount(), decoded + 1);
        QCOMPARE(Presentation::displayText(restored), QStringLiteral("Binary: 1000 x 500"));
        QVERIFY(similar(image(Presentation::itemIcon(restored)).pixelColor(16, 12), QColor(20, 160, 40)));
        QCOMPARE(toolTipPicture(Presentation::toolTip(restored)).size(), QSize(320, 160));
    }

    void aDamagedThumbnailIsMadeAgain_data()
    {
        QTest::addColumn<int>("damage");
        QTest::newRow("bytes changed") << 0;
        QTest::newRow("cut short") << 1;
        QTest::newRow("a picture of another size") << 2;
    }

    void aDamagedThumbnailIsMadeAgain()
    {
        QFETCH(int, damage);
        const QByteArray png = picture(QSize(300, 200), QColor(30, 30, 200), "PNG", 10 + damage);
        const QByteArray sha256 = Morv::ContentFileStore::hash(png);
        const Item item = pictureItem({{QStringLiteral("image/png"), png}});
        QVERIFY(Morv::HistoryStore::storeContents({item}));
        Presentation::prepare(item);
        QVERIFY(settle());
        const QString icon = ThumbnailStore::filePath(sha256, ThumbnailStore::Icon);
        QTRY_VERIFY(QFile::exists(icon));
        const QByteArray sound = ThumbnailStore::read(sha256, ThumbnailStore::Icon);

        QByteArray damaged = sound;
        if (damage == 0)
            damaged[damaged.size() / 2] = char(damaged.at(damaged.size() / 2) ^ 0x55);
        else if (damage == 1)
            damaged.chop(damaged.size() / 3);
        else
            damaged = picture(QSize(32, 32), Qt::yellow);
        {
            QFile file(icon);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(damaged);
        }

        const int decoded = PicturePreviews::decodeCount();
        const Item restored = storedPictureItem(sha256, png.size());
        Presentation::prepare(restored);
        QVERIFY(settle());
        QCOMPARE(PicturePreviews::decodeCount(), decoded + 1);
        QCOMPARE(Presentation::displayText(restored), QStringLiteral("Binary: 300 x 200"));
        QVERIFY(similar(image(Presentation::itemIcon(restored)).pixelColor(16, 16), QColor(30, 30, 200)));
        QTRY_COMPARE(ThumbnailStore::read(sha256, ThumbnailStore::Icon), sound);
    }

    void anUndecodablePictureKeepsThePartsIconAndIsTriedOnce()
    {
        QSignalSpy ready(PicturePreviews::instance(), &PicturePreviews::ready);
        const Item small =
            pictureItem({{QStringLiteral("image/png"), QByteArray("\x89PNG\r\n\x1a\n broken")}});
        const Item large = pictureItem(
            {{QStringLiteral("image/png"), noise(5, 20000)}, {QStringLiteral("image/bmp"), noise(6, 20000)}});
        const int decoded = PicturePreviews::decodeCount();
        for (int repeat = 0; repeat < 3; ++repeat) {
            for (const Item &item : {small, large}) {
                QCOMPARE(Presentation::displayText(item), QStringLiteral("Binary: "));
                QCOMPARE(image(Presentation::itemIcon(item)), image(Presentation::typeIcon(item)));
                QCOMPARE(Presentation::toolTip(item), QStringLiteral("Clipboard: Binary Content"));
            }
            QVERIFY(settle());
            // Tried once, not at every opening (nor with a warning each time).
            QCOMPARE(ready.count(), 2);
        }
        QCOMPARE(PicturePreviews::decodeCount(), decoded);
        QVERIFY(Morv::HistoryStore::storeContents({large}));
        QTest::qWait(100);
        QVERIFY(!QFile::exists(
            ThumbnailStore::filePath(Morv::ContentFileStore::hash(noise(5, 20000)), ThumbnailStore::Icon)));
    }

    void theNextFormatIsTriedWhenOneCannotBeDecoded()
    {
        const Item item =
            pictureItem({{QStringLiteral("image/png"), noise(7, 9000)},
                         {QStringLiteral("image/bmp"), picture(QSize(50, 10), Qt::cyan, "BMP")}});
        Presentation::prepare(item);
        QVERIFY(settle());
        QCOMPARE(Presentation::displayText(item), QStringLiteral("Binary: 50 x 10"));
    }

    void thePlatformExtensionsPaintTheThumbnailOnTheModeColour()
    {
        set(QStringLiteral("platformExtensions"), true);
        const Item item =
            pictureItem({{QStringLiteral("image/png"), picture(QSize(64, 16), QColor(250, 200, 0))}},
                        QClipboard::Selection);
        Presentation::prepare(item);
        QVERIFY(settle());
        const QImage icon = image(Presentation::itemIcon(item));
        QVERIFY(similar(icon.pixelColor(16, 16), QColor(250, 200, 0)));
        QCOMPARE(icon.pixelColor(1, 1), QColor::fromString(QStringLiteral("#000044")));
        set(QStringLiteral("platformExtensions"), false);
        QCOMPARE(image(Presentation::itemIcon(item)).pixelColor(1, 1).alpha(), 0);
    }

    void decodingKeepsWithinItsBounds()
    {
        // Never enlarged, and a thin picture keeps at least a pixel each way.
        QCOMPARE(Morv::PictureDecoder::fitted(QSize(10, 5), QSize(32, 32)), QSize(10, 5));
        QCOMPARE(Morv::PictureDecoder::fitted(QSize(10000, 2), QSize(320, 240)), QSize(320, 1));
        QCOMPARE(Morv::PictureDecoder::fitted(QSize(1920, 1080), QSize(320, 240)), QSize(320, 180));

        // A JPEG of 4000 x 3000 is decoded at the preview's size, within Qt's allocation limit.
        QByteArray jpeg = picture(QSize(4000, 3000), Qt::magenta, "JPEG");
        QBuffer buffer(&jpeg);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const std::optional<Morv::PicturePreview> preview = Morv::PictureDecoder::decode(&buffer);
        QVERIFY(preview);
        QCOMPARE(preview->pictureSize, QSize(4000, 3000));
        QCOMPARE(preview->icon.size(), QSize(32, 24));
        QVERIFY(Morv::PictureDecoder::fromThumbnails(preview->iconPng, preview->previewPng));
        QVERIFY(!Morv::PictureDecoder::fromThumbnails(preview->previewPng, preview->iconPng));
    }
};

QTEST_MAIN(TestPicturePreviews)
#include "tst_picturepreviews.moc"
