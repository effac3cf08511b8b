// SPDX-License-Identifier: GPL-2.0-or-later

#include "desktop.h"

#include <memory>

using namespace Desktop;

// Typing into the open history menu, on the keyboard of the X display: it finds an item by a word
// that the menu does not show, and what is chosen then goes back on the clipboard byte for byte.
class TestE2eFilter : public QObject
{
    Q_OBJECT

    std::unique_ptr<Applet> applet;

    static bool menuClosed() { return !menuVisible(); }

private Q_SLOTS:
    void init()
    {
        removeSettings();
        QVERIFY(copy("on the clipboard before the start"));
        applet = std::make_unique<Applet>();
        QVERIFY(applet->startAndWait());
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"on the clipboard before the start"}; }));
        QVERIFY(movePointer(QPoint(300, 150)));
    }

    void cleanup()
    {
        if (applet->isRunning())
            QCOMPARE(applet->stop(), 0);
        applet.reset();
    }

    void aWordBeyondTheShownPartFindsTheItem()
    {
        // The menu shows the first 30 characters; the word is on the second line. Bytes that a
        // careless round trip would change: tabs, blanks at the end, non-ASCII letters.
        const QByteArray wanted = "A first line, long enough to be cut in the menu\n"
                                  "\tand a second one with the word Pelican, caf\xc3\xa9 \n";
        QVERIFY(copyAndWait(wanted));
        QVERIFY(copyAndWait("Pelikan, spelt with a k"));
        QVERIFY(copyAndWait("the newest copy"));
        QVERIFY(openMenu());
        const QRect unfiltered = menuGeometry();
        QVERIFY(unfiltered.isValid());

        QVERIFY(typeText(QStringLiteral("PELICAN")));
        // The filter entry, a separator and the one entry left: smaller than the four entries.
        QVERIFY(waitUntil([&] { return menuVisible() && menuGeometry().height() < unfiltered.height(); }));
        QCOMPARE(menuGeometry().topLeft(), unfiltered.topLeft());
        QVERIFY(pressKeys(QStringLiteral("Return")));
        QVERIFY(waitUntil(menuClosed));
        QVERIFY(waitUntil([&] { return paste() == wanted; }));
        QVERIFY(waitUntil([&] { return storedTexts().value(0) == QString::fromUtf8(wanted); }));
        QCOMPARE(storedTexts().size(), 4);
    }

    // A dead key and a letter make one accented letter (X11's compose tables, through Qt's input
    // method support), which must reach the filter.
    void aDeadKeyAndALetterTypeTheAccentedLetter()
    {
        QVERIFY(copyAndWait("un caf\xc3\xa9 noir"));
        QVERIFY(copyAndWait("cafe without the accent"));
        QVERIFY(copyAndWait("the newest copy"));
        QVERIFY(openMenu());
        QVERIFY(pressKeys(QStringLiteral("f dead_acute e Return")));
        QVERIFY(waitUntil(menuClosed));
        QVERIFY(waitUntil([] { return paste() == "un caf\xc3\xa9 noir"; }));
    }

    // The hot key closes the menu whatever was typed, and the next opening starts unfiltered.
    void theHotKeyClosesAFilteredMenu()
    {
        QVERIFY(copyAndWait("older"));
        QVERIFY(copyAndWait("newest"));
        QVERIFY(openMenu());
        const QRect unfiltered = menuGeometry();
        QVERIFY(typeText(QStringLiteral("nothing like it")));
        QVERIFY(waitUntil([&] { return menuGeometry().height() != unfiltered.height(); }));
        QVERIFY(pressKeys(QStringLiteral("Return")));
        QVERIFY(menuVisible());
        QVERIFY(pressKeys(QStringLiteral("ctrl+alt+v")));
        QVERIFY(waitUntil(menuClosed));

        QVERIFY(pressKeys(QStringLiteral("ctrl+alt+v")));
        QVERIFY(waitUntil(menuVisible));
        QCOMPARE(menuGeometry().size(), unfiltered.size());
        QVERIFY(copy("copied meanwhile, elsewhere"));
        QVERIFY(
            waitUntil([] { return storedTexts().value(0) == QLatin1String("copied meanwhile, elsewhere"); }));
        QVERIFY(typeText(QStringLiteral("ol")));
        QVERIFY(pressKeys(QStringLiteral("Return")));
        QVERIFY(waitUntil(menuClosed));
        QVERIFY(waitUntil([] { return paste() == "older"; }));
    }
};

QTEST_GUILESS_MAIN(TestE2eFilter)
#include "tst_e2e_filter.moc"
