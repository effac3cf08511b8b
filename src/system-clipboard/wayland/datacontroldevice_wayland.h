// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "datacontroldevice.h"
#include "ksystemclipboard.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <memory>

struct wl_display;

// Finding and binding a data-control protocol on a Wayland connection.
namespace WaylandDataControl {

enum class Protocol {
    None, // the compositor gives clipboard managers no access
    Ext,  // ext_data_control_manager_v1, the standardised protocol
    Wlr,  // zwlr_data_control_manager_v1, wlroots' older one
};

// One entry of the compositor's registry.
struct Global
{
    QByteArray interface;
    uint32_t name = 0;
    uint32_t version = 0;
};

struct Choice
{
    Protocol protocol = Protocol::None;
    uint32_t name = 0;    // the registry name to bind
    uint32_t version = 0; // the version to bind: what both sides know
};

// Picks the protocol to use from the compositor's globals: ext when it is offered, else wlr
// (version 2 when offered, which adds the primary selection), else none.
Choice choose(const QList<Global> &globals);

// Binds the chosen protocol on the display and creates the device of the first seat; the device
// already knows the selections of the moment when this returns. Null when the compositor offers
// no data-control protocol or no seat, or the connection fails. chosen, when given, tells which
// protocol was (or would have been) used. The device serves our sources' pastes on a thread of its
// own, with an event queue of its own on the display; a paster that takes nothing for writeTimeout
// ms is given up.
std::unique_ptr<DataControlDevice> connect(wl_display *display, Protocol *chosen = nullptr,
                                           int writeTimeout = KSystemClipboard::defaultWriteTimeout);

// The protocol's interface name, for messages.
const char *interfaceName(Protocol protocol);

} // namespace WaylandDataControl
