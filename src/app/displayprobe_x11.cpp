// SPDX-License-Identifier: GPL-2.0-or-later

#include "displayprobe.h"

#include <QByteArray>

#include <xcb/xcb.h>

namespace Morv {

bool DisplayProbe::x11DisplayReachable(const QByteArray &display) const
{
    if (display.isEmpty())
        return false;
    // xcb_connect never returns null: a failed connection is an object in an error state, which
    // xcb_disconnect accepts too.
    xcb_connection_t *connection = xcb_connect(display.constData(), nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

} // namespace Morv
