// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

class QByteArray;

namespace Morv {

// Asks the session's display servers, before the application object exists, what they offer a
// clipboard applet. Each question opens a connection of its own and closes it again. The Wayland
// question is answered only when the program has its Wayland backend, the X11 one only with its
// X11 parts; without them the answer is "cannot tell" and "not reachable".
class DisplayProbe
{
public:
    enum class WaylandClipboard {
        Unknown,       // no answer: no connection to the compositor, or no way to ask
        DataControl,   // it offers clipboard managers ext or wlr data-control
        NoDataControl, // it offers neither: a Wayland client sees only what it copies itself
    };

    virtual ~DisplayProbe();

    // display: WAYLAND_DISPLAY's value (a socket name in XDG_RUNTIME_DIR or an absolute path);
    // empty for libwayland's default.
    virtual WaylandClipboard waylandClipboard(const QByteArray &display) const;

    // display: DISPLAY's value. Whether an X server accepts a connection there (its authorisation
    // included).
    virtual bool x11DisplayReachable(const QByteArray &display) const;
};

} // namespace Morv
