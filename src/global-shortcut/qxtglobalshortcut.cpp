// SPDX-License-Identifier: GPL-2.0-or-later

#include "qxtglobalshortcut.h"

#include "globalshortcutsportal.h"
#include "qxtglobalshortcutprivate.h"

QxtGlobalShortcut::QxtGlobalShortcut(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<QxtGlobalShortcutPrivate>())
{
    d->publicObject = this;
    // Knowing early whether the desktop has the portal spares the first combination the wait.
    if (QxtGlobalShortcutPrivate::usesPortal())
        GlobalShortcutsPortal::instance()->check();
}

QxtGlobalShortcut::QxtGlobalShortcut(const QKeySequence &shortcut, QObject *parent)
    : QxtGlobalShortcut(parent)
{
    setShortcut(shortcut);
}

QxtGlobalShortcut::~QxtGlobalShortcut()
{
    // Released while the private part (and with it the event filter) still exists.
    if (d->isSet())
        d->releaseShortcut();
    d->forgetOwner();
    d.reset();
}

bool QxtGlobalShortcut::setShortcut(const QKeySequence &shortcut)
{
    if (d->isSet())
        d->releaseShortcut();
    return d->applyShortcut(shortcut);
}

QKeySequence QxtGlobalShortcut::shortcut() const
{
    return QKeySequence(d->combination);
}

bool QxtGlobalShortcut::isEnabled() const
{
    return d->enabled;
}

void QxtGlobalShortcut::setDescription(const QString &description)
{
    d->description = description;
}

QString QxtGlobalShortcut::description() const
{
    return d->description;
}

bool QxtGlobalShortcut::isSupported()
{
    if (QxtGlobalShortcutPrivate::canGrabKeys())
        return true;
    GlobalShortcutsPortal *portal = GlobalShortcutsPortal::instance();
    portal->check();
    return portal->state() == GlobalShortcutsPortal::State::Available;
}

void QxtGlobalShortcut::setEnabled(bool enabled)
{
    d->enabled = enabled;
}

void QxtGlobalShortcut::setDisabled(bool disabled)
{
    d->enabled = !disabled;
}
