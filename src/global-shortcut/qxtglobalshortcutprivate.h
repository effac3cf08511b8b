// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "qxtprivate.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QKeyCombination>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>

class PortalShortcutBinding;
class QKeySequence;
class QxtGlobalShortcut;

// The private part of QxtGlobalShortcut and, at the same time, the native event filter that sees
// the platform's key presses. The translation, grab and filter members are implemented by the
// platform backend (the X11 key grab, or a fallback that refuses every grab). Where the X11 grab
// cannot work (Wayland, a build without X11) the combination goes to the desktop's GlobalShortcuts
// portal instead, if it has one: asynchronously, through a PortalShortcutBinding.
class QxtGlobalShortcutPrivate
    : public QxtPrivate<QxtGlobalShortcut>
    , public QAbstractNativeEventFilter
{
public:
    QxtGlobalShortcutPrivate();
    ~QxtGlobalShortcutPrivate() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // The value that means "no combination set for this object".
    static constexpr QKeyCombination noneMarker() { return QKeyCombination::fromCombined(0x01FFFFFF); }
    bool isSet() const { return combination.toCombined() != noneMarker().toCombined(); }

    bool applyShortcut(const QKeySequence &shortcut);
    bool releaseShortcut();
    // The same through the portal: applying returns once the request is on its way (a refusal
    // later gives the register warning), or false at once where there is no portal to ask.
    bool applyThroughPortal();
    bool releaseThroughPortal();
    // The id under which the portal lists the shortcut: the public object's name, else a fixed one.
    QString portalShortcutId() const;
    // Drops every registry entry that still names this object, so a key press can never reach a
    // destroyed object (an entry survives when its ungrab was refused).
    void forgetOwner();

    static void dispatchActivation(quint32 nativeKeycode, quint32 nativeModifiers);

    // Whether hot keys go to the portal: there is no key grab here.
    static bool usesPortal() { return !canGrabKeys(); }

    // Backend: whether it can grab at all, Qt keys and modifiers to the native ones, and the grab
    // itself.
    static bool canGrabKeys();
    static quint32 toNativeModifiers(Qt::KeyboardModifiers modifiers);
    static quint32 toNativeKeycode(Qt::Key key);
    static bool grabNativeKey(quint32 nativeKeycode, quint32 nativeModifiers);
    static bool ungrabNativeKey(quint32 nativeKeycode, quint32 nativeModifiers);

    bool enabled = true;
    QKeyCombination combination = noneMarker();
    // What the hot key does, for the desktop's list of shortcuts (the portal's).
    QString description;
    // With the portal: the binding of this object's combination, made on first use.
    std::unique_ptr<PortalShortcutBinding> portalBinding;

    using NativeCombination = QPair<quint32, quint32>; // keycode, modifier mask
    // Every combination grabbed and not yet released, with the object that grabbed it last.
    static QHash<NativeCombination, QxtGlobalShortcut *> registry;
    // The live private parts, oldest first. Exactly one of them is installed as the native event
    // filter while the list is not empty: the filter only dispatches to the registry, so any of
    // them will do, and when the installed one goes another takes its place.
    static QList<QxtGlobalShortcutPrivate *> filterUsers;
    static QxtGlobalShortcutPrivate *installedFilter;
};
