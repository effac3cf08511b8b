// SPDX-License-Identifier: GPL-2.0-or-later

#include "datacontrolclient.h"

#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <cstring>
#include <unistd.h>

namespace {

struct Globals
{
    uint32_t manager = 0;
    uint32_t seat = 0;
};

void global(void *data, wl_registry *, uint32_t name, const char *interface, uint32_t)
{
    auto *globals = static_cast<Globals *>(data);
    if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0)
        globals->manager = name;
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals->seat == 0)
        globals->seat = name;
}

void globalRemove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registryListener = {&global, &globalRemove};

// The device announces every selection, ours included; this client does not care. An offer is
// destroyed when a selection names it, not before: libwayland 1.21 leaks an object that is
// destroyed while an event naming it is still queued.
void dataOffer(void *, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *) {}
void selection(void *, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    if (offer)
        zwlr_data_control_offer_v1_destroy(offer);
}
void finished(void *, zwlr_data_control_device_v1 *) {}

const zwlr_data_control_device_v1_listener deviceListener = {&dataOffer, &selection, &finished, &selection};

void send(void *data, zwlr_data_control_source_v1 *, const char *mimeType, int32_t fd)
{
    static_cast<DataControlClient *>(data)->pasteAsked(QString::fromUtf8(mimeType), fd);
}
void cancelled(void *, zwlr_data_control_source_v1 *) {}

const zwlr_data_control_source_v1_listener sourceListener = {&send, &cancelled};

} // namespace

DataControlClient::DataControlClient()
    : display(wl_display_connect(nullptr))
{
    if (!display)
        return;
    registry = wl_display_get_registry(display);
    Globals globals;
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.manager || !globals.seat)
        return;
    manager = static_cast<zwlr_data_control_manager_v1 *>(
        wl_registry_bind(registry, globals.manager, &zwlr_data_control_manager_v1_interface, 2));
    seat = static_cast<wl_seat *>(wl_registry_bind(registry, globals.seat, &wl_seat_interface, 1));
    device = zwlr_data_control_manager_v1_get_data_device(manager, seat);
    zwlr_data_control_device_v1_add_listener(device, &deviceListener, this);
    wl_display_roundtrip(display);
}

DataControlClient::~DataControlClient()
{
    if (!display)
        return;
    // Offers announced to the device are destroyed by its listener; one still queued when the device
    // goes would never be (libwayland creates it while reading, then drops the event).
    wl_display_roundtrip(display);
    for (zwlr_data_control_source_v1 *source : std::as_const(sources))
        zwlr_data_control_source_v1_destroy(source);
    if (device)
        zwlr_data_control_device_v1_destroy(device);
    if (seat)
        wl_seat_destroy(seat);
    if (manager)
        zwlr_data_control_manager_v1_destroy(manager);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    for (int fd : std::as_const(heldFds))
        ::close(fd);
}

bool DataControlClient::offer(QClipboard::Mode mode, const QStringList &types,
                              const QHash<QString, QByteArray> &answers)
{
    if (!device)
        return false;
    this->answers = answers;
    zwlr_data_control_source_v1 *source = zwlr_data_control_manager_v1_create_data_source(manager);
    zwlr_data_control_source_v1_add_listener(source, &sourceListener, this);
    for (const QString &type : types)
        zwlr_data_control_source_v1_offer(source, type.toUtf8().constData());
    if (mode == QClipboard::Selection)
        zwlr_data_control_device_v1_set_primary_selection(device, source);
    else
        zwlr_data_control_device_v1_set_selection(device, source);
    sources.append(source);
    return wl_display_roundtrip(display) >= 0;
}

void DataControlClient::serve()
{
    if (display)
        wl_display_roundtrip(display);
}

void DataControlClient::pasteAsked(const QString &type, int fd)
{
    asked.append(type);
    const auto answer = answers.constFind(type);
    if (answer == answers.cend()) {
        heldFds.append(fd);
        return;
    }
    // Small answers only: they fit into the pipe at once (a short write shows as wrong content).
    const QByteArray &bytes = answer.value();
    [[maybe_unused]] const ssize_t written = ::write(fd, bytes.constData(), size_t(bytes.size()));
    ::close(fd);
}
