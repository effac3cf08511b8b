// SPDX-License-Identifier: GPL-2.0-or-later

#include "portalrequest.h"

#include "globalshortcutsportal.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

// Unique within the process; the portal makes it unique across programs by our bus name.
QString nextToken()
{
    static quint64 counter = 0;
    return QStringLiteral("qxt_request_%1").arg(++counter);
}

} // namespace

PortalRequest::PortalRequest(const QDBusConnection &connection, QObject *parent)
    : QObject(parent)
    , connection(connection)
{}

PortalRequest::~PortalRequest()
{
    unsubscribe();
}

void PortalRequest::send(const QString &interface, const QString &method, const QVariantList &arguments,
                         QVariantMap options)
{
    const QString token = nextToken();
    options.insert(QStringLiteral("handle_token"), token);
    subscribe(GlobalShortcutsPortal::objectPathFor(QStringLiteral("request"), connection, token));

    QDBusMessage call = QDBusMessage::createMethodCall(GlobalShortcutsPortal::service,
                                                       GlobalShortcutsPortal::path, interface, method);
    call.setArguments(QVariantList(arguments) << options);
    auto *watcher = new QDBusPendingCallWatcher(connection.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &PortalRequest::onReply);
}

bool PortalRequest::subscribe(const QString &path)
{
    unsubscribe();
    subscribedPath = path;
    return connection.connect(GlobalShortcutsPortal::service, path, requestInterface,
                              QStringLiteral("Response"), QStringLiteral("ua{sv}"), this,
                              SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::unsubscribe()
{
    if (subscribedPath.isEmpty())
        return;
    connection.disconnect(GlobalShortcutsPortal::service, subscribedPath, requestInterface,
                          QStringLiteral("Response"), QStringLiteral("ua{sv}"), this,
                          SLOT(onResponse(uint, QVariantMap)));
    subscribedPath.clear();
}

void PortalRequest::onReply(QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    if (done)
        return;
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError()) {
        finish(Ended, QVariantMap(), reply.error().message());
        return;
    }
    // Portals older than the handle token chose the path themselves.
    const QString path = reply.value().path();
    if (path != subscribedPath)
        subscribe(path);
}

void PortalRequest::onResponse(uint response, const QVariantMap &results)
{
    if (!done)
        finish(response, results, QString());
}

void PortalRequest::finish(uint response, const QVariantMap &results, const QString &error)
{
    done = true;
    unsubscribe();
    Q_EMIT finished(response, results, error);
}
