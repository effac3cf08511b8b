// SPDX-License-Identifier: GPL-2.0-or-later

#include "xdotoolkeys.h"

#include <QStringList>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace XdotoolKeys {

QString byKeycode(const QString &keys)
{
    static Display *const display = XOpenDisplay(nullptr);
    QStringList parts = keys.split(QLatin1Char('+'));
    if (!display || parts.isEmpty())
        return keys;
    const KeySym keysym = XStringToKeysym(parts.constLast().toLatin1().constData());
    const KeyCode keycode = keysym == NoSymbol ? 0 : XKeysymToKeycode(display, keysym);
    if (keycode == 0 || XkbKeycodeToKeysym(display, keycode, 0, 0) != keysym)
        return keys;
    parts.last() = QString::number(keycode);
    return parts.join(QLatin1Char('+'));
}

} // namespace XdotoolKeys
