// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "pastekeys.h"

#include <QDeadlineTimer>
#include <QTimer>

#include <memory>

#include <xcb/xcb.h>

// The paste keys under X11, sent through the XTEST extension on Qt's own X connection, so that
// they reach the server after everything this program asked of it before (the menu's unmapping).
//
// The target is the window the window manager calls active (_NET_ACTIVE_WINDOW), or without an
// EWMH window manager the client window that holds the input focus. A paste first gives the
// target the focus back (through the window manager, else directly), waits until it has it and no
// modifier key is held any more (the Shift of Shift+Return would turn Ctrl+V into Ctrl+Shift+V),
// then presses Ctrl(+Shift)+V and lets go.
class X11PasteKeys : public PasteKeys
{
    Q_OBJECT

public:
    // On the display of Qt's xcb platform; only under it.
    static std::unique_ptr<PasteKeys> create();
    ~X11PasteKeys() override;

    Availability availability() const override;
    void rememberTarget() override;
    bool hasTarget() const override { return target != XCB_NONE; }
    void paste(const QStringList &terminalClasses) override;

private:
    struct Atoms
    {
        xcb_atom_t activeWindow = XCB_NONE;
        xcb_atom_t supportingWmCheck = XCB_NONE;
        xcb_atom_t windowType = XCB_NONE;
        xcb_atom_t typeDesktop = XCB_NONE;
        xcb_atom_t typeDock = XCB_NONE;
    };

    X11PasteKeys(xcb_connection_t *connection, xcb_window_t root, bool hasXTest);

    bool hasWindowManager();
    xcb_window_t focusedWindow();
    xcb_window_t clientOf(xcb_window_t window);
    QList<xcb_window_t> windowAndAncestors(xcb_window_t window);
    bool isOurs(xcb_window_t window);
    bool isDesktop(xcb_window_t window);
    bool isViewable(xcb_window_t window);
    QStringList windowClasses(xcb_window_t window);
    bool modifiersHeld();
    void giveFocusBack();
    void poll();
    void sendKeys(bool withShift);
    xcb_keycode_t keycodeOf(uint32_t keysym, xcb_keycode_t fallback);
    void finish(bool sent, const QString &windowClass);

    xcb_connection_t *const connection;
    const xcb_window_t root;
    const bool hasXTest;
    Atoms atoms;
    xcb_window_t target = XCB_NONE;
    QStringList targetClasses;
    // The paste under way.
    bool pasting = false;
    bool shifted = false;
    QTimer poller;
    QDeadlineTimer deadline;
};
