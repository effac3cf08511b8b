// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QClipboard>
#include <QList>
#include <QStringList>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwlr_data_control_manager_v1;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_source_v1;

// Another Wayland client inside the test process, on a connection of its own that is dispatched
// only while it sets its content: an owner that offers types and never writes a byte of them.
// Destroying it is that owner quitting.
class DataControlClient
{
public:
    DataControlClient(); // connects to $WAYLAND_DISPLAY
    ~DataControlClient();
    DataControlClient(const DataControlClient &) = delete;
    DataControlClient &operator=(const DataControlClient &) = delete;

    bool isConnected() const { return device != nullptr; }

    // Puts a source offering the types on the clipboard or the primary selection and waits until
    // the compositor has taken it. Pastes asked for later are never answered.
    bool offer(QClipboard::Mode mode, const QStringList &types);

private:
    wl_display *display = nullptr;
    wl_registry *registry = nullptr;
    zwlr_data_control_manager_v1 *manager = nullptr;
    wl_seat *seat = nullptr;
    zwlr_data_control_device_v1 *device = nullptr;
    QList<zwlr_data_control_source_v1 *> sources;

public:
    // Pipe ends of pastes that reached us, kept open and never written to.
    QList<int> heldFds;
};
