// SPDX-License-Identifier: GPL-2.0-or-later

#include "historysaver.h"

#include "historyfilewriter.h"

namespace Morv {

HistorySaver::HistorySaver(const QString &fileName, QObject *parent)
    : QObject(parent)
    , fileName(fileName)
    , worker([this] { run(); })
{}

HistorySaver::~HistorySaver()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    worker.join();
}

void HistorySaver::saveLater(const QList<Item> &items, bool clearItemsOnExit)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        waiting = Request{items, clearItemsOnExit};
    }
    wake.notify_all();
}

bool HistorySaver::saveNow(const QList<Item> &items, bool clearItemsOnExit)
{
    const Request request{items, clearItemsOnExit};
    std::unique_lock<std::mutex> lock(mutex);
    waiting.reset();
    idle.wait(lock, [this] { return !busy; });
    busy = true;
    lock.unlock();
    const bool ok = write(request);
    lock.lock();
    busy = false;
    idle.notify_all();
    return ok;
}

bool HistorySaver::retry()
{
    std::unique_lock<std::mutex> lock(mutex);
    if (!failed)
        return true;
    // A save still waiting is newer than the one that failed.
    const Request request = waiting ? *waiting : *failed;
    lock.unlock();
    return saveNow(request.items, request.clearItemsOnExit);
}

void HistorySaver::waitForIdle()
{
    std::unique_lock<std::mutex> lock(mutex);
    idle.wait(lock, [this] { return !busy && !waiting; });
}

void HistorySaver::run()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return stopping || waiting; });
        // What is still waiting at the end is written too: it is the newest history.
        if (!waiting)
            return;
        const Request request = std::move(*waiting);
        waiting.reset();
        busy = true;
        lock.unlock();
        const bool ok = write(request);
        QMetaObject::invokeMethod(
            this, [this, ok] { Q_EMIT written(ok); }, Qt::QueuedConnection);
        lock.lock();
        busy = false;
        idle.notify_all();
    }
}

bool HistorySaver::write(const Request &request)
{
    // Choosing the newest entry again, say, saves what the file holds already. Only the one busy
    // writer reads or changes what was written last.
    if (isLastWritten(request)) {
        std::lock_guard<std::mutex> lock(mutex);
        failed.reset();
        return true;
    }
    const bool ok =
        HistoryFileWriter::write(fileName, request.items, request.clearItemsOnExit, nullptr, &layout);
    std::lock_guard<std::mutex> lock(mutex);
    if (ok) {
        failed.reset();
        lastWritten = request;
    } else {
        failed = request;
        lastWritten.reset();
    }
    return ok;
}

bool HistorySaver::isLastWritten(const Request &request) const
{
    if (!lastWritten || lastWritten->clearItemsOnExit != request.clearItemsOnExit ||
        lastWritten->items.size() != request.items.size())
        return false;
    for (qsizetype i = 0; i < request.items.size(); ++i) {
        const Item &a = lastWritten->items.at(i);
        const Item &b = request.items.at(i);
        if (a.mode() != b.mode() || a.contentType() != b.contentType() || a.content() != b.content())
            return false;
    }
    // Something else may have written the file since (QSettings, another program).
    return layout.isCurrent(fileName);
}

} // namespace Morv
