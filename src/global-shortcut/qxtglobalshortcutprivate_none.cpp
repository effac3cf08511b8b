// SPDX-License-Identifier: GPL-2.0-or-later

// Built without X11 there is no way to grab a key system-wide: hot keys go to the desktop's
// portal where it has one, and fail with a warning elsewhere.
#include "qxtglobalshortcutprivate.h"

bool QxtGlobalShortcutPrivate::canGrabKeys()
{
    return false;
}

quint32 QxtGlobalShortcutPrivate::toNativeModifiers(Qt::KeyboardModifiers)
{
    return 0;
}

quint32 QxtGlobalShortcutPrivate::toNativeKeycode(Qt::Key)
{
    return 0;
}

bool QxtGlobalShortcutPrivate::grabNativeKey(quint32, quint32)
{
    return false;
}

bool QxtGlobalShortcutPrivate::ungrabNativeKey(quint32, quint32)
{
    return false;
}

bool QxtGlobalShortcutPrivate::nativeEventFilter(const QByteArray &, void *, qintptr *)
{
    return false;
}
