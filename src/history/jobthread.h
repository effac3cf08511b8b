// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace Morv {

// A thread that runs jobs one after another in the order given, at a lower priority than the GUI
// thread, started with the object. A job shares nothing with its caller but what it captures; it
// must be safe to run on another thread and to be dropped without running.
//
// The process has two: one reads content files ahead of a paste (see LargeContent::readAhead),
// the other makes the previews of pictures (see PicturePreviews).
class JobThread
{
public:
    // The thread of the read ahead, started on first need.
    static JobThread &readAhead();

    JobThread();
    // Stops (see stop()).
    ~JobThread();

    JobThread(const JobThread &) = delete;
    JobThread &operator=(const JobThread &) = delete;

    // Queues the job; dropped once the thread has stopped.
    void run(std::function<void()> job);

    // Drops the jobs that have not started and waits for the one under way; may be called again.
    void stop();

private:
    void work();

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs; // guarded by the mutex
    bool stopping = false;                  // guarded by the mutex
    std::thread thread;
};

} // namespace Morv
