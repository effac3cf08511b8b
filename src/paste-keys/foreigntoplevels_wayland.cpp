// SPDX-License-Identifier: GPL-2.0-or-later

#include "foreigntoplevels_wayland.h"

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>

namespace {

// What this file speaks: version 1 has every event and request it uses.
constexpr uint32_t managerVersion = 1;

constexpr uint32_t stateActivated = ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;

wl_proxy *asProxy(void *object)
{
    return static_cast<wl_proxy *>(object);
}

} // namespace

std::unique_ptr<ForeignToplevels> ForeignToplevels::bind(wl_display *display, wl_event_queue *queue,
                                                         wl_registry *registry, uint32_t name)
{
    auto *manager = static_cast<zwlr_foreign_toplevel_manager_v1 *>(
        wl_registry_bind(registry, name, &zwlr_foreign_toplevel_manager_v1_interface, managerVersion));
    std::unique_ptr<ForeignToplevels> toplevels(new ForeignToplevels(display, manager));
    // The compositor announces the windows of the moment, each with its properties and a done.
    const bool connected = wl_display_roundtrip_queue(display, queue) >= 0;
    toplevels->moveToDefaultQueue();
    // Whatever reached our queue while the objects moved.
    wl_display_dispatch_queue_pending(display, queue);
    if (!connected)
        return {};
    return toplevels;
}

ForeignToplevels::ForeignToplevels(wl_display *display, zwlr_foreign_toplevel_manager_v1 *manager)
    : display(display)
    , manager(manager)
{
    static constexpr zwlr_foreign_toplevel_manager_v1_listener listener = {&ForeignToplevels::toplevel,
                                                                           &ForeignToplevels::finished};
    zwlr_foreign_toplevel_manager_v1_add_listener(manager, &listener, this);
}

ForeignToplevels::~ForeignToplevels()
{
    for (auto it = windows.cbegin(); it != windows.cend(); ++it)
        zwlr_foreign_toplevel_handle_v1_destroy(it.key());
    if (manager)
        zwlr_foreign_toplevel_manager_v1_destroy(manager);
    wl_display_flush(display);
}

void ForeignToplevels::moveToDefaultQueue()
{
    onDefaultQueue = true;
    if (manager)
        wl_proxy_set_queue(asProxy(manager), nullptr);
    for (auto it = windows.cbegin(); it != windows.cend(); ++it)
        wl_proxy_set_queue(asProxy(it.key()), nullptr);
}

ForeignToplevels::Toplevel ForeignToplevels::activated() const
{
    for (auto it = windows.cbegin(); it != windows.cend(); ++it) {
        if (it->activated)
            return it.key();
    }
    return nullptr;
}

bool ForeignToplevels::isActivated(Toplevel toplevel) const
{
    const auto found = windows.constFind(const_cast<zwlr_foreign_toplevel_handle_v1 *>(toplevel));
    return found != windows.cend() && found->activated;
}

bool ForeignToplevels::exists(Toplevel toplevel) const
{
    return windows.contains(const_cast<zwlr_foreign_toplevel_handle_v1 *>(toplevel));
}

QString ForeignToplevels::appId(Toplevel toplevel) const
{
    return windows.value(const_cast<zwlr_foreign_toplevel_handle_v1 *>(toplevel)).appId;
}

void ForeignToplevels::activate(Toplevel toplevel, wl_seat *seat)
{
    if (!exists(toplevel))
        return;
    zwlr_foreign_toplevel_handle_v1_activate(const_cast<zwlr_foreign_toplevel_handle_v1 *>(toplevel), seat);
    wl_display_flush(display);
}

void ForeignToplevels::toplevel(void *data, zwlr_foreign_toplevel_manager_v1 *,
                                zwlr_foreign_toplevel_handle_v1 *handle)
{
    auto *self = static_cast<ForeignToplevels *>(data);
    // A new object inherits the queue the manager had when the event was read; during the move it
    // can still be the binding queue.
    if (self->onDefaultQueue)
        wl_proxy_set_queue(asProxy(handle), nullptr);
    static constexpr zwlr_foreign_toplevel_handle_v1_listener listener = {
        &ForeignToplevels::title,       &ForeignToplevels::appIdChanged, &ForeignToplevels::outputEnter,
        &ForeignToplevels::outputLeave, &ForeignToplevels::state,        &ForeignToplevels::done,
        &ForeignToplevels::closed,      &ForeignToplevels::parent};
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &listener, self);
    self->windows.insert(handle, Window());
}

void ForeignToplevels::finished(void *data, zwlr_foreign_toplevel_manager_v1 *)
{
    auto *self = static_cast<ForeignToplevels *>(data);
    zwlr_foreign_toplevel_manager_v1_destroy(self->manager);
    self->manager = nullptr;
}

void ForeignToplevels::appIdChanged(void *data, zwlr_foreign_toplevel_handle_v1 *handle, const char *appId)
{
    auto *self = static_cast<ForeignToplevels *>(data);
    const auto window = self->windows.find(handle);
    if (window != self->windows.end())
        window->pendingAppId = QString::fromUtf8(appId);
}

void ForeignToplevels::state(void *data, zwlr_foreign_toplevel_handle_v1 *handle, wl_array *states)
{
    auto *self = static_cast<ForeignToplevels *>(data);
    const auto window = self->windows.find(handle);
    if (window == self->windows.end())
        return;
    const auto *begin = static_cast<const uint32_t *>(states->data);
    const auto *end = begin + states->size / sizeof(uint32_t);
    window->pendingActivated = std::find(begin, end, stateActivated) != end;
}

void ForeignToplevels::done(void *data, zwlr_foreign_toplevel_handle_v1 *handle)
{
    auto *self = static_cast<ForeignToplevels *>(data);
    const auto window = self->windows.find(handle);
    if (window == self->windows.end())
        return;
    window->appId = window->pendingAppId;
    window->activated = window->pendingActivated;
}

void ForeignToplevels::closed(void *data, zwlr_foreign_toplevel_handle_v1 *handle)
{
    auto *self = static_cast<ForeignToplevels *>(data);
    self->windows.remove(handle);
    zwlr_foreign_toplevel_handle_v1_destroy(handle);
}
