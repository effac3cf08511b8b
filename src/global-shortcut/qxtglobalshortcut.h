// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QKeySequence>
#include <QObject>

#include <memory>

class QxtGlobalShortcutPrivate;

// A system-wide hot key: while a combination is set, pressing it anywhere on the desktop emits
// activated(), whichever window has the keyboard focus. Under X11 the combination is grabbed on
// the root window. Elsewhere (Wayland) it is bound through the desktop's XDG GlobalShortcuts
// portal where the desktop has one; the desktop may ask the user first, and may let the user pick
// another key for it. Where neither works, setShortcut() fails with a warning and the object
// stays inert.
//
// Create, change and destroy shortcut objects on the GUI thread, after the application object.
class QxtGlobalShortcut : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QKeySequence shortcut READ shortcut WRITE setShortcut)

public:
    explicit QxtGlobalShortcut(QObject *parent = nullptr);
    explicit QxtGlobalShortcut(const QKeySequence &shortcut, QObject *parent = nullptr);
    ~QxtGlobalShortcut() override;

    // Releases the combination set before and grabs the first combination of the sequence.
    // Returns whether the new combination was grabbed. An empty sequence grabs nothing (and
    // returns false): the object is left without a combination.
    //
    // Through the portal the answer comes later: true means that the binding was asked for; a
    // refusal then writes the same warning as a failed grab, naming the portal's reason.
    bool setShortcut(const QKeySequence &shortcut);
    // The combination last set; Qt::Key_unknown when none is set.
    QKeySequence shortcut() const;

    bool isEnabled() const;

    // What the hot key does, in the user's language: the portal shows it in the desktop's list of
    // shortcuts. Takes effect with the next setShortcut().
    void setDescription(const QString &description);
    QString description() const;

    // Whether a hot key can work here at all: on Qt's X11 platform in a build with the X11 key
    // grab, and elsewhere where the session's portal offers global shortcuts. The portal is asked
    // in the background, on the first call (or the first shortcut object); the answer is false
    // until it has answered.
    static bool isSupported();

Q_SIGNALS:
    void activated();

public Q_SLOTS:
    // Switch activation only: a disabled object keeps its grab and simply emits nothing.
    void setEnabled(bool enabled = true);
    void setDisabled(bool disabled = true);

private:
    Q_DISABLE_COPY_MOVE(QxtGlobalShortcut)
    std::unique_ptr<QxtGlobalShortcutPrivate> d;
    friend class QxtGlobalShortcutPrivate;
};
