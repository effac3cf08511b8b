// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

// A desktop with the GlobalShortcuts portal, for tests on the rig's session bus: the portal's real
// frontend (xdg-desktop-portal, as every desktop runs it) in front of a backend of the test's own
// (where a desktop has its own, KDE's or GNOME's), and the program's desktop entry where the
// portal looks for it.

#include "desktop.h"
#include "portalshortcut.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

namespace PortalDesktop {

inline const QString frontendProgram = QStringLiteral("/usr/libexec/xdg-desktop-portal");
inline const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");

// The backend of the GlobalShortcuts portal (org.freedesktop.impl.portal.GlobalShortcuts), as
// small as a test needs: it binds every shortcut asked for with its preferred trigger, lists them,
// and presses them on request. It answers on a bus connection of its own, in the test's thread.
class FakeShortcutsBackend : public QDBusVirtualObject
{
public:
    static inline const QString service = QStringLiteral("org.freedesktop.impl.portal.desktop.morvtest");
    static inline const QString desktop = QStringLiteral("morvtest");
    static inline const QString root = QStringLiteral("/org/freedesktop/portal/desktop");
    static inline const QString backendInterface =
        QStringLiteral("org.freedesktop.impl.portal.GlobalShortcuts");

    struct Session
    {
        QString path;
        QString appId;
        bool closed = false;
        PortalShortcutList bound;
    };

    FakeShortcutsBackend()
        : bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                            QStringLiteral("fake-shortcuts-backend")))
    {
        PortalShortcut::registerTypes();
        bus.registerVirtualObject(root, this, QDBusConnection::SubPath);
    }

    ~FakeShortcutsBackend() override
    {
        bus.unregisterObject(root);
        bus.interface()->unregisterService(service);
        QDBusConnection::disconnectFromBus(bus.name());
    }

    bool start() { return bus.isConnected() && bus.registerService(service); }

    // The portal file naming this backend and its one interface, and the configuration choosing it
    // for the desktop named `desktop`, both in the folder the frontend is given as
    // XDG_DESKTOP_PORTAL_DIR (where it then looks for both).
    static bool writeConfiguration(const QString &folder)
    {
        QFile portal(QDir(folder).filePath(desktop + QLatin1String(".portal")));
        QFile config(QDir(folder).filePath(desktop + QLatin1String("-portals.conf")));
        if (!QDir().mkpath(folder) || !portal.open(QIODevice::WriteOnly) ||
            !config.open(QIODevice::WriteOnly))
            return false;
        portal.write(QStringLiteral("[portal]\nDBusName=%1\nInterfaces=%2;\n")
                         .arg(service, backendInterface)
                         .toUtf8());
        config.write(
            QStringLiteral("[preferred]\ndefault=none\n%1=%2\n").arg(backendInterface, desktop).toUtf8());
        return true;
    }

    QList<Session> sessions;

    // The sessions still open, that hold a shortcut of this id.
    QList<Session> openSessionsWith(const QString &id) const
    {
        QList<Session> found;
        for (const Session &session : sessions) {
            for (const PortalShortcut &shortcut : session.bound) {
                if (!session.closed && shortcut.id == id)
                    found << session;
            }
        }
        return found;
    }

    // The user pressed the shortcut's trigger.
    void press(const QString &session, const QString &id)
    {
        QDBusMessage activated =
            QDBusMessage::createSignal(root, backendInterface, QStringLiteral("Activated"));
        activated.setArguments(
            {QVariant::fromValue(QDBusObjectPath(session)), id, qulonglong(1), QVariantMap()});
        bus.send(activated);
        QDBusMessage deactivated =
            QDBusMessage::createSignal(root, backendInterface, QStringLiteral("Deactivated"));
        deactivated.setArguments(
            {QVariant::fromValue(QDBusObjectPath(session)), id, qulonglong(2), QVariantMap()});
        bus.send(deactivated);
    }

    QString introspect(const QString &) const override { return QString(); }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        const QString member = message.member();
        const QVariantList arguments = message.arguments();
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
            const QVariantMap properties{{QStringLiteral("version"), 2u}};
            if (member == QLatin1String("GetAll"))
                bus.send(message.createReply(QVariant::fromValue(properties)));
            else if (member == QLatin1String("Get") && arguments.value(1) == QLatin1String("version"))
                bus.send(message.createReply(QVariant::fromValue(QDBusVariant(2u))));
            else
                return false;
            return true;
        }
        if (message.interface() == QLatin1String("org.freedesktop.impl.portal.Session") &&
            member == QLatin1String("Close")) {
            for (Session &session : sessions) {
                if (session.path == message.path())
                    session.closed = true;
            }
            bus.send(message.createReply());
            return true;
        }
        if (message.interface() != backendInterface)
            return false;
        if (member == QLatin1String("CreateSession")) {
            sessions.append({arguments.value(1).value<QDBusObjectPath>().path(),
                             arguments.value(2).toString(),
                             false,
                             {}});
            bus.send(message.createReply({0u, QVariantMap()}));
            return true;
        }
        if (member == QLatin1String("BindShortcuts")) {
            const QString path = arguments.value(1).value<QDBusObjectPath>().path();
            const auto asked = qdbus_cast<PortalShortcutList>(arguments.value(2).value<QDBusArgument>());
            PortalShortcutList bound;
            for (const PortalShortcut &shortcut : asked) {
                bound.append({shortcut.id,
                              {{QStringLiteral("description"),
                                shortcut.properties.value(QStringLiteral("description"))},
                               {QStringLiteral("trigger_description"),
                                shortcut.properties.value(QStringLiteral("preferred_trigger"))},
                               {QStringLiteral("preferred_trigger"),
                                shortcut.properties.value(QStringLiteral("preferred_trigger"))}}});
            }
            for (Session &session : sessions) {
                if (session.path == path)
                    session.bound = bound;
            }
            bus.send(message.createReply(
                {0u, QVariantMap{{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}}}));
            return true;
        }
        if (member == QLatin1String("ListShortcuts")) {
            const QString path = arguments.value(1).value<QDBusObjectPath>().path();
            PortalShortcutList bound;
            for (const Session &session : std::as_const(sessions)) {
                if (session.path == path)
                    bound = session.bound;
            }
            bus.send(message.createReply(
                {0u, QVariantMap{{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}}}));
            return true;
        }
        if (member == QLatin1String("ConfigureShortcuts")) {
            bus.send(message.createReply());
            return true;
        }
        return false;
    }

private:
    QDBusConnection bus;
};

// The version of the GlobalShortcuts interface the portal on the bus offers; 0 for none.
inline uint portalShortcutsVersion()
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        portalService, QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({QStringLiteral("org.freedesktop.portal.GlobalShortcuts"), QStringLiteral("version")});
    const QDBusReply<QDBusVariant> reply = QDBusConnection::sessionBus().call(get);
    return reply.isValid() ? reply.value().variant().toUInt() : 0;
}

// The program's desktop entry where the portal looks for it (below XDG_DATA_HOME), as an
// installation puts it, naming the given program: the portal knows programs outside a sandbox
// only by their entry, and takes an entry only if its program exists.
inline bool installDesktopEntry(const QString &program)
{
    QFile source(QStringLiteral(MORV_SOURCE_DIR "/data/morv-clip.desktop"));
    const QString folder = qEnvironmentVariable("XDG_DATA_HOME") + QLatin1String("/applications");
    QFile entry(folder + QLatin1String("/morv-clip.desktop"));
    if (!source.open(QIODevice::ReadOnly) || !QDir().mkpath(folder) || !entry.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = source.readAll();
    text.replace("\nExec=morv-clip\n", "\nExec=" + program.toUtf8() + '\n');
    return entry.write(text) == text.size();
}

// The portal's frontend with the backend behind it, started as a session of the test's desktop
// starts them: the backends from a folder of the test's, chosen by the desktop's name.
class Portal
{
public:
    ~Portal() { stop(); }

    // Why start() cannot work here: the frontend is missing, or too old for the interface (Debian
    // 12 has 1.16; the interface came with 1.17). Empty where it can.
    static QString missing()
    {
        if (!QFile::exists(frontendProgram))
            return QStringLiteral("xdg-desktop-portal is not installed");
        QProcess version;
        version.start(frontendProgram, {QStringLiteral("--version")});
        if (!version.waitForFinished() || version.exitCode() != 0)
            return QStringLiteral("xdg-desktop-portal has no --version: older than 1.17");
        const QStringList numbers = QString::fromUtf8(version.readAllStandardOutput())
                                        .trimmed()
                                        .section(QLatin1Char(' '), -1)
                                        .split(QLatin1Char('.'));
        if (numbers.size() < 2 || numbers.at(0).toInt() < 1 ||
            (numbers.at(0).toInt() == 1 && numbers.at(1).toInt() < 17))
            return QStringLiteral("xdg-desktop-portal is older than 1.17, which brought global shortcuts");
        return QString();
    }

    bool start()
    {
        backend = std::make_unique<FakeShortcutsBackend>();
        const QString portals = folder.filePath(QStringLiteral("portals"));
        if (!backend->start() || !FakeShortcutsBackend::writeConfiguration(portals))
            return false;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DESKTOP_PORTAL_DIR"), portals);
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), FakeShortcutsBackend::desktop);
        frontend.setProcessEnvironment(environment);
        // Its complaints about what a headless session lacks (a document store, RealtimeKit) are of
        // no interest.
        frontend.setStandardOutputFile(QProcess::nullDevice());
        frontend.setStandardErrorFile(QProcess::nullDevice());
        // --replace: a frontend the bus started for an earlier test knows no backend.
        frontend.start(frontendProgram, {QStringLiteral("--replace")});
        return frontend.waitForStarted() && Desktop::waitUntil([this] {
                   return frontend.state() != QProcess::Running || portalShortcutsVersion() > 0;
               }) &&
               frontend.state() == QProcess::Running;
    }

    void stop()
    {
        if (frontend.state() != QProcess::NotRunning) {
            frontend.terminate();
            frontend.waitForFinished();
        }
        backend.reset();
    }

    std::unique_ptr<FakeShortcutsBackend> backend;

private:
    QTemporaryDir folder;
    QProcess frontend;
};

} // namespace PortalDesktop
