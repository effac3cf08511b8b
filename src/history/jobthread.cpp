// SPDX-License-Identifier: GPL-2.0-or-later

#include "jobthread.h"

#include "backgroundpriority.h"

namespace Morv {

JobThread &JobThread::readAhead()
{
    static JobThread readAhead;
    return readAhead;
}

JobThread::JobThread()
    : thread([this] { work(); })
{}

JobThread::~JobThread()
{
    stop();
}

void JobThread::run(std::function<void()> job)
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (stopping)
            return;
        jobs.push_back(std::move(job));
    }
    wake.notify_all();
}

void JobThread::stop()
{
    std::deque<std::function<void()>> dropped;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        dropped.swap(jobs);
    }
    wake.notify_all();
    if (thread.joinable() && thread.get_id() != std::this_thread::get_id())
        thread.join();
    // What the dropped jobs captured goes here, outside the lock: it may queue further jobs.
}

void JobThread::work()
{
    // As the saving thread: reading or decoding hundreds of megabytes must not take the processor
    // from the GUI thread on a busy machine.
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
