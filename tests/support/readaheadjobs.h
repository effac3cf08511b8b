// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "jobthread.h"

#include <QSemaphore>

#include <memory>

// Waits until the read-ahead thread has run every job queued so far. A job holds the content it
// reads until it returns, a moment after a paste waiting for it has the bytes: a test that then
// drops the last other copy and expects the content file to go waits for this first.
inline bool readAheadJobsEnded()
{
    // Shared with the job: it outlives a wait that gave up.
    const auto ended = std::make_shared<QSemaphore>();
    Morv::JobThread::readAhead().run([ended] { ended->release(); });
    return ended->tryAcquire(1, 10000);
}
