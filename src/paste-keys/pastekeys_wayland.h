// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "foreigntoplevels_wayland.h"
#include "pastekeys.h"

#include <QDeadlineTimer>
#include <QTimer>

#include <memory>

struct wl_display;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

// The paste keys under Wayland, through a virtual keyboard of our own (zwp_virtual_keyboard_v1)
// on Qt's Wayland connection, with a keymap of the three keys it presses.
//
// A Wayland client is not told which window of another client has the focus. Where the compositor
// lists the windows to task bars (wlroots' foreign toplevel management: sway, Hyprland, river,
// labwc, Wayfire), the target is the window it calls activated as the menu opens, with its app
// id as its class; a paste waits until that window is activated again (asking the compositor to
// activate it, should it focus another) and no window of this program has the focus. Elsewhere
// the keys go to whatever has the focus once no window of this program has it, which the
// compositor gives back to the window the user came from, and the class is not known: Ctrl+V.
// Either way nothing is sent when a window of this program had the focus as the menu opened (the
// focus comes back to that one). The keys are requests on the same connection as the closing of
// our window, so the compositor moves the focus before it handles them.
class WaylandPasteKeys : public PasteKeys
{
    Q_OBJECT

public:
    // On the compositor of Qt's Wayland platform; only under it.
    static std::unique_ptr<PasteKeys> create();
    ~WaylandPasteKeys() override;

    Availability availability() const override;
    void rememberTarget() override;
    bool hasTarget() const override { return targetKnown; }
    bool knowsWindowClass() const override { return bool(toplevels); }
    void paste(const QStringList &terminalClasses) override;

    // The keymap uploaded for the virtual keyboard: the XKB text of a keyboard of Control, Shift and V.
    static QByteArray keymap();

private:
    WaylandPasteKeys(wl_display *display, zwp_virtual_keyboard_manager_v1 *manager, wl_seat *seat,
                     std::unique_ptr<ForeignToplevels> toplevels);

    bool ourWindowHasFocus() const;
    bool targetHasFocus();
    void poll();
    bool makeKeyboard();
    void sendKeys(bool withShift);
    void finish(bool sent);

    wl_display *const display;
    zwp_virtual_keyboard_manager_v1 *manager;
    wl_seat *seat;
    // Made at the first paste and kept: a keyboard that comes and goes makes programs drop and
    // bind their keyboards again, and keys sent meanwhile are lost.
    zwp_virtual_keyboard_v1 *keyboard = nullptr;
    // Null where the compositor lists no windows.
    std::unique_ptr<ForeignToplevels> toplevels;
    bool targetKnown = false;
    ForeignToplevels::Toplevel target = nullptr;
    QString targetClass;
    bool activationAsked = false;
    bool pasting = false;
    bool shifted = false;
    QTimer poller;
    QDeadlineTimer deadline;
};
