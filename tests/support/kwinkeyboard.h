// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "virtualkeyboard.h"

struct wl_display;
struct wl_registry;
struct org_kde_kwin_fake_input;

// KWin's fake input device, on a Wayland connection of the test's own: the keys go through KWin's
// input handling to the window that has the keyboard focus, as a real keyboard's would. KWin offers
// the device only to clients it trusts (the rig switches its permission checks off).
class KWinKeyboard : public VirtualKeyboard
{
public:
    KWinKeyboard(); // connects to $WAYLAND_DISPLAY
    ~KWinKeyboard() override;
    KWinKeyboard(const KWinKeyboard &) = delete;
    KWinKeyboard &operator=(const KWinKeyboard &) = delete;

    bool isConnected() const { return fakeInput != nullptr; }

    bool key(int code, bool pressed) override;

private:
    wl_display *display = nullptr;
    wl_registry *registry = nullptr;
    org_kde_kwin_fake_input *fakeInput = nullptr;
};
