// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QSystemTrayIcon>

class QAction;
class QFilteringMenuView;
class QMenu;
class QxtGlobalShortcut;

namespace Morv {

class Model;

// The program's controller and its only permanent user interface: the tray icon with its context
// menu (clear, configure, pause, about, quit), the history menu over the history model, and the
// global shortcut. A left click, the shortcut and the D-Bus method "show" all toggle the history
// menu. While the history is paused (ClipboardWrap::setPaused, from here or from D-Bus) the icon
// is greyed with a pause mark and its tool tip says so.
class Systray : public QSystemTrayIcon
{
    Q_OBJECT

public:
    explicit Systray(QObject *parent = nullptr);
    ~Systray() override;

    Model *model() const { return historyModel; }
    QFilteringMenuView *historyMenu() const { return menuView; }
    QxtGlobalShortcut *globalShortcut() const { return shortcut; }

public Q_SLOTS:
    // Toggles the history menu at the mouse pointer.
    void shortcut_activated();

private Q_SLOTS:
    void editPreferences();
    void showAbout();
    void systray_activated(QSystemTrayIcon::ActivationReason reason);
    void clear_history();

private:
    void freezeMenuSize();
    void fitMenuSize();
    void showPaused(bool paused);
    void applyTrayIcon();

    Model *historyModel;
    QMenu *trayMenu;
    QAction *pauseAction;
    QFilteringMenuView *menuView = nullptr;
    QxtGlobalShortcut *shortcut;
};

} // namespace Morv
