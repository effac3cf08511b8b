// SPDX-License-Identifier: GPL-2.0-or-later

#include "kwindesktop.h"

#include <memory>

using namespace KWinDesktop;

// The whole program under KWin (Plasma 6.5 and later), which offers clipboard managers only the
// ext data-control protocol: what other programs copy reaches the history, an emptied clipboard
// gets its newest entry back, the history menu opens on the D-Bus method as a window of KWin's, and
// what the user chooses or finds by typing goes back to the clipboard.
class TestKWinE2e : public QObject
{
    Q_OBJECT

    std::unique_ptr<KWinKeyboard> keyboard;
    std::unique_ptr<Applet> applet;

    bool startApplet()
    {
        applet = std::make_unique<Applet>();
        return applet->startAndWait();
    }

    static bool copyAndWait(const QByteArray &text)
    {
        return copy(text) && waitUntil([&] { return storedTexts().value(0) == QString::fromUtf8(text); });
    }

    bool chooseEntry(int row)
    {
        QString keys = QStringLiteral("Return");
        for (int down = 0; down <= row; ++down)
            keys.prepend(QStringLiteral("Down "));
        return menuOpen() && keyboard->pressKeys(keys) && waitUntil(menuClosed);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!missingCompositor().isEmpty())
            QSKIP(qPrintable(missingCompositor()));
        // What the tests are about: KWin's ext data-control, all that Plasma 6.5 and later offer.
        const Result globals = run(QStringLiteral("wayland-info"), {});
        QCOMPARE(globals.exitCode, 0);
        if (!globals.out.contains("'ext_data_control_manager_v1'"))
            QSKIP("this KWin offers no ext data-control (it is older than Plasma 6.5)");
        keyboard = std::make_unique<KWinKeyboard>();
        QVERIFY2(keyboard->isConnected(), "KWin offers no fake input device");
    }

    void init() { QFile::remove(settingsFile()); }

    void cleanup()
    {
        if (applet && applet->isRunning())
            QCOMPARE(applet->stop(), 0);
        applet.reset();
    }

    void capturesCopies()
    {
        QVERIFY(copy("there before the start"));
        QVERIFY(startApplet());
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"there before the start"}; }));
        for (const QByteArray &text :
             {QByteArray("first"), QByteArray("second \xe2\x82\xac"), QByteArray("third")})
            QVERIFY(copyAndWait(text));
        QCOMPARE(storedTexts(), QStringList({"third", "second \u20ac", "first", "there before the start"}));
        QVERIFY(copy("<b>bold</b>", QStringLiteral("text/html")));
        QVERIFY(waitUntil([] { return storedTexts().size() == 5; }));
        QCOMPARE(storedHistory().first().content().value(QStringLiteral("text/html")),
                 QByteArray("<b>bold</b>"));

        // On Wayland, through data-control: no warning that copies go unseen, no switch to X11.
        const QByteArray errors = applet->standardError();
        QVERIFY2(!errors.contains("will not be seen"), errors.constData());
        QVERIFY2(!errors.contains("runs on the X display"), errors.constData());
    }

    void restoresTheClipboardWhenItsOwnerExits()
    {
        QVERIFY(copy("older"));
        QVERIFY(startApplet());
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"older"}; }));

        // A program that copies and then quits, taking its offer with it.
        QProcess owner;
        owner.start(QStringLiteral("wl-copy"),
                    {QStringLiteral("--foreground"), QStringLiteral("owned, then orphaned")});
        QVERIFY(owner.waitForStarted());
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("owned, then orphaned"); }));
        owner.terminate();
        QVERIFY(owner.waitForFinished());

        // The program puts the newest entry back: there is something to paste again, served by it.
        QVERIFY(waitUntil([] { return paste() == "owned, then orphaned"; }));
        QVERIFY(pastedTypes().contains(QStringLiteral("text/plain;charset=utf-8")));
        QCOMPARE(storedTexts(), QStringList({"owned, then orphaned", "older"}));
    }

    // KWin's screenshot interface needs OpenGL compositing, which a machine without a GPU does not
    // have (every capture is "cancelled"): the menu is seen through KWin's window information, its
    // height following the entries it shows.
    void showOpensTheMenu()
    {
        QVERIFY(copy("an entry to see"));
        QVERIFY(startApplet());
        QVERIFY(waitUntil([] { return storedTexts().size() == 1; }));
        QVERIFY(copyAndWait("and the newest, in bold"));

        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        const Window menu = menuWindow();
        QCOMPARE(menu.pid, applet->pid());
        // A menu's size, on the screen (1280 x 800), not a window spread across it.
        QVERIFY2(menu.rect.width() < 640 && menu.rect.height() < 300 && menu.rect.height() > 20,
                 qPrintable(QStringLiteral("%1 x %2").arg(menu.rect.width()).arg(menu.rect.height())));
        QVERIFY(QRect(0, 0, 1280, 800).contains(menu.rect));

        // show again closes it; Escape does too.
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuClosed));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        QVERIFY(keyboard->pressKeys(QStringLiteral("Escape")));
        QVERIFY(waitUntil(menuClosed));

        // One more entry, one more line.
        QVERIFY(copyAndWait("a third"));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        QVERIFY2(menuWindow().rect.height() > menu.rect.height(),
                 qPrintable(
                     QStringLiteral("%1 after %2").arg(menuWindow().rect.height()).arg(menu.rect.height())));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuClosed));
    }

    void choosingAnEntryGivesItsBytesToWlPaste()
    {
        QVERIFY(copy("plain words"));
        QVERIFY(startApplet());
        QVERIFY(waitUntil([] { return storedTexts().size() == 1; }));
        QVERIFY(copy("<i>slanted</i>", QStringLiteral("text/html")));
        QVERIFY(waitUntil([] { return storedTexts().size() == 2; }));
        QVERIFY(copyAndWait("newest"));

        // The HTML, second from the top.
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        QVERIFY(chooseEntry(1));
        QVERIFY(waitUntil([] { return paste(QStringLiteral("text/html")) == "<i>slanted</i>"; }));
        QVERIFY(pastedTypes().contains(QStringLiteral("text/html")));
        QVERIFY(waitUntil([] {
            return storedTexts() == QStringList({"<i>slanted</i>", "newest", "plain words"});
        }));

        // The plain text at the bottom.
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        QVERIFY(chooseEntry(2));
        QVERIFY(waitUntil([] { return paste() == "plain words"; }));
        QCOMPARE(paste(QStringLiteral("text/plain;charset=utf-8")), QByteArray("plain words"));
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("plain words"); }));
    }

    void typingFiltersTheMenu()
    {
        QVERIFY(copy("A first line, long enough to be cut in the menu\nand then a Pelican\n"));
        QVERIFY(startApplet());
        QVERIFY(waitUntil([] { return storedTexts().size() == 1; }));
        QVERIFY(copyAndWait("newer"));
        QVERIFY(copyAndWait("newest"));

        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        const QRect unfiltered = menuWindow().rect;
        QVERIFY(keyboard->typeText(QStringLiteral("pELIcan")));
        // No higher than the entries left, the one found and the line of what was typed.
        QVERIFY(waitUntil([&] { return menuWindow().rect.height() < unfiltered.height(); }));
        QVERIFY(menuOpen());
        QVERIFY(keyboard->pressKeys(QStringLiteral("Return")));
        QVERIFY(waitUntil(menuClosed));
        QVERIFY(waitUntil([] {
            return paste() == "A first line, long enough to be cut in the menu\nand then a Pelican\n";
        }));
    }
};

QTEST_GUILESS_MAIN(TestKWinE2e)
#include "tst_kwin_e2e.moc"
