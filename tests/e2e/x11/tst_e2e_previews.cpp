// SPDX-License-Identifier: GPL-2.0-or-later

#include "desktop.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QRandomGenerator>

#include <memory>
#include <sys/stat.h>

using namespace Desktop;

namespace {

// A picture of one colour with a few rows of noise at the bottom, so that its PNG goes into a
// content file of its own.
QByteArray picture(const QColor &colour, quint32 variant)
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(colour);
    QRandomGenerator random(variant);
    for (int y = 290; y < 300; ++y)
        random.fillRange(reinterpret_cast<quint32 *>(image.scanLine(y)), image.width());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QString contentFolder()
{
    return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/morv/morv-clip");
}

QString thumbnailFolder()
{
    return contentFolder() + QStringLiteral("/thumbnails");
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// Each file of the folder with its modification time, to the nanosecond the file system keeps.
QMap<QString, qint64> modificationTimes(const QString &folder)
{
    QMap<QString, qint64> times;
    for (const QString &name : filesIn(folder)) {
        struct stat status;
        if (::stat(QFile::encodeName(folder + QLatin1Char('/') + name).constData(), &status) == 0)
            times.insert(name, qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec);
    }
    return times;
}

QImage screenshot(const QString &window = QStringLiteral("root"))
{
    return QImage::fromData(
        run(QStringLiteral("import"), {QStringLiteral("-window"), window, QStringLiteral("png:-")}).out,
        "PNG");
}

bool similar(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) < 40 && qAbs(a.green() - b.green()) < 40 && qAbs(a.blue() - b.blue()) < 40;
}

// Pixels of the colour in the rectangle of the image.
int pixelsOf(const QImage &image, const QRect &area, const QColor &colour)
{
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += similar(image.pixelColor(x, y), colour) ? 1 : 0;
    }
    return count;
}

// Where the icon of the entry at this row of the open history menu is drawn: at the left of the
// row, the rows sharing the menu's height evenly.
QRect iconArea(const QRect &menu, int row, int rows)
{
    const int centre = menu.top() + menu.height() * (2 * row + 1) / (2 * rows);
    return QRect(menu.left(), centre - 9, 40, 18);
}

const QList<QColor> colours{QColor(230, 30, 30), QColor(30, 190, 30), QColor(30, 30, 230)};

} // namespace

// With "showPreviews" the pictures of the history show thumbnails in the menu and a larger
// preview in the tool tip; the thumbnails are stored beside the content files, read back at the
// next start instead of decoding the pictures again, and go with the content files.
class TestE2ePreviews : public QObject
{
    Q_OBJECT

    std::unique_ptr<Applet> applet;

    // The menu with its screenshot; each picture's entry must show its own colour in its icon.
    static bool menuShowsThumbnails()
    {
        if (!openMenu())
            return false;
        QTest::qWait(300); // painted
        const QRect menu = menuGeometry();
        const QImage screen = screenshot();
        bool shown = !screen.isNull();
        // Newest first: blue, green, red, then the welcome entry.
        for (int row = 0; row < 3; ++row) {
            const QColor expected = colours.at(2 - row);
            const int matching = pixelsOf(screen, iconArea(menu, row, 4), expected);
            qInfo("row %d: %d pixels of the picture's colour in the icon", row, matching);
            shown = shown && matching >= 60;
        }
        const int welcomeMatching = pixelsOf(screen, iconArea(menu, 3, 4), colours.at(0));
        return shown && welcomeMatching < 10;
    }

private Q_SLOTS:
    void initTestCase()
    {
        removeSettings();
        QDir(contentFolder()).removeRecursively();
        QVERIFY(writeSettings("[General]\nshowPreviews=true\nconfirmClear=false\n"));
        applet = std::make_unique<Applet>();
        QVERIFY(applet->startAndWait());
    }

    void cleanupTestCase()
    {
        if (applet->isRunning())
            QCOMPARE(applet->stop(), 0);
    }

    void picturesShowThumbnailsThatOutliveARestartAndGoWithTheirContentFiles()
    {
        QStringList hashes;
        for (int i = 0; i < colours.size(); ++i) {
            const QByteArray png = picture(colours.at(i), quint32(i + 1));
            QVERIFY(png.size() > 4096);
            hashes.append(QString::fromLatin1(sha256(png)));
            QVERIFY(copy(png, QStringLiteral("image/png")));
            // Taken before the next copy ends xclip's.
            QVERIFY(
                waitUntil([&] { return QFile::exists(contentFolder() + QLatin1Char('/') + hashes.last()); }));
        }
        QStringList thumbnails;
        for (const QString &hash : std::as_const(hashes))
            thumbnails << hash + QStringLiteral(".icon.png") << hash + QStringLiteral(".preview.png");
        thumbnails.sort();
        // Each written under a temporary name first.
        QVERIFY(waitUntil([&] { return filesIn(thumbnailFolder()) == thumbnails; }));

        QVERIFY(menuShowsThumbnails());

        // The tool tip of the newest entry shows its larger preview.
        const QRect menu = menuGeometry();
        QVERIFY(movePointer(iconArea(menu, 0, 4).center() + QPoint(60, 0)));
        QString toolTip;
        QVERIFY(waitUntil([&] {
            for (const QString &window : visibleWindowsOfClass(QStringLiteral("^morv-clip$"))) {
                const QRect shape = geometry(window);
                if (shape.width() >= 200 && shape.height() >= 150 && shape != menu) {
                    toolTip = window;
                    return true;
                }
            }
            return false;
        }));
        QVERIFY(pixelsOf(screenshot(toolTip), QRect(0, 0, 400, 400), colours.at(2)) > 20000);
        QVERIFY(pressKeys(QStringLiteral("Escape Escape")));
        QVERIFY(waitUntil([] { return !menuVisible(); }));

        // A restart reads the thumbnails: none is written again.
        const QMap<QString, qint64> written = modificationTimes(thumbnailFolder());
        QCOMPARE(written.size(), 6);
        QCOMPARE(applet->stop(), 0);
        QVERIFY(applet->startAndWait());
        QTest::qWait(1500);
        QVERIFY(menuShowsThumbnails());
        QCOMPARE(modificationTimes(thumbnailFolder()), written);
        QVERIFY(pressKeys(QStringLiteral("Escape Escape")));
        QVERIFY(waitUntil([] { return !menuVisible(); }));

        // Cleared: the content files and their thumbnails go.
        const QRect icon = trayIcon();
        QVERIFY(icon.isValid());
        QVERIFY(click(icon.center(), 3));
        QVERIFY(waitUntil([] { return contextMenuGeometry().isValid(); }));
        QVERIFY(pressKeys(QStringLiteral("Down Return")));
        QVERIFY(waitUntil([] { return filesIn(thumbnailFolder()).isEmpty(); }));
        for (const QString &hash : std::as_const(hashes))
            QVERIFY(!QFile::exists(contentFolder() + QLatin1Char('/') + hash));
    }
};

QTEST_GUILESS_MAIN(TestE2ePreviews)
#include "tst_e2e_previews.moc"
