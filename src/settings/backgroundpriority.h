// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

namespace Morv {

// Puts the calling thread below the GUI thread's priority, so that the GUI thread comes first when
// both want a processor. Linux lets a thread that wakes up take the processor from the one that
// woke it: on a busy machine the GUI thread would otherwise wait for the hashing or reading of
// hundreds of megabytes it has just handed over. For the program's background threads, at their
// start; nice values are per thread on Linux, and elsewhere this does nothing.
void lowerCurrentThreadPriority();

} // namespace Morv
