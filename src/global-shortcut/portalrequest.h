// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

class QDBusPendingCallWatcher;

// One call of an XDG desktop portal method that answers through a request object: the call's
// reply only names the request, and the outcome comes later with the Response signal on it,
// after whatever the desktop asked the user. The signal is subscribed to before the call goes
// out, on the path the portal gives the request (made from our unique bus name and the handle
// token we pass), so that a response sent before the reply is not missed; a reply that names
// another path moves the subscription there.
class PortalRequest : public QObject
{
    Q_OBJECT

public:
    // The portal's response codes.
    enum Response : uint { Success = 0, Cancelled = 1, Ended = 2 };

    PortalRequest(const QDBusConnection &connection, QObject *parent = nullptr);
    ~PortalRequest() override;

    // Calls the portal's method with the arguments and, last, the options, into which the handle
    // token is put. Call once.
    void send(const QString &interface, const QString &method, const QVariantList &arguments,
              QVariantMap options);

    // Whether finished() has been emitted.
    bool isFinished() const { return done; }

Q_SIGNALS:
    // The outcome: the response code and results, or, when the call itself failed (no such
    // method, the portal gone), Ended and the D-Bus error's message.
    void finished(uint response, const QVariantMap &results, const QString &error);

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap &results);
    void onReply(QDBusPendingCallWatcher *watcher);

private:
    bool subscribe(const QString &path);
    void unsubscribe();
    void finish(uint response, const QVariantMap &results, const QString &error);

    QDBusConnection connection;
    QString subscribedPath;
    bool done = false;
};
