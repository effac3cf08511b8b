// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace Morv {

// The thread that reads content files ahead of a paste (see LargeContent::readAhead): one for the
// process, started on first need, running its jobs one after another in the order given, at a
// lower priority than the GUI thread. A job shares nothing with its caller but what it captures;
// it must be safe to run on another thread and to be dropped without running.
class ReadAheadThread
{
public:
    static ReadAheadThread &instance();

    // Drops the jobs that have not started and waits for the one under way.
    ~ReadAheadThread();

    ReadAheadThread(const ReadAheadThread &) = delete;
    ReadAheadThread &operator=(const ReadAheadThread &) = delete;

    void run(std::function<void()> job);

private:
    ReadAheadThread();
    void work();

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs; // guarded by the mutex
    bool stopping = false;                  // guarded by the mutex
    std::thread thread;
};

} // namespace Morv
