// SPDX-License-Identifier: GPL-2.0-or-later

#include "kwinkeyboard.h"

#include "kde-fake-input-client-protocol.h"

#include <wayland-client.h>

#include <cstring>

namespace {

// keyboard_key came with version 4.
constexpr uint32_t keyboardVersion = 4;

void addGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
{
    auto **fakeInput = static_cast<org_kde_kwin_fake_input **>(data);
    if (*fakeInput || std::strcmp(interface, org_kde_kwin_fake_input_interface.name) != 0 ||
        version < keyboardVersion)
        return;
    *fakeInput = static_cast<org_kde_kwin_fake_input *>(
        wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, keyboardVersion));
}

void removeGlobal(void *, wl_registry *, uint32_t) {}

constexpr wl_registry_listener registryListener = {&addGlobal, &removeGlobal};

} // namespace

KWinKeyboard::KWinKeyboard()
{
    display = wl_display_connect(nullptr);
    if (!display)
        return;
    registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &fakeInput);
    if (wl_display_roundtrip(display) < 0 || !fakeInput)
        return;
    org_kde_kwin_fake_input_authenticate(fakeInput, "morv-clip tests", "types as the user would");
    if (wl_display_roundtrip(display) < 0) {
        org_kde_kwin_fake_input_destroy(fakeInput);
        fakeInput = nullptr;
    }
}

KWinKeyboard::~KWinKeyboard()
{
    if (fakeInput)
        org_kde_kwin_fake_input_destroy(fakeInput);
    if (registry)
        wl_registry_destroy(registry);
    if (display)
        wl_display_disconnect(display);
}

bool KWinKeyboard::key(int code, bool pressed)
{
    if (!fakeInput)
        return false;
    org_kde_kwin_fake_input_keyboard_key(fakeInput, uint32_t(code), pressed ? 1 : 0);
    // The round trip's answer comes after KWin has handled the key.
    return wl_display_roundtrip(display) >= 0;
}
