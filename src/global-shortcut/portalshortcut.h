// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

class QDBusArgument;

// One shortcut as the GlobalShortcuts portal passes them (D-Bus signature "(sa{sv})"): the id the
// program chose for it and its properties: "description" and "preferred_trigger" going to the
// portal, "description" and "trigger_description" coming back.
struct PortalShortcut
{
    QString id;
    QVariantMap properties;

    // Makes the type and its list known to QtDBus; any number of calls.
    static void registerTypes();
};

using PortalShortcutList = QList<PortalShortcut>;

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut);
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut);

Q_DECLARE_METATYPE(PortalShortcut)
Q_DECLARE_METATYPE(PortalShortcutList)
