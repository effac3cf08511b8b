// SPDX-License-Identifier: GPL-2.0-or-later

#include "displayprobe.h"

#include "datacontroldevice_wayland.h"

#include <QByteArray>
#include <QList>

#include <wayland-client.h>

namespace {

using Globals = QList<WaylandDataControl::Global>;

void addGlobal(void *data, wl_registry *, uint32_t name, const char *interface, uint32_t version)
{
    static_cast<Globals *>(data)->append({QByteArray(interface), name, version});
}

void removeGlobal(void *, wl_registry *, uint32_t) {}

constexpr wl_registry_listener registryListener = {&addGlobal, &removeGlobal};

} // namespace

namespace Morv {

DisplayProbe::WaylandClipboard DisplayProbe::waylandClipboard(const QByteArray &display) const
{
    wl_display *connection = wl_display_connect(display.isEmpty() ? nullptr : display.constData());
    if (!connection)
        return WaylandClipboard::Unknown;
    Globals globals;
    wl_registry *registry = wl_display_get_registry(connection);
    wl_registry_add_listener(registry, &registryListener, &globals);
    // The compositor lists its globals in answer to get_registry, before the round trip's end.
    const bool answered = wl_display_roundtrip(connection) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(connection);
    if (!answered)
        return WaylandClipboard::Unknown;
    // The backend's own rule of which protocols it can use.
    return WaylandDataControl::choose(globals).protocol == WaylandDataControl::Protocol::None
               ? WaylandClipboard::NoDataControl
               : WaylandClipboard::DataControl;
}

} // namespace Morv
