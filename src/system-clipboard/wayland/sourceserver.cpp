// SPDX-License-Identifier: GPL-2.0-or-later

#include "sourceserver.h"

#include "offersnapshot.h"
#include "pipewriter.h"

#include <QThread>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <poll.h>
#include <unistd.h>

SourceServer::Served::Served(std::shared_ptr<const OfferSnapshot> content)
    : content(std::move(content))
{}

SourceServer::Served::~Served() = default;

SourceServer::Handle::Handle(SourceServer *server, quint64 id, void *object)
    : server(server)
    , number(id)
    , object(object)
{}

SourceServer::Handle::~Handle()
{
    if (server)
        server->retire(number);
}

SourceServer::SourceServer(int writeTimeout, QObject *parent)
    : QObject(parent)
    , writeTimeout(writeTimeout)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead = ends[0];
        wakeWrite = ends[1];
    }
}

SourceServer::~SourceServer()
{
    stop();
    for (Handle *handle : std::as_const(handles))
        handle->server = nullptr;
    if (wakeRead >= 0) {
        ::close(wakeRead);
        ::close(wakeWrite);
    }
}

void SourceServer::start(Events *eventsToServe)
{
    if (thread || wakeRead < 0)
        return;
    events = eventsToServe;
    {
        const std::lock_guard lock(mutex);
        state = State::Running;
    }
    thread.reset(QThread::create([this] { run(); }));
    thread->setObjectName(QStringLiteral("morv-clip paste server"));
    thread->start();
}

void SourceServer::stop()
{
    if (thread) {
        {
            const std::lock_guard lock(mutex);
            state = State::Stopping;
        }
        wake();
        thread->wait();
        thread.reset();
        const std::lock_guard lock(mutex);
        state = State::Idle;
    }
    // The thread is gone: what it left is ours now, and so are the tasks posted from now on.
    runTasks();
    writers.clear();
    sources.clear();
}

std::unique_ptr<SourceServer::Handle> SourceServer::adopt(std::shared_ptr<Served> served,
                                                          void *protocolObject)
{
    const quint64 id = ++lastId;
    served->id = id;
    std::unique_ptr<Handle> handle(new Handle(this, id, protocolObject));
    handles.insert(id, handle.get());
    post([this, served = std::move(served)] { sources.emplace(served->id, served); });
    return handle;
}

void SourceServer::retire(quint64 id)
{
    handles.remove(id);
    // Its events may be being dispatched right now: it goes on the thread that dispatches them.
    post([this, id] { sources.erase(id); });
}

void SourceServer::send(Served &served, const QString &mimeType, int fd)
{
    if (!served.content->hasFormat(mimeType)) {
        ::close(fd);
        return;
    }
    // Bytes still being read ahead are waited for a moment at most; without them the paster gets
    // nothing.
    auto writer = std::make_unique<PipeWriter>(fd, mimeType, served.content->bytes(mimeType), writeTimeout);
    if (!writer->write())
        writers.push_back(std::move(writer));
}

void SourceServer::cancel(Served &served)
{
    {
        const std::lock_guard lock(mutex);
        cancelledIds.push_back(served.id);
    }
    QMetaObject::invokeMethod(this, &SourceServer::reportCancelled, Qt::QueuedConnection);
}

void SourceServer::settle()
{
    if (thread) {
        // The serving thread never waits for the GUI thread: this wait is short.
        auto done = std::make_shared<std::promise<void>>();
        std::future<void> dispatched = done->get_future();
        post([this, done] {
            if (events)
                events->dispatchPending();
            done->set_value();
        });
        if (dispatched.wait_for(std::chrono::seconds(1)) != std::future_status::ready)
            qWarning("The clipboard's serving thread did not answer within a second");
    }
    reportCancelled();
}

void SourceServer::reportCancelled()
{
    std::vector<quint64> due;
    {
        const std::lock_guard lock(mutex);
        due.swap(cancelledIds);
    }
    for (const quint64 id : due) {
        if (Handle *handle = handles.value(id))
            Q_EMIT cancelled(handle); // may destroy handle
    }
}

SourceServer::Served *SourceServer::find(quint64 id) const
{
    const auto found = sources.find(id);
    return found == sources.end() ? nullptr : found->second.get();
}

void SourceServer::post(std::function<void()> task)
{
    State now;
    {
        const std::lock_guard lock(mutex);
        tasks.push_back(std::move(task));
        now = state;
    }
    if (now == State::Running)
        wake();
    else if (now == State::Idle)
        runTasks();
}

void SourceServer::wake()
{
    const char byte = 0;
    // A full pipe wakes the thread just as well.
    while (::write(wakeWrite, &byte, 1) < 0 && errno == EINTR) {
    }
}

void SourceServer::runTasks()
{
    std::vector<std::function<void()>> due;
    {
        const std::lock_guard lock(mutex);
        due.swap(tasks);
    }
    for (const std::function<void()> &task : due)
        task();
}

bool SourceServer::isStopping()
{
    const std::lock_guard lock(mutex);
    return state == State::Stopping;
}

void SourceServer::run()
{
    std::vector<pollfd> polled;
    Events *waitedFor = events;
    while (!isStopping()) {
        runTasks();
        const int eventFd = waitedFor ? waitedFor->prepareRead() : -1;
        if (eventFd < 0)
            waitedFor = nullptr;

        polled.clear();
        polled.push_back({wakeRead, POLLIN, 0});
        if (eventFd >= 0)
            polled.push_back({eventFd, POLLIN, 0});
        const size_t firstWriter = polled.size();
        const size_t writerCount = writers.size();
        qint64 timeout = -1;
        for (const std::unique_ptr<PipeWriter> &writer : std::as_const(writers)) {
            polled.push_back({writer->descriptor(), POLLOUT, 0});
            const qint64 left = std::max<qint64>(writer->deadline().remainingTime(), 0);
            timeout = timeout < 0 ? left : std::min(timeout, left);
        }

        int ready;
        do {
            ready = ::poll(polled.data(), nfds_t(polled.size()), int(timeout));
        } while (ready < 0 && errno == EINTR);

        // The read is finished at once, whatever else woke us: Qt's own readers of the connection
        // wait for every reader that has prepared.
        if (eventFd >= 0)
            waitedFor->finishRead(ready > 0 && polled[1].revents != 0);
        if (polled[0].revents != 0) {
            char drained[64];
            while (::read(wakeRead, drained, sizeof drained) > 0) {
            }
        }
        // Pastes asked for while dispatching came after the poll; they wait for the next round.
        for (size_t i = 0; i < writerCount; ++i) {
            std::unique_ptr<PipeWriter> &writer = writers[i];
            if (ready > 0 && polled[firstWriter + i].revents != 0) {
                if (writer->write())
                    writer.reset();
            } else if (writer->deadline().hasExpired()) {
                writer->giveUp();
                writer.reset();
            }
        }
        writers.erase(std::remove(writers.begin(), writers.end(), nullptr), writers.end());
    }
}
