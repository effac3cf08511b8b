// SPDX-License-Identifier: GPL-2.0-or-later

#include "readaheadthread.h"

#include "backgroundpriority.h"

namespace Morv {

ReadAheadThread &ReadAheadThread::instance()
{
    static ReadAheadThread readAhead;
    return readAhead;
}

ReadAheadThread::ReadAheadThread()
    : thread([this] { work(); })
{}

ReadAheadThread::~ReadAheadThread()
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        jobs.clear();
    }
    wake.notify_all();
    thread.join();
}

void ReadAheadThread::run(std::function<void()> job)
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        jobs.push_back(std::move(job));
    }
    wake.notify_all();
}

void ReadAheadThread::work()
{
    // As the saving thread: a read of hundreds of megabytes must not take the processor from the
    // GUI thread on a busy machine.
    lowerCurrentThreadPriority();
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return stopping || !jobs.empty(); });
        if (stopping)
            return;
        std::function<void()> job = std::move(jobs.front());
        jobs.pop_front();
        lock.unlock();
        job();
        // What the job captured goes here, on this thread, before the lock is taken again.
        job = nullptr;
        lock.lock();
    }
}

} // namespace Morv
