// SPDX-License-Identifier: GPL-2.0-or-later

#include "backgroundpriority.h"

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace Morv {

void lowerCurrentThreadPriority()
{
#ifdef __linux__
    constexpr int backgroundNice = 10;
    ::setpriority(PRIO_PROCESS, ::gettid(), backgroundNice);
#endif
}

} // namespace Morv
