// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>

namespace Morv {

class Systray;

// The object other programs reach on the session bus: its one method "show" toggles the history
// menu, exactly as the global shortcut does. Exported itself (no adaptor), all public slots.
class DbusInterface : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.morv.clip")

public:
    explicit DbusInterface(Systray *tray, QObject *parent = nullptr);

public Q_SLOTS:
    void show();

private:
    Systray *tray; // not owned; outlives this object
};

} // namespace Morv
