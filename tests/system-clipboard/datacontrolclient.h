// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QClipboard>
#include <QHash>
#include <QList>
#include <QStringList>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwlr_data_control_manager_v1;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_source_v1;

// Another Wayland client inside the test process, on a connection of its own that is dispatched
// only while it sets its content or is told to serve: an owner that offers types and answers only
// those it is given bytes for, at once, and never writes a byte of the others. Destroying it is
// that owner quitting.
class DataControlClient
{
public:
    DataControlClient(); // connects to $WAYLAND_DISPLAY
    ~DataControlClient();
    DataControlClient(const DataControlClient &) = delete;
    DataControlClient &operator=(const DataControlClient &) = delete;

    bool isConnected() const { return device != nullptr; }

    // Puts a source offering the types on the clipboard or the primary selection and waits until
    // the compositor has taken it. Pastes of the types in answers are answered when they reach us
    // (see serve()), the others never.
    bool offer(QClipboard::Mode mode, const QStringList &types,
               const QHash<QString, QByteArray> &answers = {});

    // Takes in the pastes asked for since (a round trip to the compositor).
    void serve();

private:
    wl_display *display = nullptr;
    wl_registry *registry = nullptr;
    zwlr_data_control_manager_v1 *manager = nullptr;
    wl_seat *seat = nullptr;
    zwlr_data_control_device_v1 *device = nullptr;
    QList<zwlr_data_control_source_v1 *> sources;

    QHash<QString, QByteArray> answers;

public:
    // Pipe ends of pastes that reached us, kept open and never written to.
    QList<int> heldFds;
    // The types asked of us, in order.
    QStringList asked;

    // From the source's listener: a paste of the type reached us.
    void pasteAsked(const QString &type, int fd);
};
