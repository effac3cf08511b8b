// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

namespace Morv {

class DisplayProbe;

// The Qt platform the program starts on, chosen before the application object exists (Qt reads
// it in the object's constructor). Under Wayland a clipboard applet sees other programs' copies
// only through the compositor's clipboard-manager protocol (data-control). A compositor that
// offers none (GNOME's Mutter) may still share its clipboard with its Xwayland server, and there
// an X11 client sees every copy: in a Wayland session whose compositor offers no data-control,
// with an X display reachable, the program runs on Qt's xcb platform. A platform the user chose
// (QT_QPA_PLATFORM, -platform) is always kept.
class PlatformChoice
{
public:
    // What the choice depends on, as the program finds it when it starts.
    struct Session
    {
        QByteArray platformVariable;   // QT_QPA_PLATFORM
        bool platformArgument = false; // -platform (or --platform) on the command line
        QByteArray waylandDisplay;     // WAYLAND_DISPLAY
        // WAYLAND_SOCKET: a connection handed down to the program, which only one connection
        // (Qt's) can take.
        bool waylandSocket = false;
        QByteArray sessionType; // XDG_SESSION_TYPE
        QByteArray x11Display;  // DISPLAY

        static Session current(int argc, const char *const *argv);
    };

    // The platform to set, or empty to leave the choice to Qt; with the reason for the log.
    struct Decision
    {
        QByteArray platform;
        QString reason;
    };

    // Asks the probe only what the decision needs: nothing when the user chose a platform or the
    // session is no Wayland session, the X display only when the compositor offers no
    // data-control.
    static Decision decide(const Session &session, const DisplayProbe &probe);

    // Decides for this process and, when the decision is to switch, sets QT_QPA_PLATFORM and
    // writes the reason as one information line.
    static void applyBeforeStart(int argc, const char *const *argv);
};

} // namespace Morv
