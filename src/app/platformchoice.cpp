// SPDX-License-Identifier: GPL-2.0-or-later

#include "platformchoice.h"

#include "displayprobe.h"

#include <QtGlobal>

#include <cstring>

namespace Morv {

PlatformChoice::Session PlatformChoice::Session::current(int argc, const char *const *argv)
{
    Session session;
    session.platformVariable = qgetenv("QT_QPA_PLATFORM");
    for (int i = 1; i < argc; ++i) {
        // Qt takes its own options with one dash or two.
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            session.platformArgument = true;
    }
    session.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    session.waylandSocket = !qEnvironmentVariableIsEmpty("WAYLAND_SOCKET");
    session.sessionType = qgetenv("XDG_SESSION_TYPE");
    session.x11Display = qgetenv("DISPLAY");
    return session;
}

PlatformChoice::Decision PlatformChoice::decide(const Session &session, const DisplayProbe &probe)
{
    if (!session.platformVariable.isEmpty() || session.platformArgument)
        return {};
    const bool wayland = !session.waylandDisplay.isEmpty() || session.sessionType == "wayland";
    // Connecting to the compositor would take the connection handed down in WAYLAND_SOCKET,
    // which libwayland prefers to any display name, away from Qt.
    if (!wayland || session.waylandSocket || session.x11Display.isEmpty())
        return {};
    if (probe.waylandClipboard(session.waylandDisplay) != DisplayProbe::WaylandClipboard::NoDataControl)
        return {};
    if (!probe.x11DisplayReachable(session.x11Display))
        return {};
    return {QByteArrayLiteral("xcb"),
            QStringLiteral("The Wayland compositor gives clipboard managers no access to the clipboard (it "
                           "offers neither ext nor wlr data-control): morv-clip runs on the X display %1 "
                           "instead, whose clipboard the compositor shares with Wayland programs "
                           "(QT_QPA_PLATFORM=wayland keeps it on Wayland)")
                .arg(QString::fromLocal8Bit(session.x11Display))};
}

void PlatformChoice::applyBeforeStart(int argc, const char *const *argv)
{
    const Decision decision = decide(Session::current(argc, argv), DisplayProbe());
    if (decision.platform.isEmpty())
        return;
    qputenv("QT_QPA_PLATFORM", decision.platform);
    qInfo("%s", qUtf8Printable(decision.reason));
}

} // namespace Morv
