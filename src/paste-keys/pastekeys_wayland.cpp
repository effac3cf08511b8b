// SPDX-License-Identifier: GPL-2.0-or-later

#include "pastekeys_wayland.h"

#include "pastekeys_none.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

#include <QGuiApplication>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace {

// Evdev codes of the keymap's keys (its XKB key codes minus 8).
constexpr uint32_t keyLeftControl = 29;
constexpr uint32_t keyLeftShift = 42;
constexpr uint32_t keyV = 47;
// The keymap's modifier masks: XKB numbers the real modifiers Shift, Lock, Control, ... from 0.
constexpr uint32_t shiftMask = 1U << 0;
constexpr uint32_t controlMask = 1U << 2;
// wl_keyboard's values.
constexpr uint32_t keymapFormatXkbV1 = 1;
constexpr uint32_t keyReleased = 0;
constexpr uint32_t keyPressed = 1;

constexpr int pollInterval = 10;

// The interface versions this file speaks.
constexpr uint32_t managerVersion = 1;
constexpr uint32_t seatVersion = 1;

wl_proxy *asProxy(void *object)
{
    return static_cast<wl_proxy *>(object);
}

struct RegistryScan
{
    uint32_t manager = 0;
    uint32_t seat = 0;
    uint32_t toplevels = 0;

    static void global(void *data, wl_registry *, uint32_t name, const char *interface, uint32_t)
    {
        auto *scan = static_cast<RegistryScan *>(data);
        if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
            scan->manager = name;
        else if (strcmp(interface, wl_seat_interface.name) == 0 && scan->seat == 0)
            scan->seat = name;
        else if (strcmp(interface, "zwlr_foreign_toplevel_manager_v1") == 0)
            scan->toplevels = name;
    }

    static void globalRemove(void *, wl_registry *, uint32_t) {}
};

constexpr wl_registry_listener registryListener = {&RegistryScan::global, &RegistryScan::globalRemove};

uint32_t milliseconds()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

} // namespace

std::unique_ptr<PasteKeys> WaylandPasteKeys::create()
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    auto *display =
        native
            ? static_cast<wl_display *>(native->nativeResourceForIntegration(QByteArrayLiteral("wl_display")))
            : nullptr;
    if (!display)
        return std::make_unique<NoPasteKeys>(Availability::UnsupportedPlatform);

    // Looked up on a queue of our own, so that waiting for the answer dispatches none of Qt's
    // objects from inside this call.
    wl_event_queue *queue = wl_display_create_queue(display);
    auto *wrapped = static_cast<wl_display *>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(asProxy(wrapped), queue);
    wl_registry *registry = wl_display_get_registry(wrapped);
    RegistryScan scan;
    wl_registry_add_listener(registry, &registryListener, &scan);
    std::unique_ptr<PasteKeys> keys;
    if (wl_display_roundtrip_queue(display, queue) >= 0 && scan.manager != 0 && scan.seat != 0) {
        auto *manager = static_cast<zwp_virtual_keyboard_manager_v1 *>(wl_registry_bind(
            registry, scan.manager, &zwp_virtual_keyboard_manager_v1_interface, managerVersion));
        auto *seat =
            static_cast<wl_seat *>(wl_registry_bind(registry, scan.seat, &wl_seat_interface, seatVersion));
        // Neither has events we listen to: they live on the queue Qt dispatches, which drops them.
        wl_proxy_set_queue(asProxy(manager), nullptr);
        wl_proxy_set_queue(asProxy(seat), nullptr);
        std::unique_ptr<ForeignToplevels> toplevels;
        if (scan.toplevels != 0)
            toplevels = ForeignToplevels::bind(display, queue, registry, scan.toplevels);
        keys.reset(new WaylandPasteKeys(display, manager, seat, std::move(toplevels)));
    } else {
        keys = std::make_unique<NoPasteKeys>(Availability::NoVirtualKeyboard);
    }
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(wrapped);
    // What the seat said on our queue before it moved.
    wl_display_dispatch_queue_pending(display, queue);
    wl_event_queue_destroy(queue);
    return keys;
}

WaylandPasteKeys::WaylandPasteKeys(wl_display *display, zwp_virtual_keyboard_manager_v1 *manager,
                                   wl_seat *seat, std::unique_ptr<ForeignToplevels> toplevels)
    : display(display)
    , manager(manager)
    , seat(seat)
    , toplevels(std::move(toplevels))
{
    poller.setInterval(pollInterval);
    connect(&poller, &QTimer::timeout, this, &WaylandPasteKeys::poll);
}

WaylandPasteKeys::~WaylandPasteKeys()
{
    // Released before the application object goes (PasteKeys::instance). Should Qt's connection
    // be gone all the same, nothing may be asked of it: the objects go with the process.
    if (!QGuiApplication::instance()) {
        [[maybe_unused]] ForeignToplevels *unreachable = toplevels.release();
        return;
    }
    toplevels.reset();
    if (keyboard)
        zwp_virtual_keyboard_v1_destroy(keyboard);
    zwp_virtual_keyboard_manager_v1_destroy(manager);
    wl_seat_destroy(seat);
    wl_display_flush(display);
}

PasteKeys::Availability WaylandPasteKeys::availability() const
{
    return Availability::Available;
}

QByteArray WaylandPasteKeys::keymap()
{
    // The standard key codes of a PC keyboard, so that programs that look at them see the keys
    // they expect; types and compatibility the compositor's own complete set.
    return QByteArrayLiteral("xkb_keymap {\n"
                             "  xkb_keycodes \"morv-clip\" {\n"
                             "    minimum = 8;\n"
                             "    maximum = 255;\n"
                             "    <LCTL> = 37;\n"
                             "    <LFSH> = 50;\n"
                             "    <AB04> = 55;\n"
                             "  };\n"
                             "  xkb_types \"morv-clip\" { include \"complete\" };\n"
                             "  xkb_compatibility \"morv-clip\" { include \"complete\" };\n"
                             "  xkb_symbols \"morv-clip\" {\n"
                             "    key <LCTL> { [ Control_L ] };\n"
                             "    key <LFSH> { [ Shift_L ] };\n"
                             "    key <AB04> { [ v, V ] };\n"
                             "    modifier_map Control { <LCTL> };\n"
                             "    modifier_map Shift { <LFSH> };\n"
                             "  };\n"
                             "};\n");
}

bool WaylandPasteKeys::ourWindowHasFocus() const
{
    const QWindow *focused = QGuiApplication::focusWindow();
    return focused && focused->isVisible();
}

void WaylandPasteKeys::rememberTarget()
{
    target = nullptr;
    targetClass.clear();
    // Opened from a window of ours, the menu gives the focus back to that window.
    targetKnown = !ourWindowHasFocus();
    if (!targetKnown || !toplevels)
        return;
    target = toplevels->activated();
    targetClass = target ? toplevels->appId(target) : QString();
    // No window has the focus (an empty workspace), or one of ours by its app id.
    if (!target || targetClass == QGuiApplication::desktopFileName())
        targetKnown = false;
}

void WaylandPasteKeys::paste(const QStringList &terminalClasses)
{
    if (!targetKnown) {
        finish(false);
        return;
    }
    shifted = isTerminal({targetClass}, terminalClasses);
    activationAsked = false;
    pasting = true;
    deadline.setRemainingTime(focusWait);
    poller.start();
    poll();
}

void WaylandPasteKeys::poll()
{
    if (!pasting)
        return;
    if (toplevels && !toplevels->exists(target)) {
        qWarning("The window that had the focus before the history menu opened is gone: nothing is pasted");
        finish(false);
        return;
    }
    if (!ourWindowHasFocus() && targetHasFocus()) {
        if (!makeKeyboard()) {
            finish(false);
            return;
        }
        sendKeys(shifted);
        finish(true);
        return;
    }
    if (deadline.hasExpired()) {
        qWarning("The window that had the focus before the history menu opened did not get it back within %d "
                 "ms: nothing is pasted",
                 focusWait);
        finish(false);
    }
}

bool WaylandPasteKeys::targetHasFocus()
{
    if (!toplevels)
        return true; // not known: whatever the compositor focuses once ours let go
    if (toplevels->isActivated(target))
        return true;
    // Once our windows have let the focus go and the compositor gave it to another window than the
    // one the user came from (or to none), it is asked once for that one.
    if (!activationAsked && !ourWindowHasFocus()) {
        activationAsked = true;
        toplevels->activate(target, seat);
    }
    return false;
}

void WaylandPasteKeys::finish(bool sent)
{
    poller.stop();
    pasting = false;
    targetKnown = false;
    target = nullptr;
    const QString windowClass = std::exchange(targetClass, QString());
    Q_EMIT finished(sent, sent ? windowClass : QString());
}

bool WaylandPasteKeys::makeKeyboard()
{
    if (keyboard)
        return true;
    const QByteArray text = keymap();
    const int fd = memfd_create("morv-clip-keymap", MFD_CLOEXEC);
    if (fd < 0) {
        qWarning("Could not make the keymap of the paste keys: %s", strerror(errno));
        return false;
    }
    // The compositor maps the file: its size includes the closing zero byte.
    const qsizetype size = text.size() + 1;
    if (write(fd, text.constData(), size_t(size)) != size) {
        qWarning("Could not write the keymap of the paste keys: %s", strerror(errno));
        close(fd);
        return false;
    }
    keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, seat);
    zwp_virtual_keyboard_v1_keymap(keyboard, keymapFormatXkbV1, fd, uint32_t(size));
    // libwayland has sent a duplicate by the next flush; ours can go now.
    wl_display_flush(display);
    close(fd);
    return true;
}

void WaylandPasteKeys::sendKeys(bool withShift)
{
    const uint32_t held = controlMask | (withShift ? shiftMask : 0);
    zwp_virtual_keyboard_v1_key(keyboard, milliseconds(), keyLeftControl, keyPressed);
    if (withShift)
        zwp_virtual_keyboard_v1_key(keyboard, milliseconds(), keyLeftShift, keyPressed);
    zwp_virtual_keyboard_v1_modifiers(keyboard, held, 0, 0, 0);
    zwp_virtual_keyboard_v1_key(keyboard, milliseconds(), keyV, keyPressed);
    zwp_virtual_keyboard_v1_key(keyboard, milliseconds(), keyV, keyReleased);
    if (withShift)
        zwp_virtual_keyboard_v1_key(keyboard, milliseconds(), keyLeftShift, keyReleased);
    zwp_virtual_keyboard_v1_key(keyboard, milliseconds(), keyLeftControl, keyReleased);
    zwp_virtual_keyboard_v1_modifiers(keyboard, 0, 0, 0, 0);
    wl_display_flush(display);
}
