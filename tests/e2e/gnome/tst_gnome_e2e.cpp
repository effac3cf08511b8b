// SPDX-License-Identifier: GPL-2.0-or-later

#include "gnomedesktop.h"

#include <memory>

using namespace GnomeDesktop;

namespace {

const QByteArray switchLine = "morv-clip runs on the X display ";
const QByteArray noAccessWarning =
    "(it offers neither ext nor wlr data-control): copies made in other programs "
    "will not be seen";

} // namespace

// The whole program under GNOME, whose compositor offers clipboard managers no data-control
// protocol but shares its clipboard with its Xwayland server: the program starts on Qt's xcb
// platform there and sees, as an X11 client, what Wayland programs copy, the primary selection
// too, and what the user chooses reaches Wayland programs. A user who asks for Qt's Wayland
// platform gets it, with the warning that copies go unseen.
class TestGnomeE2e : public QObject
{
    Q_OBJECT

    std::unique_ptr<MutterKeyboard> keyboard;
    std::unique_ptr<Applet> applet;

    bool startApplet(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        applet = std::make_unique<Applet>();
        applet->process.setProcessEnvironment(environment);
        return applet->startAndWait();
    }

    static bool copyAndWait(const QByteArray &text)
    {
        return copy(text) && waitUntil([&] { return storedTexts().value(0) == QString::fromUtf8(text); });
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!missingCompositor().isEmpty())
            QSKIP(qPrintable(missingCompositor()));
        // What the tests are about: mutter offers neither data-control protocol.
        const Result globals = run(QStringLiteral("wayland-info"), {});
        QVERIFY(globals.out.contains("'wl_seat'"));
        QVERIFY(!globals.out.contains("data_control"));
        // Without a keyboard in the seat no Wayland program can copy.
        keyboard = std::make_unique<MutterKeyboard>();
        QVERIFY(keyboard->plugIn());
    }

    void init() { QFile::remove(settingsFile()); }

    void cleanup()
    {
        if (applet && applet->isRunning())
            QCOMPARE(applet->stop(), 0);
        applet.reset();
    }

    void runsOnXwaylandAndCapturesWaylandCopies()
    {
        QVERIFY(copy("there before the start"));
        QVERIFY(startApplet());
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"there before the start"}; }));
        for (const QByteArray &text :
             {QByteArray("first"), QByteArray("second \xe2\x82\xac"), QByteArray("third")})
            QVERIFY(copyAndWait(text));
        QCOMPARE(storedTexts(), QStringList({"third", "second \u20ac", "first", "there before the start"}));
        // An X program's copy, the usual way.
        QVERIFY(Desktop::copy("from an X program"));
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("from an X program"); }));

        // It said once why it runs on X11, and nothing of copies going unseen.
        const QByteArray errors = applet->standardError();
        QCOMPARE(errors.count(switchLine + qgetenv("DISPLAY") + " instead"), 1);
        QVERIFY2(!errors.contains("will not be seen"), errors.constData());

        // Its history menu is a window of the X display.
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuVisible));
        QVERIFY(callShow());
        QVERIFY(waitUntil([] { return !menuVisible(); }));
    }

    void primarySelectionWithPlatformExtensions()
    {
        QVERIFY(writeSettings("[General]\nplatformExtensions=true\n"));
        QVERIFY(copy("copied"));
        QVERIFY(startApplet());
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"copied"}; }));

        QVERIFY(copy("selected with the mouse", {}, true));
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("selected with the mouse"); }));
        const QList<Morv::Item> items = storedHistory();
        QCOMPARE(items.first().mode(), QClipboard::Selection);
        QCOMPARE(items.at(1).mode(), QClipboard::Clipboard);
    }

    void theSelectionIsLeftAloneWithoutPlatformExtensions()
    {
        QVERIFY(copy("copied"));
        QVERIFY(startApplet());
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"copied"}; }));
        QVERIFY(copy("selected with the mouse", {}, true));
        QVERIFY(copyAndWait("copied later"));
        QCOMPARE(storedTexts(), QStringList({"copied later", "copied"}));
    }

    void aChosenEntryIsPastedByAWaylandProgram()
    {
        QVERIFY(copy("plain words"));
        QVERIFY(startApplet());
        QVERIFY(waitUntil([] { return storedTexts().size() == 1; }));
        QVERIFY(copy("<i>slanted</i>", QStringLiteral("text/html")));
        QVERIFY(waitUntil([] { return storedTexts().size() == 2; }));
        QVERIFY(copyAndWait("newest"));

        // The plain text at the bottom, with the keyboard, as the user would.
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuFocused));
        QVERIFY(keyboard->pressKeys(QStringLiteral("Down Down Down Return")));
        QVERIFY(waitUntil([] { return !menuVisible(); }));
        QVERIFY(waitUntil([] { return paste() == "plain words"; }));
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("plain words"); }));

        // The HTML, at the bottom now.
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuFocused));
        QVERIFY(keyboard->pressKeys(QStringLiteral("Down Down Down Return")));
        QVERIFY(waitUntil([] { return !menuVisible(); }));
        QVERIFY(waitUntil([] { return paste(QStringLiteral("text/html")) == "<i>slanted</i>"; }));
        QVERIFY(pastedTypes().contains(QStringLiteral("text/html")));
    }

    void anExplicitWaylandPlatformIsKept()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        QVERIFY(copy("there before the start"));
        QVERIFY(startApplet(environment));

        // Wayland as asked, with the warning that says what that costs: copies go unseen.
        QVERIFY(waitUntil([this] { return applet->standardError().contains(noAccessWarning); }));
        QVERIFY(!applet->standardError().contains(switchLine));
        QVERIFY(copy("unseen"));
        QVERIFY(staysSo([] { return !storedTexts().contains(QLatin1String("unseen")); }, 1500));
        QVERIFY(applet->isRunning());
    }
};

QTEST_GUILESS_MAIN(TestGnomeE2e)
#include "tst_gnome_e2e.moc"
