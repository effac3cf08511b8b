// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>

// Key combinations for xdotool with the key itself given by its keycode.
//
// xdotool finds the keycode of a key name itself, together with the modifiers of the first entry of
// the key's type that leads to the name's level. Recent keymaps (xkeyboard-config 2.4x) name Alt and
// Control as leading to the first level of the function keys (their type "CTRL+ALT"), so that
// "xdotool key F5" presses Alt with F5. A keycode xdotool presses as it is.
namespace XdotoolKeys {

// "ctrl+shift+F12" becomes "ctrl+shift+96" where F12 is the first level of keycode 96 on the test's
// display; a key name reached only with modifiers (or not at all) stays a name.
QString byKeycode(const QString &keys);

} // namespace XdotoolKeys
