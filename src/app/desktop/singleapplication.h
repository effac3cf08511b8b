// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QApplication>

namespace Morv {

// The application object of Morv desktop programs.
//
// startOption selects how the object itself guards against a second instance:
//   0 (NoInstanceCheck)  the object does nothing of its own; the program does its own check
//                        (morv-clip owns a well-known D-Bus service name for that).
// Other values are reserved and treated like 0, so that a program built against a newer desktop
// layer still starts.
class SingleApplication : public QApplication
{
    Q_OBJECT

public:
    enum StartOption { NoInstanceCheck = 0 };

    SingleApplication(int &argc, char **argv, int startOption = NoInstanceCheck);

    int startOption() const { return option; }

private:
    int option;
};

} // namespace Morv
