// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QKeyCombination>
#include <QString>

// A key combination written as an XDG shortcut trigger, which is what the
// GlobalShortcuts portal takes as a shortcut's preferred trigger: the modifiers CTRL, ALT, SHIFT
// and LOGO, then the XKB name of the key's unshifted keysym, joined by '+' ("CTRL+ALT+v",
// "LOGO+F5", "CTRL+KP_Add").
namespace XdgShortcutTrigger {

// The trigger of the combination; empty when the key has no keysym (Qt::Key_unknown, a modifier
// alone, a key Qt knows by no character and this table does not name).
QString fromKeyCombination(QKeyCombination combination);

} // namespace XdgShortcutTrigger
