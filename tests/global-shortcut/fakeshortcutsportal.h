// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

// A stand-in for the desktop portal's frontend (org.freedesktop.portal.Desktop) that offers the
// GlobalShortcuts interface and the host registry, on a bus connection of its own: it records
// every call and answers as the test tells it, in the order the test tells it (the response
// before the call's reply, a response held back, a refusal).

#include "portalshortcut.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QTimer>

class FakeShortcutsPortal : public QDBusVirtualObject
{
public:
    static inline const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString root = QStringLiteral("/org/freedesktop/portal/desktop");
    static inline const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

    // When the Response signal of a request goes out, relative to the method call's reply.
    enum class Answer { AfterReply, BeforeReply, Held };

    struct Session
    {
        QString path;
        QString client;
        bool closed = false;
    };

    struct Binding
    {
        QString session;
        PortalShortcutList shortcuts;
        QString parentWindow;
    };

    // Connects to the bus under a name of its own; takeName() makes it the portal.
    explicit FakeShortcutsPortal(const QString &address, const QString &connectionName)
        : bus(QDBusConnection::connectToBus(address, connectionName))
    {
        PortalShortcut::registerTypes();
        bus.registerVirtualObject(root, this, QDBusConnection::SubPath);
    }

    ~FakeShortcutsPortal() override
    {
        bus.unregisterObject(root);
        bus.interface()->unregisterService(service);
        const QString name = bus.name();
        bus = QDBusConnection(QString());
        QDBusConnection::disconnectFromBus(name);
    }

    bool takeName()
    {
        return bus.interface()->registerService(service, QDBusConnectionInterface::ReplaceExistingService,
                                                QDBusConnectionInterface::AllowReplacement) ==
               QDBusConnectionInterface::ServiceRegistered;
    }
    void giveUpName() { bus.interface()->unregisterService(service); }
    QString uniqueName() const { return bus.baseService(); }

    // ---- how it answers
    uint version = 1;
    Answer answer = Answer::AfterReply;
    uint createResponse = 0;
    uint bindResponse = 0;
    // Bound successfully, yet none of the shortcuts asked for.
    bool bindsNothing = false;
    // The portal has no such method (or the call fails otherwise).
    bool bindFailsAsCall = false;

    // ---- what it saw
    QStringList calls;
    QStringList registeredIds;
    QList<QVariantMap> createOptions;
    QList<Session> sessions;
    QList<Binding> bindings;

    bool isClosed(const QString &session) const
    {
        for (const Session &known : sessions) {
            if (known.path == session)
                return known.closed;
        }
        return false;
    }
    QStringList openSessions() const
    {
        QStringList open;
        for (const Session &known : sessions) {
            if (!known.closed)
                open << known.path;
        }
        return open;
    }

    // Sends the held responses now.
    void releaseHeld()
    {
        const QList<QDBusMessage> held = heldResponses;
        heldResponses.clear();
        for (const QDBusMessage &response : held)
            bus.send(response);
    }

    // The desktop saw the shortcut's trigger pressed.
    void activate(const QString &session, const QString &shortcutId)
    {
        QString client;
        for (const Session &known : std::as_const(sessions)) {
            if (known.path == session)
                client = known.client;
        }
        QDBusMessage signal =
            QDBusMessage::createTargetedSignal(client, root, shortcutsInterface, QStringLiteral("Activated"));
        signal.setArguments({QVariant::fromValue(QDBusObjectPath(session)), shortcutId, qulonglong(1234),
                             QVariantMap{{QStringLiteral("activation_token"), QStringLiteral("token")}}});
        bus.send(signal);
    }

    QString introspect(const QString &) const override { return QString(); }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        const QString member = message.member();
        const QVariantList arguments = message.arguments();
        calls << member;
        if (message.interface() == QLatin1String("org.freedesktop.host.portal.Registry") &&
            member == QLatin1String("Register")) {
            registeredIds << arguments.value(0).toString();
            bus.send(message.createReply());
            return true;
        }
        if (member == QLatin1String("Get")) {
            if (arguments.value(0).toString() == shortcutsInterface && version > 0)
                bus.send(message.createReply(QVariant::fromValue(QDBusVariant(version))));
            else
                bus.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                                                  QStringLiteral("No such interface")));
            return true;
        }
        if (member == QLatin1String("Close") &&
            message.path().startsWith(root + QLatin1String("/session/"))) {
            for (Session &known : sessions) {
                if (known.path == message.path())
                    known.closed = true;
            }
            bus.send(message.createReply());
            return true;
        }
        if (message.interface() != shortcutsInterface)
            return false;
        if (member == QLatin1String("CreateSession")) {
            const QVariantMap options = mapOf(arguments.value(0));
            createOptions << options;
            const QString session = pathFor(QStringLiteral("session"), message.service(),
                                            options.value(QStringLiteral("session_handle_token")).toString());
            if (createResponse == 0)
                sessions.append({session, message.service()});
            respond(message, options, createResponse, {{QStringLiteral("session_handle"), session}});
            return true;
        }
        if (member == QLatin1String("BindShortcuts")) {
            if (bindFailsAsCall) {
                bus.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"),
                                                  QStringLiteral("Bind refused")));
                return true;
            }
            const QString session = arguments.value(0).value<QDBusObjectPath>().path();
            const auto shortcuts = qdbus_cast<PortalShortcutList>(arguments.value(1).value<QDBusArgument>());
            bindings.append({session, shortcuts, arguments.value(2).toString()});
            PortalShortcutList bound;
            if (!bindsNothing) {
                for (const PortalShortcut &shortcut : shortcuts) {
                    bound.append({shortcut.id,
                                  {{QStringLiteral("description"), shortcut.properties.value("description")},
                                   {QStringLiteral("trigger_description"),
                                    shortcut.properties.value("preferred_trigger")}}});
                }
            }
            respond(message, mapOf(arguments.value(3)), bindResponse,
                    {{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}});
            return true;
        }
        return false;
    }

private:
    // A dictionary as it comes in a raw message: still to be read.
    static QVariantMap mapOf(const QVariant &argument)
    {
        if (argument.metaType() == QMetaType::fromType<QDBusArgument>())
            return qdbus_cast<QVariantMap>(argument.value<QDBusArgument>());
        return argument.toMap();
    }

    static QString pathFor(const QString &kind, const QString &client, const QString &token)
    {
        QString sender = client.mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        return QStringLiteral("%1/%2/%3/%4").arg(root, kind, sender, token);
    }

    void respond(const QDBusMessage &call, const QVariantMap &options, uint code, const QVariantMap &results)
    {
        const QString request = pathFor(QStringLiteral("request"), call.service(),
                                        options.value(QStringLiteral("handle_token")).toString());
        QDBusMessage response = QDBusMessage::createTargetedSignal(
            call.service(), request, QStringLiteral("org.freedesktop.portal.Request"),
            QStringLiteral("Response"));
        response.setArguments({code, code == 0 ? results : QVariantMap()});
        const QDBusMessage reply = call.createReply(QVariant::fromValue(QDBusObjectPath(request)));
        switch (answer) {
        case Answer::BeforeReply:
            bus.send(response);
            bus.send(reply);
            break;
        case Answer::AfterReply:
            bus.send(reply);
            bus.send(response);
            break;
        case Answer::Held:
            bus.send(reply);
            heldResponses << response;
            break;
        }
    }

    QDBusConnection bus;
    QList<QDBusMessage> heldResponses;
};
