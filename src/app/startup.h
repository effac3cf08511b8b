// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

class QString;

namespace Morv {

// The steps of start-up that come between the construction of the application object and the
// event loop, shared by the program's entry point and its tests.
namespace StartUp {

// Application name, desktop file name, version, organisation domain and name, in this order.
void setIdentity();

// The INI format for every settings object, and no quitting when the last window closes (the
// program lives in the tray; closing a dialog must not end it).
void setApplicationDefaults();

// The window icon from the "tray_icon_file" preference. This is the first use of the preferences,
// so it must follow the two steps above.
void setWindowIconFromPreferences();

// Runs the event loop and returns its result, the program's exit status. A termination signal
// that arrived before the loop could run ends the program at once, with status 0.
int runEventLoop();

// The catalogue name of the program's translations.
QString catalogue();

} // namespace StartUp
} // namespace Morv
