// SPDX-License-Identifier: GPL-2.0-or-later

#include "dbusinterface.h"

#include "systray.h"

namespace Morv {

DbusInterface::DbusInterface(Systray *tray, QObject *parent)
    : QObject(parent)
    , tray(tray)
{}

void DbusInterface::show()
{
    tray->shortcut_activated();
}

} // namespace Morv
