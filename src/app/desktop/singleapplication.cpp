// SPDX-License-Identifier: GPL-2.0-or-later

#include "singleapplication.h"

namespace Morv {

SingleApplication::SingleApplication(int &argc, char **argv, int startOption)
    : QApplication(argc, argv)
    , option(startOption)
{}

} // namespace Morv
