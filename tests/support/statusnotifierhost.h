// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

// The panel of a Wayland session, as far as the tray icon is concerned: a StatusNotifier watcher
// (status-notifier-watcher) and this test as the host that shows the items, reads an item's
// context menu (com.canonical.dbusmenu) and clicks in it.

#include "desktop.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>

namespace StatusNotifier {

inline const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
inline const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
inline const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");
inline const QString menuInterface = QStringLiteral("com.canonical.dbusmenu");

inline QVariant busProperty(const QString &service, const QString &path, const QString &interface,
                            const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({interface, name});
    const QDBusReply<QDBusVariant> reply = QDBusConnection::sessionBus().call(get);
    return reply.isValid() ? reply.value().variant() : QVariant();
}

// One entry of a dbusmenu layout.
struct MenuEntry
{
    int id = 0;
    QString label;
};

inline void readLayout(const QDBusArgument &node, QList<MenuEntry> &entries)
{
    int id = 0;
    QVariantMap properties;
    node.beginStructure();
    node >> id >> properties;
    entries.append({id, properties.value(QStringLiteral("label")).toString()});
    node.beginArray();
    while (!node.atEnd()) {
        QDBusVariant child;
        node >> child;
        readLayout(qvariant_cast<QDBusArgument>(child.variant()), entries);
    }
    node.endArray();
    node.endStructure();
}

// A status notifier item the watcher lists: its service and object path.
struct Item
{
    QString service;
    QString path;

    bool isValid() const { return !service.isEmpty(); }

    bool call(const QString &method, const QVariantList &arguments) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, itemInterface, method);
        message.setArguments(arguments);
        return QDBusConnection::sessionBus().call(message).type() == QDBusMessage::ReplyMessage;
    }

    QVariant property(const QString &name) const { return busProperty(service, path, itemInterface, name); }

    QString menuPath() const { return property(QStringLiteral("Menu")).value<QDBusObjectPath>().path(); }

    // The entries of its context menu, as a host reads them to draw the menu.
    QList<MenuEntry> menuEntries() const
    {
        QDBusMessage getLayout =
            QDBusMessage::createMethodCall(service, menuPath(), menuInterface, QStringLiteral("GetLayout"));
        getLayout.setArguments({0, -1, QStringList()});
        const QDBusMessage layout = QDBusConnection::sessionBus().call(getLayout);
        QList<MenuEntry> entries;
        if (layout.type() == QDBusMessage::ReplyMessage && layout.arguments().size() == 2)
            readLayout(qvariant_cast<QDBusArgument>(layout.arguments().at(1)), entries);
        return entries;
    }

    // A click on the entry of the context menu with this label ("_About ..."). The call returns
    // at once; a dialog the entry opens stays open.
    bool clickMenuEntry(const QString &label) const
    {
        int id = -1;
        for (const MenuEntry &entry : menuEntries()) {
            if (entry.label == label)
                id = entry.id;
        }
        if (id < 0)
            return false;
        QDBusMessage clicked =
            QDBusMessage::createMethodCall(service, menuPath(), menuInterface, QStringLiteral("Event"));
        clicked.setArguments({id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
        return QDBusConnection::sessionBus().send(clicked);
    }
};

// The one item the watcher lists ("service/path" or just the service, then the usual path); an
// invalid item while there is none, or more than one.
inline Item registeredItem()
{
    const QStringList items = busProperty(watcherService, watcherPath, watcherService,
                                          QStringLiteral("RegisteredStatusNotifierItems"))
                                  .toStringList();
    if (items.size() != 1)
        return {};
    const QString entry = items.first();
    const qsizetype slash = entry.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return {entry, QStringLiteral("/StatusNotifierItem")};
    return {entry.left(slash), entry.mid(slash)};
}

// The watcher, and this process as the host, for as long as it lives.
class Host
{
public:
    Host() { watcher.setProcessChannelMode(QProcess::ForwardedChannels); }
    ~Host()
    {
        watcher.terminate();
        watcher.waitForFinished();
    }

    // False when the watcher (haskell-status-notifier-item-utils) is missing or did not come up.
    bool start()
    {
        watcher.start(QStringLiteral("status-notifier-watcher"), QStringList());
        if (!watcher.waitForStarted() ||
            !Desktop::waitUntil([] { return Desktop::nameHasOwner(watcherService); }))
            return false;
        QDBusConnection bus = QDBusConnection::sessionBus();
        const QString host =
            QStringLiteral("org.kde.StatusNotifierHost-%1").arg(QCoreApplication::applicationPid());
        if (!bus.registerService(host))
            return false;
        QDBusMessage registerHost = QDBusMessage::createMethodCall(
            watcherService, watcherPath, watcherService, QStringLiteral("RegisterStatusNotifierHost"));
        registerHost.setArguments({host});
        return bus.call(registerHost).type() == QDBusMessage::ReplyMessage;
    }

private:
    QProcess watcher;
};

} // namespace StatusNotifier
