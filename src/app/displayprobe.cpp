// SPDX-License-Identifier: GPL-2.0-or-later

#include "displayprobe.h"

#include <QByteArray>

namespace Morv {

DisplayProbe::~DisplayProbe() = default;

// Built without the parts that could ask, the probe cannot tell: Qt's own choice of platform stands.
#ifndef MORV_HAVE_WAYLAND
DisplayProbe::WaylandClipboard DisplayProbe::waylandClipboard(const QByteArray &) const
{
    return WaylandClipboard::Unknown;
}
#endif

#ifndef MORV_HAVE_X11
bool DisplayProbe::x11DisplayReachable(const QByteArray &) const
{
    return false;
}
#endif

} // namespace Morv
