// SPDX-License-Identifier: GPL-2.0-or-later

#include "desktop.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSettings>

#include <sys/stat.h>

#include <memory>

using namespace Desktop;

namespace {

QByteArray pngImage()
{
    QImage image(48, 32, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, QColor(x * 5, y * 7, 120, 200 + x % 50));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A picture of noise: its PNG does not compress, and holds more than the settings file keeps
// inline.
QByteArray largePngImage()
{
    QImage image(160, 120, QImage::Format_RGB32);
    QRandomGenerator random(11);
    for (int y = 0; y < image.height(); ++y)
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

uint permissions(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0xffff;
}

// Where the entry at this row of the open history menu is drawn: the rows share the menu's
// height evenly (its frame is a few pixels, a row about twenty).
QPoint entryCentre(const QRect &menu, int row, int rows)
{
    return QPoint(menu.center().x(), menu.top() + menu.height() * (2 * row + 1) / (2 * rows));
}

} // namespace

// What the user copies reaches the history and the settings file, and what they choose from the
// history menu goes back on the clipboard byte for byte.
class TestE2eHistory : public QObject
{
    Q_OBJECT

    std::unique_ptr<Applet> applet;

private Q_SLOTS:
    void init()
    {
        removeSettings();
        QVERIFY(copy("on the clipboard before the start"));
        applet = std::make_unique<Applet>();
        QVERIFY(applet->startAndWait());
        // A first start takes what the clipboard holds.
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"on the clipboard before the start"}; }));
    }

    void cleanup()
    {
        if (applet->isRunning())
            QCOMPARE(applet->stop(), 0);
        applet.reset();
    }

    void copiesAreStoredAtOnceWithoutDuplicates()
    {
        QVERIFY(copyAndWait("alpha"));
        QCOMPARE(storedTexts(), (QStringList{"alpha", "on the clipboard before the start"}));

        // The same text again, from another owner: still one row, which stays on top.
        QVERIFY(copy("alpha"));
        QVERIFY(copyAndWait("beta"));
        QVERIFY(copy("alpha"));
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("alpha"); }));
        QCOMPARE(storedTexts(), (QStringList{"alpha", "beta", "on the clipboard before the start"}));
    }

    void elevenDistinctCopiesKeepTheNewestTen()
    {
        for (int copyNumber = 1; copyNumber <= 11; ++copyNumber)
            QVERIFY(copyAndWait(QByteArray("copy ") + QByteArray::number(copyNumber)));
        QStringList expected;
        for (int copyNumber = 11; copyNumber >= 2; --copyNumber)
            expected.append(QStringLiteral("copy %1").arg(copyNumber));
        QCOMPARE(storedTexts(), expected);
    }

    void aChosenEntryGoesBackExactly_data()
    {
        QTest::addColumn<bool>("byClick");
        QTest::newRow("keyboard") << false;
        QTest::newRow("click") << true;
    }

    void aChosenEntryGoesBackExactly()
    {
        QFETCH(bool, byClick);
        // Bytes that a careless round trip would change: spaces at the ends, tabs, a line break
        // at the end, non-ASCII letters.
        const QByteArray text = "  tabs\tand \xc3\xbcml\xc3\xa4uts \xe2\x82\xac\n";
        QVERIFY(copyAndWait(text));
        QVERIFY(copyAndWait("newer"));
        QVERIFY(copyAndWait("newest"));
        QVERIFY(movePointer(QPoint(300, 200)));

        QVERIFY(openMenu());
        if (byClick) {
            QVERIFY(click(entryCentre(menuGeometry(), 2, 4)));
        } else {
            QVERIFY(pressKeys(QStringLiteral("Down Down Down Return")));
        }
        QVERIFY(waitUntil([] { return !menuVisible(); }));
        QVERIFY(waitUntil([&] { return paste() == text; }));
        QVERIFY(waitUntil([&] { return storedTexts().value(0) == QString::fromUtf8(text); }));
        QCOMPARE(storedTexts(), (QStringList{QString::fromUtf8(text), "newest", "newer",
                                             "on the clipboard before the start"}));
    }

    void aChosenImageGoesBackExactly()
    {
        const QByteArray png = pngImage();
        QVERIFY(copy(png, QStringLiteral("image/png")));
        QVERIFY(waitUntil([&] {
            const QList<Morv::Item> stored = storedHistory();
            return !stored.isEmpty() && stored.first().data(QStringLiteral("image/png")) == png;
        }));
        QVERIFY(copyAndWait("text after the image"));
        QCOMPARE(paste(), QByteArray("text after the image"));

        QVERIFY(openMenu());
        QVERIFY(pressKeys(QStringLiteral("Down Down Return")));
        QVERIFY(waitUntil([] { return !menuVisible(); }));
        QVERIFY(waitUntil([&] { return sha256(paste(QStringLiteral("image/png"))) == sha256(png); }));
        QVERIFY(paste(QStringLiteral("TARGETS")).contains("image/png"));
        QVERIFY(waitUntil([&] {
            const QList<Morv::Item> stored = storedHistory();
            return !stored.isEmpty() && stored.first().data(QStringLiteral("image/png")) == png;
        }));
        QCOMPARE(storedHistory().size(), 3);
    }

    void aPictureLivesInAFileOfItsOwnUntilTheHistoryIsNotKept()
    {
        const QByteArray png = largePngImage();
        QVERIFY(png.size() > 50000);
        QVERIFY(copy(png, QStringLiteral("image/png")));
        // Taken before the next copy: xclip quits as soon as it loses the clipboard, and a copy a few
        // milliseconds later leaves nobody to read the picture from.
        QVERIFY(waitUntil([&] {
            const QList<Morv::Item> stored = storedHistory();
            return !stored.isEmpty() && stored.first().largeContents().contains(QStringLiteral("image/png"));
        }));
        QVERIFY(copyAndWait("text after the image"));
        const QString file = contentFolder() + QLatin1Char('/') + QString::fromLatin1(sha256(png));
        QVERIFY(QFile::exists(file));
        QCOMPARE(permissions(file), 0600u);
        QCOMPARE(permissions(contentFolder()), 0700u);
        QVERIFY(settingsBytes().size() < 4000);

        // After a restart, chosen from the menu and pasted: read from its file.
        QCOMPARE(applet->stop(), 0);
        QVERIFY(applet->startAndWait());
        QVERIFY(openMenu());
        QVERIFY(pressKeys(QStringLiteral("Down Down Return")));
        QVERIFY(waitUntil([] { return !menuVisible(); }));
        QVERIFY(waitUntil([&] { return sha256(paste(QStringLiteral("image/png"))) == sha256(png); }));

        // With "clearItemsOnExit" the picture leaves the disk when the program ends.
        QCOMPARE(applet->stop(), 0);
        {
            QSettings settings(settingsFile(), QSettings::IniFormat);
            settings.setValue(QStringLiteral("clearItemsOnExit"), true);
        }
        QVERIFY(applet->startAndWait());
        // The settings file stops naming it at the next save; the history on screen still holds it.
        QVERIFY(copy("one more"));
        QVERIFY(waitUntil([] { return storedHistory().isEmpty(); }));
        QVERIFY(QFile::exists(file));
        // Even while the picture is our offer on the clipboard at the end.
        QVERIFY(openMenu());
        QVERIFY(pressKeys(QStringLiteral("Down Down Return")));
        QVERIFY(waitUntil([] { return !menuVisible(); }));
        QVERIFY(waitUntil([&] { return sha256(paste(QStringLiteral("image/png"))) == sha256(png); }));
        QCOMPARE(applet->stop(), 0);
        QCOMPARE(QDir(contentFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(storedHistory().size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eHistory)
#include "tst_e2e_history.moc"
