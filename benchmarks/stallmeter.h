// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <time.h>

// What the benchmarks that watch the GUI thread share: the longest gap of its event loop, waiting
// with the event loop running, and percentiles.
namespace StallMeasure {

using Clock = std::chrono::steady_clock;

inline double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The processor time this thread has used, in milliseconds.
inline double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The longest time the event loop went without serving a 1 ms timer. On a loaded machine most of
// such a gap can be other processes holding the processor; the processor time the thread itself
// used between two ticks (busiest()) is what its own work cost, whatever the load.
class StallMeter
{
public:
    StallMeter()
    {
        ticker.setTimerType(Qt::PreciseTimer);
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, &ticker, [this] { tick(); });
    }

    void start()
    {
        longestGap = 0;
        longestBusy = 0;
        longGaps = 0;
        last = Clock::now();
        lastCpu = threadCpuMs();
        ticker.start();
    }

    double stop()
    {
        tick();
        ticker.stop();
        return longestGap;
    }

    // After stop(): the most processor time the thread used between two ticks, and how many gaps
    // were longer than the bound.
    double busiest() const { return longestBusy; }
    int gapsLongerThan16Ms() const { return longGaps; }

private:
    void tick()
    {
        const Clock::time_point now = Clock::now();
        const double cpu = threadCpuMs();
        const double gap = msBetween(last, now);
        longestGap = std::max(longestGap, gap);
        longestBusy = std::max(longestBusy, cpu - lastCpu);
        if (gap > 16)
            ++longGaps;
        last = now;
        lastCpu = cpu;
    }

    QTimer ticker;
    Clock::time_point last;
    double lastCpu = 0;
    double longestGap = 0;
    double longestBusy = 0;
    int longGaps = 0;
};

inline double percentile(QList<double> values, double share)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(std::min<qsizetype>(values.size() - 1, qsizetype(share * (values.size() - 1) + 0.5)));
}

// Waits with the event loop running until the condition holds; false after the time-out. Sleeps
// between events: a busy wait would take the cores the threads and programs measured need.
template<typename Condition>
bool waitFor(Condition condition, int timeout)
{
    QElapsedTimer clock;
    clock.start();
    QTimer wakeUp; // so that the time-out is seen without other events
    wakeUp.start(10);
    while (!condition()) {
        if (clock.elapsed() > timeout)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace StallMeasure
