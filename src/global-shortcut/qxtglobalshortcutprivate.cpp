// SPDX-License-Identifier: GPL-2.0-or-later

#include "qxtglobalshortcutprivate.h"

#include "portalshortcutbinding.h"
#include "qxtglobalshortcut.h"

#include <QAbstractEventDispatcher>
#include <QDebug>
#include <QKeySequence>

QHash<QxtGlobalShortcutPrivate::NativeCombination, QxtGlobalShortcut *> QxtGlobalShortcutPrivate::registry;
QList<QxtGlobalShortcutPrivate *> QxtGlobalShortcutPrivate::filterUsers;
QxtGlobalShortcutPrivate *QxtGlobalShortcutPrivate::installedFilter = nullptr;

QxtGlobalShortcutPrivate::QxtGlobalShortcutPrivate()
{
    if (!installedFilter) {
        if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance()) {
            dispatcher->installNativeEventFilter(this);
            installedFilter = this;
        }
    }
    filterUsers.append(this);
}

QxtGlobalShortcutPrivate::~QxtGlobalShortcutPrivate()
{
    filterUsers.removeOne(this);
    if (installedFilter != this)
        return;
    // Objects may die in any order; the filter must never outlive the part it points to, and
    // must not vanish while other objects still wait for their key presses.
    installedFilter = nullptr;
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher)
        return;
    dispatcher->removeNativeEventFilter(this);
    if (!filterUsers.isEmpty()) {
        installedFilter = filterUsers.constFirst();
        dispatcher->installNativeEventFilter(installedFilter);
    }
}

bool QxtGlobalShortcutPrivate::applyShortcut(const QKeySequence &shortcut)
{
    if (shortcut.isEmpty()) {
        // The user cleared the hot key: nothing is grabbed. The none marker's own key would
        // translate to some real key (or to "any key"), which nobody could ever release.
        combination = noneMarker();
        return false;
    }
    combination = shortcut[0];
    if (usesPortal())
        return applyThroughPortal();
    const quint32 keycode = toNativeKeycode(combination.key());
    const quint32 modifiers = toNativeModifiers(combination.keyboardModifiers());
    const bool ok = grabNativeKey(keycode, modifiers);
    if (ok)
        registry.insert(qMakePair(keycode, modifiers), publicObject);
    else
        qWarning() << "QxtGlobalShortcut failed to register:"
                   << QKeySequence(combination).toString(QKeySequence::PortableText);
    return ok;
}

bool QxtGlobalShortcutPrivate::releaseShortcut()
{
    if (usesPortal())
        return releaseThroughPortal();
    const quint32 keycode = toNativeKeycode(combination.key());
    const quint32 modifiers = toNativeModifiers(combination.keyboardModifiers());
    const NativeCombination native(keycode, modifiers);
    bool ok = false;
    // Another object may have grabbed the same combination since: then the grab is its own.
    if (registry.value(native) == publicObject && ungrabNativeKey(keycode, modifiers)) {
        registry.remove(native);
        ok = true;
    } else {
        qWarning() << "QxtGlobalShortcut failed to unregister:"
                   << QKeySequence(combination).toString(QKeySequence::PortableText);
    }
    combination = noneMarker();
    return ok;
}

bool QxtGlobalShortcutPrivate::applyThroughPortal()
{
    if (!portalBinding) {
        portalBinding = std::make_unique<PortalShortcutBinding>(portalShortcutId());
        QObject::connect(portalBinding.get(), &PortalShortcutBinding::activated, publicObject, [this] {
            if (enabled)
                Q_EMIT publicObject->activated();
        });
        QObject::connect(
            portalBinding.get(), &PortalShortcutBinding::finished, publicObject, [this](bool bound) {
                if (!bound)
                    qWarning().noquote()
                        << QStringLiteral("QxtGlobalShortcut failed to register: \"%1\" (%2)")
                               .arg(QKeySequence(combination).toString(QKeySequence::PortableText),
                                    portalBinding->error());
            });
    }
    if (portalBinding->bind(combination, description))
        return true;
    qWarning() << "QxtGlobalShortcut failed to register:"
               << QKeySequence(combination).toString(QKeySequence::PortableText);
    return false;
}

bool QxtGlobalShortcutPrivate::releaseThroughPortal()
{
    // Like a key grab that was refused, a binding that failed has nothing to release.
    const bool ok = portalBinding && portalBinding->error().isEmpty();
    if (!ok)
        qWarning() << "QxtGlobalShortcut failed to unregister:"
                   << QKeySequence(combination).toString(QKeySequence::PortableText);
    if (portalBinding)
        portalBinding->release();
    combination = noneMarker();
    return ok;
}

QString QxtGlobalShortcutPrivate::portalShortcutId() const
{
    const QString name = publicObject->objectName();
    return name.isEmpty() ? QStringLiteral("global-shortcut") : name;
}

void QxtGlobalShortcutPrivate::forgetOwner()
{
    registry.removeIf([this](const auto &entry) { return entry.value() == publicObject; });
}

void QxtGlobalShortcutPrivate::dispatchActivation(quint32 nativeKeycode, quint32 nativeModifiers)
{
    QxtGlobalShortcut *shortcut = registry.value(qMakePair(nativeKeycode, nativeModifiers));
    if (shortcut && shortcut->d->enabled)
        Q_EMIT shortcut->activated();
}
