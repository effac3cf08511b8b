// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

class QDBusMessage;
class QDBusServiceWatcher;

// The XDG desktop portal's GlobalShortcuts interface on the session bus, as the whole process
// sees it: whether the desktop offers it, the program's registration with the portal, and the
// activations of every session of ours. Where a desktop has the portal (KDE Plasma 6, GNOME 48 and
// later, Hyprland) it is the only way a Wayland program gets a hot key.
//
// The check runs once, asynchronously: where no portal is on the bus and none can be started, the
// answer is known at once; otherwise the portal is asked for the interface's version. A portal that
// goes away or is replaced makes the state Unknown again: the sessions it held are gone, and
// whoever had one checks and binds anew.
class GlobalShortcutsPortal : public QObject
{
    Q_OBJECT

public:
    enum class State { Unknown, Checking, Available, Unavailable };

    static const QString service;
    static const QString path;
    static const QString interface;

    // The one of the process, made on first use; the application object owns it.
    static GlobalShortcutsPortal *instance();

    State state() const { return current; }
    // Why the state is Unavailable: the portal's own error, or that there is none.
    QString unavailableReason() const { return reason; }
    // Starts the check unless it runs or has an answer; stateChanged() tells the answer, except
    // where it is known at once (no session bus, no portal): then the state has it on return.
    void check();

    QDBusConnection connection() const { return bus; }

    // The path the portal gives an object of ours of this kind ("request", "session") that was
    // named by the token: <path>/<kind>/<our unique name, without ':' and with '_' for '.'>/<token>.
    static QString objectPathFor(const QString &kind, const QDBusConnection &connection,
                                 const QString &token);

    // Ends a session of ours (its shortcuts with it); nothing is waited for.
    void closeSession(const QString &sessionHandle);

Q_SIGNALS:
    void stateChanged();
    // A shortcut of a session of ours was pressed.
    void activated(const QString &sessionHandle, const QString &shortcutId);

private Q_SLOTS:
    void onActivated(const QDBusMessage &message);
    void onOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner);

private:
    explicit GlobalShortcutsPortal(QObject *parent);
    void setState(State state, const QString &why = QString());
    void registerApplication();
    void askVersion();

    QDBusConnection bus;
    QDBusServiceWatcher *watcher = nullptr;
    State current = State::Unknown;
    QString reason;
    // The owner of the portal's name that the state and the sessions belong to.
    QString owner;
    // Raised whenever the portal changes, so that the answers of an earlier one are dropped.
    quint64 round = 0;
};
