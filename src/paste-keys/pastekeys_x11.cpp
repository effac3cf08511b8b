// SPDX-License-Identifier: GPL-2.0-or-later

#include "pastekeys_x11.h"

#include "pastekeys_none.h"

#include <QGuiApplication>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <xcb/xtest.h>

#include <cstdlib>
#include <cstring>

namespace {

struct FreeDeleter
{
    void operator()(void *pointer) const { std::free(pointer); }
};

template<typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

// X11 keysyms.
constexpr uint32_t keysymShiftL = 0xffe1;
constexpr uint32_t keysymControlL = 0xffe3;
constexpr uint32_t keysymV = 0x0076;
// Where the keys are on a PC keyboard (evdev), should the keyboard map have no such symbol.
constexpr xcb_keycode_t keycodeShiftL = 50;
constexpr xcb_keycode_t keycodeControlL = 37;
constexpr xcb_keycode_t keycodeV = 55;

// Modifiers that change what a key press means to a program; Lock and Num Lock do not matter here.
constexpr uint16_t meaningfulModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4 | XCB_MOD_MASK_5;

// The interval at which a paste looks whether the focus is back, in ms.
constexpr int pollInterval = 10;

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr));
    return reply ? reply->atom : XCB_NONE;
}

} // namespace

std::unique_ptr<PasteKeys> X11PasteKeys::create()
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    auto *connection = native ? static_cast<xcb_connection_t *>(
                                    native->nativeResourceForIntegration(QByteArrayLiteral("connection")))
                              : nullptr;
    const xcb_setup_t *setup = connection ? xcb_get_setup(connection) : nullptr;
    if (!setup)
        return std::make_unique<NoPasteKeys>(Availability::UnsupportedPlatform);
    const xcb_query_extension_reply_t *xtest = xcb_get_extension_data(connection, &xcb_test_id);
    // The root window of Qt's screen, else of the display's first one.
    auto root = xcb_window_t(quintptr(
        native->nativeResourceForScreen(QByteArrayLiteral("rootwindow"), QGuiApplication::primaryScreen())));
    if (root == XCB_NONE)
        root = xcb_setup_roots_iterator(setup).data->root;
    return std::unique_ptr<PasteKeys>(new X11PasteKeys(connection, root, xtest && xtest->present));
}

X11PasteKeys::X11PasteKeys(xcb_connection_t *connection, xcb_window_t root, bool hasXTest)
    : connection(connection)
    , root(root)
    , hasXTest(hasXTest)
{
    atoms.activeWindow = internAtom(connection, "_NET_ACTIVE_WINDOW");
    atoms.supportingWmCheck = internAtom(connection, "_NET_SUPPORTING_WM_CHECK");
    atoms.windowType = internAtom(connection, "_NET_WM_WINDOW_TYPE");
    atoms.typeDesktop = internAtom(connection, "_NET_WM_WINDOW_TYPE_DESKTOP");
    atoms.typeDock = internAtom(connection, "_NET_WM_WINDOW_TYPE_DOCK");
    poller.setInterval(pollInterval);
    connect(&poller, &QTimer::timeout, this, &X11PasteKeys::poll);
}

X11PasteKeys::~X11PasteKeys() = default;

PasteKeys::Availability X11PasteKeys::availability() const
{
    return hasXTest ? Availability::Available : Availability::NoXTest;
}

void X11PasteKeys::rememberTarget()
{
    target = XCB_NONE;
    targetClasses.clear();
    if (!hasXTest)
        return;
    const xcb_window_t focused = focusedWindow();
    if (focused == XCB_NONE || isOurs(focused) || isDesktop(focused))
        return;
    target = focused;
    targetClasses = windowClasses(focused);
}

void X11PasteKeys::paste(const QStringList &terminalClasses)
{
    if (target == XCB_NONE || !hasXTest) {
        finish(false, QString());
        return;
    }
    shifted = isTerminal(targetClasses, terminalClasses);
    pasting = true;
    if (!isViewable(target)) {
        qWarning("The window that had the focus before the history menu opened is gone: nothing is pasted");
        finish(false, QString());
        return;
    }
    giveFocusBack();
    deadline.setRemainingTime(focusWait);
    poller.start();
    poll();
}

void X11PasteKeys::poll()
{
    if (!pasting)
        return;
    if (focusedWindow() == target && !modifiersHeld()) {
        sendKeys(shifted);
        finish(true, targetClasses.value(1, targetClasses.value(0)));
        return;
    }
    if (deadline.hasExpired()) {
        qWarning("The window that had the focus before the history menu opened did not get it back within %d "
                 "ms (or a modifier key stayed down): nothing is pasted",
                 focusWait);
        finish(false, QString());
    }
}

void X11PasteKeys::finish(bool sent, const QString &windowClass)
{
    poller.stop();
    pasting = false;
    target = XCB_NONE;
    targetClasses.clear();
    Q_EMIT finished(sent, windowClass);
}

bool X11PasteKeys::hasWindowManager()
{
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, atoms.supportingWmCheck, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    return reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 4;
}

xcb_window_t X11PasteKeys::focusedWindow()
{
    if (hasWindowManager()) {
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, root, atoms.activeWindow, XCB_ATOM_WINDOW, 0, 1),
            nullptr));
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 4)
            return *static_cast<const xcb_window_t *>(xcb_get_property_value(reply.get()));
        return XCB_NONE;
    }
    const Reply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    // None and PointerRoot (1) are no window; the root is the desktop.
    if (!focus || focus->focus == XCB_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
        focus->focus == root)
        return XCB_NONE;
    return clientOf(focus->focus);
}

QList<xcb_window_t> X11PasteKeys::windowAndAncestors(xcb_window_t window)
{
    QList<xcb_window_t> chain;
    while (window != XCB_NONE && window != root && chain.size() < 64) {
        chain.append(window);
        const Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
        if (!tree)
            break;
        window = tree->parent;
    }
    return chain;
}

xcb_window_t X11PasteKeys::clientOf(xcb_window_t window)
{
    // The focus may be on a window inside a program's top-level one; the program's own window is
    // the one that carries its class.
    const QList<xcb_window_t> chain = windowAndAncestors(window);
    for (xcb_window_t candidate : chain) {
        if (!windowClasses(candidate).isEmpty())
            return candidate;
    }
    return chain.isEmpty() ? XCB_NONE : chain.last();
}

bool X11PasteKeys::isOurs(xcb_window_t window)
{
    const QList<xcb_window_t> chain = windowAndAncestors(window);
    const QWindowList windows = QGuiApplication::allWindows();
    for (const QWindow *ours : windows) {
        if (ours->handle() && chain.contains(xcb_window_t(ours->winId())))
            return true;
    }
    return false;
}

bool X11PasteKeys::isDesktop(xcb_window_t window)
{
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, atoms.windowType, XCB_ATOM_ATOM, 0, 32),
        nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto *types = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < count; ++i) {
        if (types[i] == atoms.typeDesktop || types[i] == atoms.typeDock)
            return true;
    }
    return false;
}

bool X11PasteKeys::isViewable(xcb_window_t window)
{
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

QStringList X11PasteKeys::windowClasses(xcb_window_t window)
{
    // WM_CLASS: the instance name and the class name, each ended by a zero byte.
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256),
        nullptr));
    if (!reply || reply->format != 8)
        return {};
    const QByteArray value(static_cast<const char *>(xcb_get_property_value(reply.get())),
                           xcb_get_property_value_length(reply.get()));
    QStringList names;
    for (const QByteArray &name : value.split('\0')) {
        if (!name.isEmpty())
            names.append(QString::fromLocal8Bit(name));
    }
    return names;
}

bool X11PasteKeys::modifiersHeld()
{
    const Reply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr));
    return pointer && (pointer->mask & meaningfulModifiers);
}

void X11PasteKeys::giveFocusBack()
{
    if (hasWindowManager()) {
        // As a pager asks: window managers grant it, whatever their focus stealing prevention.
        xcb_client_message_event_t message = {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = target;
        message.type = atoms.activeWindow;
        message.data.data32[0] = 2;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&message));
    } else {
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, target, XCB_CURRENT_TIME);
    }
    xcb_flush(connection);
}

xcb_keycode_t X11PasteKeys::keycodeOf(uint32_t keysym, xcb_keycode_t fallback)
{
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const Reply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, uint8_t(count)), nullptr));
    if (!mapping || mapping->keysyms_per_keycode == 0)
        return fallback;
    const auto *keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perKeycode = mapping->keysyms_per_keycode;
    // The first group's own symbol, and its shifted one: "v" is where "V" is.
    for (int column : {0, 1}) {
        for (int i = 0; i < count && column < perKeycode; ++i) {
            if (keysyms[i * perKeycode + column] == keysym)
                return xcb_keycode_t(setup->min_keycode + i);
        }
    }
    return fallback;
}

void X11PasteKeys::sendKeys(bool withShift)
{
    const xcb_keycode_t control = keycodeOf(keysymControlL, keycodeControlL);
    const xcb_keycode_t shift = keycodeOf(keysymShiftL, keycodeShiftL);
    const xcb_keycode_t v = keycodeOf(keysymV, keycodeV);
    const auto key = [this](uint8_t type, xcb_keycode_t code) {
        xcb_test_fake_input(connection, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    };
    key(XCB_KEY_PRESS, control);
    if (withShift)
        key(XCB_KEY_PRESS, shift);
    key(XCB_KEY_PRESS, v);
    key(XCB_KEY_RELEASE, v);
    if (withShift)
        key(XCB_KEY_RELEASE, shift);
    key(XCB_KEY_RELEASE, control);
    xcb_flush(connection);
}
