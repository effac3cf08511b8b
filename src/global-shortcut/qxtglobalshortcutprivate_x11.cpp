// SPDX-License-Identifier: GPL-2.0-or-later

// The X11 side of the global shortcut: Qt keys and modifiers to X keycodes and masks, passive key
// grabs on the root window, and the filter that picks key presses out of Qt's XCB event stream.
// Requests go through Xlib on the display connection Qt already has; events come back as XCB
// events through Qt's event dispatcher.
#include "qxtglobalshortcutprivate.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <qpa/qplatformnativeinterface.h>

#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <array>
#include <utility>

namespace {

// A passive grab matches the modifier state exactly, so each combination is grabbed once more
// for every state of Caps Lock (Lock) and Num Lock (Mod2 in the usual modifier map).
const std::array<quint32, 4> lockMasks = {0, Mod2Mask, LockMask, Mod2Mask | LockMask};

bool grabError = false;

// Installed only around a batch of grab requests; any other error in that time is dropped.
int grabErrorHandler(Display *, XErrorEvent *event)
{
    const bool refused =
        event->error_code == BadValue || event->error_code == BadWindow || event->error_code == BadAccess;
    if (refused && (event->request_code == X_GrabKey || event->request_code == X_UngrabKey))
        grabError = true;
    return 0;
}

Display *x11Display()
{
    // Other platform plugins may answer "display" with something that is no Xlib display
    // (a Wayland display, for one): only the XCB plugin's answer is safe to hand to Xlib.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!native || !screen)
        return nullptr;
    return static_cast<Display *>(native->nativeResourceForScreen(QByteArrayLiteral("display"), screen));
}

// Keys whose portable name is no Xlib keysym name. The low bits of these Qt codes mean nothing to
// X (Qt::Key_VolumeDown would become the letter p, Qt::Key_Escape no key at all), so they are
// looked up here instead.
const std::pair<Qt::Key, KeySym> specialKeys[] = {
    {Qt::Key_Escape, XK_Escape},
    {Qt::Key_Backspace, XK_BackSpace},
    {Qt::Key_Backtab, XK_ISO_Left_Tab},
    {Qt::Key_Enter, XK_KP_Enter},
    {Qt::Key_Insert, XK_Insert},
    {Qt::Key_Delete, XK_Delete},
    {Qt::Key_SysReq, XK_Sys_Req},
    {Qt::Key_PageUp, XK_Prior},
    {Qt::Key_PageDown, XK_Next},
    {Qt::Key_CapsLock, XK_Caps_Lock},
    {Qt::Key_NumLock, XK_Num_Lock},
    {Qt::Key_ScrollLock, XK_Scroll_Lock},
    {Qt::Key_VolumeDown, XF86XK_AudioLowerVolume},
    {Qt::Key_VolumeMute, XF86XK_AudioMute},
    {Qt::Key_VolumeUp, XF86XK_AudioRaiseVolume},
    {Qt::Key_MediaPlay, XF86XK_AudioPlay},
    {Qt::Key_MediaStop, XF86XK_AudioStop},
    {Qt::Key_MediaPrevious, XF86XK_AudioPrev},
    {Qt::Key_MediaNext, XF86XK_AudioNext},
    {Qt::Key_MediaPause, XF86XK_AudioPause},
    {Qt::Key_Back, XF86XK_Back},
    {Qt::Key_Forward, XF86XK_Forward},
    {Qt::Key_Refresh, XF86XK_Reload},
    {Qt::Key_Stop, XF86XK_Stop},
    {Qt::Key_HomePage, XF86XK_HomePage},
    {Qt::Key_Search, XF86XK_Search},
    {Qt::Key_LaunchMail, XF86XK_Mail},
    {Qt::Key_Calculator, XF86XK_Calculator},
    {Qt::Key_Sleep, XF86XK_Sleep},
    {Qt::Key_PowerOff, XF86XK_PowerOff},
};

KeySym specialKeysym(Qt::Key key)
{
    for (const auto &[qtKey, keysym] : specialKeys) {
        if (qtKey == key)
            return keysym;
    }
    return NoSymbol;
}

} // namespace

bool QxtGlobalShortcutPrivate::canGrabKeys()
{
    return x11Display() != nullptr;
}

quint32 QxtGlobalShortcutPrivate::toNativeModifiers(Qt::KeyboardModifiers modifiers)
{
    quint32 native = 0;
    if (modifiers & Qt::ShiftModifier)
        native |= ShiftMask;
    if (modifiers & Qt::ControlModifier)
        native |= ControlMask;
    if (modifiers & Qt::AltModifier)
        native |= Mod1Mask;
    if (modifiers & Qt::MetaModifier)
        native |= Mod4Mask;
    // Keypad and group switch describe where a key sits, not a modifier key to hold.
    return native;
}

quint32 QxtGlobalShortcutPrivate::toNativeKeycode(Qt::Key key)
{
    Display *display = x11Display();
    if (!display || key == Qt::Key_unknown)
        return 0;
    // Letters (through their upper-case name), function and navigation keys are found by name.
    const QByteArray name = QKeySequence(key).toString(QKeySequence::PortableText).toLatin1();
    KeySym keysym = XStringToKeysym(name.constData());
    if (keysym == NoSymbol) {
        const quint32 code = key;
        if (code <= 0xff)
            keysym = code; // a Latin-1 character is its own keysym
        else if (code < 0x01000000)
            keysym = 0x01000000 | code; // the Unicode keysym of any other character
        else
            keysym = specialKeysym(key);
    }
    if (keysym == NoSymbol)
        return 0;
    return XKeysymToKeycode(display, keysym);
}

bool QxtGlobalShortcutPrivate::grabNativeKey(quint32 nativeKeycode, quint32 nativeModifiers)
{
    Display *display = x11Display();
    // Keycode 0 is AnyKey to the server: grabbing it would take every key from the user.
    if (!display || nativeKeycode == 0)
        return false;
    const Window root = DefaultRootWindow(display);

    grabError = false;
    const XErrorHandler previous = XSetErrorHandler(grabErrorHandler);
    for (quint32 lock : lockMasks) {
        XGrabKey(display, int(nativeKeycode), nativeModifiers | lock, root, True, GrabModeAsync,
                 GrabModeAsync);
        // A refusal (BadAccess: another client holds the combination) reaches the handler only
        // once the server's answer has been read.
        XSync(display, False);
        if (grabError)
            break;
    }
    if (!grabError) {
        XSetErrorHandler(previous);
        return true;
    }

    // Undo the variants that did get through, so no half-grabbed combination stays behind. The
    // undo's own errors are of no interest; they arrive while its handler is installed.
    ungrabNativeKey(nativeKeycode, nativeModifiers);
    XSetErrorHandler(previous);
    return false;
}

bool QxtGlobalShortcutPrivate::ungrabNativeKey(quint32 nativeKeycode, quint32 nativeModifiers)
{
    Display *display = x11Display();
    // As above: AnyKey would release every grab of ours with these modifiers.
    if (!display || nativeKeycode == 0)
        return false;
    const Window root = DefaultRootWindow(display);

    grabError = false;
    const XErrorHandler previous = XSetErrorHandler(grabErrorHandler);
    for (quint32 lock : lockMasks)
        XUngrabKey(display, int(nativeKeycode), nativeModifiers | lock, root);
    XSync(display, False);
    const bool ok = !grabError;
    XSetErrorHandler(previous);
    return ok;
}

bool QxtGlobalShortcutPrivate::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    // Bit 0x80 marks events sent by other clients; those presses count as well.
    if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
        const auto *press = static_cast<const xcb_key_press_event_t *>(message);
        // Only the four modifiers take part in a combination; lock and other bits are dropped.
        dispatchActivation(press->detail, press->state & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask));
    }
    // Never consumed: Qt goes on delivering the event as usual.
    return false;
}
