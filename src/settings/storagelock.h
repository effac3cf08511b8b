// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>

namespace Morv {

// One user may run several instances at once with one home: two sessions with buses of their
// own (a desktop and a remote one), or one home on two machines. Each would delete the content
// files the other's history shows. Only the instance that holds this lock stores the history and
// removes content files; another one keeps its history in memory.
//
// The lock is an advisory lock (flock) on the file "morv-clip.lock" beside the content folder,
// held until the process ends; the system lets go of it when the process dies, however it dies.
// flock reaches other machines of a network home (NFS) too.
class StorageLock
{
public:
    // Takes the lock on the first call; whether this process holds it. A process that cannot take
    // it says so in one warning, and later calls give the same answer without trying again: a
    // history it started with in memory must not overwrite the one stored meanwhile.
    static bool acquire();

    // Whether acquire() has taken the lock; false before it was called.
    static bool isHeld();

    static QString fileName();
};

} // namespace Morv
