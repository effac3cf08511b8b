// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>

struct wl_display;
struct wl_event_queue;
struct wl_registry;
struct wl_seat;
struct zwlr_foreign_toplevel_handle_v1;
struct zwlr_foreign_toplevel_manager_v1;

// The toplevel windows of every client, as a wlroots compositor lists them to task bars
// (zwlr_foreign_toplevel_manager_v1): which one is activated (has the keyboard focus), its app id,
// and a way to activate one again. Only what a paste needs of them is kept.
class ForeignToplevels
{
public:
    // A window, by the compositor's handle; it stays valid until the window closes.
    using Toplevel = const zwlr_foreign_toplevel_handle_v1 *;

    // Binds the manager of the registry's global name on the queue, and waits there until the
    // windows of the moment are known. Afterwards its objects are served by the queue Qt
    // dispatches. Null when the connection fails.
    static std::unique_ptr<ForeignToplevels> bind(wl_display *display, wl_event_queue *queue,
                                                  wl_registry *registry, uint32_t name);
    ~ForeignToplevels();

    // The activated window, or null when none is.
    Toplevel activated() const;
    bool isActivated(Toplevel toplevel) const;
    bool exists(Toplevel toplevel) const;
    QString appId(Toplevel toplevel) const;
    // Asks the compositor to give the window the keyboard focus of the seat.
    void activate(Toplevel toplevel, wl_seat *seat);

private:
    struct Window
    {
        QString appId;
        bool activated = false;
        // What the events since the last done said; taken at done.
        QString pendingAppId;
        bool pendingActivated = false;
    };

    ForeignToplevels(wl_display *display, zwlr_foreign_toplevel_manager_v1 *manager);

    static void toplevel(void *data, zwlr_foreign_toplevel_manager_v1 *,
                         zwlr_foreign_toplevel_handle_v1 *handle);
    static void finished(void *data, zwlr_foreign_toplevel_manager_v1 *);
    static void title(void *, zwlr_foreign_toplevel_handle_v1 *, const char *) {}
    static void appIdChanged(void *data, zwlr_foreign_toplevel_handle_v1 *handle, const char *appId);
    static void outputEnter(void *, zwlr_foreign_toplevel_handle_v1 *, struct wl_output *) {}
    static void outputLeave(void *, zwlr_foreign_toplevel_handle_v1 *, struct wl_output *) {}
    static void state(void *data, zwlr_foreign_toplevel_handle_v1 *handle, struct wl_array *states);
    static void done(void *data, zwlr_foreign_toplevel_handle_v1 *handle);
    static void closed(void *data, zwlr_foreign_toplevel_handle_v1 *handle);
    static void parent(void *, zwlr_foreign_toplevel_handle_v1 *, zwlr_foreign_toplevel_handle_v1 *) {}

    void moveToDefaultQueue();

    wl_display *const display;
    zwlr_foreign_toplevel_manager_v1 *manager;
    bool onDefaultQueue = false;
    QHash<zwlr_foreign_toplevel_handle_v1 *, Window> windows;
};
