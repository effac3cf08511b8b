// SPDX-License-Identifier: GPL-2.0-or-later

#include "globalshortcutsportal.h"

#include "portalshortcut.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPointer>

const QString GlobalShortcutsPortal::service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString GlobalShortcutsPortal::path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString GlobalShortcutsPortal::interface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

namespace {
const QString registryInterface = QStringLiteral("org.freedesktop.host.portal.Registry");
} // namespace

GlobalShortcutsPortal *GlobalShortcutsPortal::instance()
{
    static QPointer<GlobalShortcutsPortal> portal;
    if (!portal)
        portal = new GlobalShortcutsPortal(QCoreApplication::instance());
    return portal;
}

GlobalShortcutsPortal::GlobalShortcutsPortal(QObject *parent)
    : QObject(parent)
    , bus(QDBusConnection::sessionBus())
{
    PortalShortcut::registerTypes();
    if (!bus.isConnected())
        return;
    watcher = new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &GlobalShortcutsPortal::onOwnerChanged);
    // From any sender: QtDBus does not follow a name that has no owner yet when the signal is
    // connected, and the portal may start only later. The sender is checked on arrival.
    bus.connect(QString(), path, interface, QStringLiteral("Activated"), this,
                SLOT(onActivated(QDBusMessage)));
}

void GlobalShortcutsPortal::check()
{
    if (current != State::Unknown)
        return;
    if (!bus.isConnected()) {
        setState(State::Unavailable, QStringLiteral("no session bus"));
        return;
    }
    // The bus itself tells at once whether there is a portal to ask; a program without one (or
    // on a desktop that installs none) knows its answer without waiting.
    QDBusConnectionInterface *daemon = bus.interface();
    const bool running = daemon->isServiceRegistered(service).value();
    if (!running && !daemon->activatableServiceNames().value().contains(service)) {
        setState(State::Unavailable, QStringLiteral("no portal on the session bus"));
        return;
    }
    owner = running ? daemon->serviceOwner(service).value() : QString();
    setState(State::Checking);
    registerApplication();
}

// A program that runs outside a sandbox tells the portal which desktop entry it is before any
// other call: the portal opens no session for a program it cannot name, and the desktop lists
// the shortcuts under that name. Recent Qt registers the program itself when it starts, and then
// refuses this second registration; so does a portal that finds no such entry installed (the
// session is then refused, with the portal's reason in the warning). A portal older than the
// registry (1.19) names the program by other means.
void GlobalShortcutsPortal::registerApplication()
{
    const QString appId = QGuiApplication::desktopFileName();
    if (appId.isEmpty()) {
        askVersion();
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, registryInterface, QStringLiteral("Register"));
    call.setArguments({appId, QVariantMap()});
    auto *pending = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    const quint64 asked = round;
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, asked] {
        pending->deleteLater();
        if (asked == round)
            askVersion();
    });
}

void GlobalShortcutsPortal::askVersion()
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({interface, QStringLiteral("version")});
    auto *pending = new QDBusPendingCallWatcher(bus.asyncCall(get), this);
    const quint64 asked = round;
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, asked] {
        pending->deleteLater();
        if (asked != round)
            return;
        const QDBusPendingReply<QDBusVariant> reply = *pending;
        if (reply.isError()) {
            // A portal without a backend for the interface does not list it.
            setState(State::Unavailable, reply.error().message());
            return;
        }
        const uint version = reply.value().variant().toUInt();
        if (version < 1) {
            setState(State::Unavailable, QStringLiteral("the portal offers version %1").arg(version));
            return;
        }
        if (owner.isEmpty())
            owner = bus.interface()->serviceOwner(service).value();
        setState(State::Available);
    });
}

void GlobalShortcutsPortal::setState(State state, const QString &why)
{
    reason = why;
    if (current == state)
        return;
    current = state;
    Q_EMIT stateChanged();
}

QString GlobalShortcutsPortal::objectPathFor(const QString &kind, const QDBusConnection &connection,
                                             const QString &token)
{
    QString sender = connection.baseService();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("%1/%2/%3/%4").arg(path, kind, sender, token);
}

void GlobalShortcutsPortal::closeSession(const QString &sessionHandle)
{
    const QDBusMessage close = QDBusMessage::createMethodCall(
        service, sessionHandle, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close"));
    bus.asyncCall(close);
}

void GlobalShortcutsPortal::onActivated(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    if (current != State::Available || message.service() != owner || arguments.size() < 2)
        return;
    Q_EMIT activated(arguments.at(0).value<QDBusObjectPath>().path(), arguments.at(1).toString());
}

void GlobalShortcutsPortal::onOwnerChanged(const QString &, const QString &, const QString &newOwner)
{
    if (newOwner == owner)
        return;
    // The portal our own check started: the one that will answer it.
    if (current == State::Checking && owner.isEmpty()) {
        owner = newOwner;
        return;
    }
    // Any other change (a portal that ends, replaces another or comes at last) makes what we
    // knew stale: the registration and the sessions belonged to the one before.
    ++round;
    owner = newOwner;
    setState(State::Unknown);
}
