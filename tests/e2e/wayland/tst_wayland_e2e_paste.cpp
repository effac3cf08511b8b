// SPDX-License-Identifier: GPL-2.0-or-later

#include "pastetarget.h"
#include "waylanddesktop.h"

#include <memory>

using namespace WaylandDesktop;

namespace {

const QString targetTitle = QStringLiteral("Paste target");

bool callHistory(const QString &method)
{
    return run(QStringLiteral("dbus-send"),
               {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                QStringLiteral("--dest=org.morv.morv-clip"), QStringLiteral("/org/morv/clip"),
                QStringLiteral("org.morv.clip.History.") + method})
               .exitCode == 0;
}

bool paused()
{
    return run(QStringLiteral("dbus-send"),
               {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                QStringLiteral("--dest=org.morv.morv-clip"), QStringLiteral("/org/morv/clip"),
                QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                QStringLiteral("string:org.morv.clip.History"), QStringLiteral("string:paused")})
        .out.contains("boolean true");
}

} // namespace

// The real program in sway: with "pasteOnChoose" the chosen entry is typed into the Wayland window
// the user came from through a virtual keyboard of the program's own; a paused history reads
// nothing of what other programs copy.
class TestWaylandE2ePaste : public QObject
{
    Q_OBJECT

    Keyboard keyboard;
    std::unique_ptr<Applet> applet;

    void start(const QByteArray &settings)
    {
        QVERIFY(writeSettings(settings));
        QVERIFY(copy("start"));
        applet = std::make_unique<Applet>();
        QVERIFY(applet->startAndWait());
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"start"}; }));
        QVERIFY(copy("one"));
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("one"); }));
        QVERIFY(copy("two"));
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("two"); }));
    }

    // Opens the history menu over the focused target window, as a key bound in sway does, and
    // chooses the entry of that row.
    static bool chooseFrom(int row)
    {
        return waitUntil([] { return windowFocused(targetTitle); }) && callShow() && waitUntil(menuOpen) &&
               chooseEntry(row);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(keyboard.plugIn()); }

    void init() { QFile::remove(settingsFile()); }

    void cleanup()
    {
        if (applet && applet->isRunning())
            QCOMPARE(applet->stop(), 0);
        applet.reset();
    }

    void theChosenEntryIsTypedIntoTheWindowTheUserCameFrom()
    {
        start("[General]\npasteOnChoose=true\n");
        PasteTarget target;
        QVERIFY(target.start({QStringLiteral("--title"), targetTitle, QStringLiteral("--app-id"),
                              QStringLiteral("paste-target")}));
        QVERIFY(chooseFrom(1));
        QVERIFY(target.waitForLine(QStringLiteral("text one")));
        QVERIFY(target.received().contains(QStringLiteral("key Ctrl+V")));
        QVERIFY(windowFocused(targetTitle));

        // Again: the program's keyboard stays, the target keeps working with the user's.
        QVERIFY(chooseFrom(1));
        QVERIFY(target.waitForLine(QStringLiteral("text onetwo")));
        QVERIFY(pressKeys(QStringLiteral("x")));
        QVERIFY(target.waitForLine(QStringLiteral("text onetwox")));
    }

    // sway lists the windows with their app ids: a terminal's gets Ctrl+Shift+V.
    void aTerminalGetsCtrlShiftV()
    {
        start("[General]\npasteOnChoose=true\n");
        PasteTarget terminal;
        QVERIFY(terminal.start(
            {QStringLiteral("--title"), targetTitle, QStringLiteral("--app-id"), QStringLiteral("foot")}));
        QVERIFY(chooseFrom(1));
        QVERIFY(terminal.waitForLine(QStringLiteral("key Ctrl+Shift+V")));
        QTest::qWait(500);
        QCOMPARE(terminal.received(), QStringList{"key Ctrl+Shift+V"});
    }

    void nothingIsTypedWithThePreferenceOffOrWithoutAChoice_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<bool>("choose");
        QTest::newRow("off, a choice") << QByteArray("[General]\nconfirmClear=true\n") << true;
        QTest::newRow("on, closed with Escape") << QByteArray("[General]\npasteOnChoose=true\n") << false;
    }

    void nothingIsTypedWithThePreferenceOffOrWithoutAChoice()
    {
        QFETCH(QByteArray, settings);
        QFETCH(bool, choose);
        start(settings);
        PasteTarget target;
        QVERIFY(target.start({QStringLiteral("--title"), targetTitle}));
        if (choose) {
            QVERIFY(chooseFrom(1));
            QVERIFY(waitUntil([] { return paste() == "one"; }));
        } else {
            QVERIFY(waitUntil([] { return windowFocused(targetTitle); }) && callShow() &&
                    waitUntil(menuOpen));
            QVERIFY(pressKeys(QStringLiteral("Down Escape")));
            QVERIFY(waitUntil(menuClosed));
            QVERIFY(waitUntil([] { return windowFocused(targetTitle); }));
        }
        QTest::qWait(1500);
        QCOMPARE(target.received(), QStringList());
        QCOMPARE(paste(), QByteArray(choose ? "one" : "two"));
    }

    // wl-copy --paste-once serves one paste and ends: while the history is paused it keeps
    // waiting, for nobody reads what it offers.
    void aPausedHistoryReadsNothing()
    {
        start("[General]\n");
        QVERIFY(callHistory(QStringLiteral("pause")));
        QVERIFY(paused());
        QProcess secret;
        secret.start(QStringLiteral("wl-copy"), {QStringLiteral("--foreground"),
                                                 QStringLiteral("--paste-once"), QStringLiteral("hunter2")});
        QVERIFY(secret.waitForStarted());
        QVERIFY(staysSo([&] { return secret.state() == QProcess::Running; }, 1500));
        QCOMPARE(storedTexts().value(0), QStringLiteral("two"));

        // Resumed, what is on the clipboard then was copied while paused: still not read.
        QVERIFY(callHistory(QStringLiteral("resume")));
        QVERIFY(!paused());
        QVERIFY(staysSo([&] { return secret.state() == QProcess::Running; }, 1000));
        secret.kill();
        secret.waitForFinished();

        QVERIFY(copy("after"));
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("after"); }));
        QVERIFY(!storedTexts().contains(QStringLiteral("hunter2")));
    }
};

QTEST_GUILESS_MAIN(TestWaylandE2ePaste)
#include "tst_wayland_e2e_paste.moc"
