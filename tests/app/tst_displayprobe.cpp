// SPDX-License-Identifier: GPL-2.0-or-later

#include "desktop.h"
#include "displayprobe.h"
#include "platformchoice.h"

#include <QTest>

using Morv::DisplayProbe;
using Morv::PlatformChoice;
using WaylandClipboard = DisplayProbe::WaylandClipboard;

// The start-up probe against the display servers of the rig's kinds, with the servers' own tools
// as the judges: wayland-info for what the compositor lists, xdpyinfo for whether the X display
// answers. Built for each kind with a display server (x11, wayland, kwin, gnome).
class TestDisplayProbe : public QObject
{
    Q_OBJECT

    const DisplayProbe probe;

private Q_SLOTS:
    void initTestCase()
    {
        const QString skip = qEnvironmentVariable("MORV_TEST_SKIP");
        if (!skip.isEmpty())
            QSKIP(qPrintable(skip));
    }

    void waylandCompositor()
    {
        const QByteArray display = qgetenv("WAYLAND_DISPLAY");
        if (display.isEmpty()) {
            // No compositor in this kind: the default socket is not there either.
            QCOMPARE(probe.waylandClipboard(display), WaylandClipboard::Unknown);
            return;
        }
#ifndef MORV_HAVE_WAYLAND
        QCOMPARE(probe.waylandClipboard(display), WaylandClipboard::Unknown);
#else
        const Desktop::Result globals = Desktop::run(QStringLiteral("wayland-info"), {});
        QCOMPARE(globals.exitCode, 0);
        const bool listed = globals.out.contains("'ext_data_control_manager_v1'") ||
                            globals.out.contains("'zwlr_data_control_manager_v1'");
        QCOMPARE(probe.waylandClipboard(display),
                 listed ? WaylandClipboard::DataControl : WaylandClipboard::NoDataControl);
#endif
        QCOMPARE(probe.waylandClipboard(display + "-not-there"), WaylandClipboard::Unknown);
    }

    void x11Display()
    {
        const QByteArray display = qgetenv("DISPLAY");
#ifndef MORV_HAVE_X11
        QVERIFY(!probe.x11DisplayReachable(display));
#else
        const bool answers = !display.isEmpty() && Desktop::run(QStringLiteral("xdpyinfo"), {}).exitCode == 0;
        QCOMPARE(probe.x11DisplayReachable(display), answers);
#endif
        QVERIFY(!probe.x11DisplayReachable(":4095"));
    }

    // The choice the program makes when it starts here: X11 under GNOME (mutter offers no
    // data-control, its Xwayland answers), Qt's own elsewhere (X11 sessions, sway and KWin, which
    // offer data-control).
    void theChoiceForThisSession()
    {
        const char *argv[] = {"morv-clip"};
        const PlatformChoice::Decision decision =
            PlatformChoice::decide(PlatformChoice::Session::current(1, argv), probe);
#if defined(MORV_HAVE_WAYLAND) && defined(MORV_HAVE_X11)
        const bool gnome = qgetenv("XDG_CURRENT_DESKTOP") == "GNOME";
#else
        const bool gnome = false;
#endif
        QCOMPARE(decision.platform, gnome ? QByteArray("xcb") : QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestDisplayProbe)
#include "tst_displayprobe.moc"
