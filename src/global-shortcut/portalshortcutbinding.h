// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QKeyCombination>
#include <QObject>
#include <QVariantMap>

class PortalRequest;

// One hot key bound through the GlobalShortcuts portal: a session of its own holding one shortcut,
// whose preferred trigger is the key combination. Binding is asynchronous (the desktop may ask the
// user first); finished() tells the outcome. The portal binds the shortcuts of a session only
// once, so every bind() makes a new session and closes the one before. A portal that goes away or
// is replaced takes the session with it: the binding then binds anew, once the new one answers.
class PortalShortcutBinding : public QObject
{
    Q_OBJECT

public:
    // The shortcut's id within its session, under which the desktop lists and remembers it.
    PortalShortcutBinding(const QString &shortcutId, QObject *parent = nullptr);
    ~PortalShortcutBinding() override;

    // Asks the portal to bind the combination, dropping any binding or attempt before. Returns
    // false when it is known at once that there is no portal to ask (finished() does not follow);
    // otherwise finished() comes once the portal has answered.
    bool bind(QKeyCombination combination, const QString &description);
    // Drops the binding (or the attempt under way): the session is closed.
    void release();

    bool isBound() const { return stage == Stage::Bound; }
    // The reason of the last failure, for the log.
    QString error() const { return lastError; }

Q_SIGNALS:
    void activated();
    // The outcome of bind(); with false, error() says why.
    void finished(bool bound);

private Q_SLOTS:
    void onPortalStateChanged();
    void onActivated(const QString &sessionHandle, const QString &shortcutId);

private:
    enum class Stage { Idle, WaitingForPortal, CreatingSession, Binding, Bound, Failed };

    void createSession();
    void sessionCreated(PortalRequest *request, uint response, const QVariantMap &results,
                        const QString &error);
    void bindShortcut();
    void shortcutBound(uint response, const QVariantMap &results, const QString &error);
    void fail(const QString &why);
    // Closes the session, or the one a pending request is about to make.
    void dropSession();

    const QString id;
    QKeyCombination combination;
    QString description;
    Stage stage = Stage::Idle;
    QString session;
    // The request under way for the current binding, if any.
    PortalRequest *pending = nullptr;
    QString lastError;
};
