// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "datacontroldevice.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

class OfferSnapshot;
class PipeWriter;
class QThread;

// The sources of our own content of a data-control device, served on a thread of their own (the
// serving thread) from the snapshot taken at the write. A paste never waits for the GUI thread: one
// into a window of this very process (Qt's Wayland clipboard asks the compositor and waits for the
// answer on the GUI thread) is served at once, and a large or stalled paste costs the GUI thread
// nothing. Any number of pastes are served at once; a paster that takes nothing for the write
// time-out is given up (one warning).
//
// The GUI thread makes a source's protocol object, with its Served record as the listener's data,
// and hands both over with adopt(), which gives it the source's handle. From then on the record
// belongs to the serving thread: the protocol's events for it are dispatched there (send(),
// cancel()), and it is destroyed there, after its handle has gone, never while one of its events
// is being dispatched; once the thread has ended, on the thread that ended it. A cancelled source
// is reported on the GUI thread (cancelled()) while its handle lives.
class SourceServer : public QObject
{
    Q_OBJECT

public:
    // The protocol's events for our sources, waited for and dispatched on the serving thread (the
    // Wayland connection's event queue of our sources).
    class Events
    {
    public:
        // Dispatches what has arrived already, then gets ready to read: the descriptor to wait on
        // for input (a read is then pending until finishRead()), or -1 when there is nothing to
        // wait on any more (the connection is gone).
        virtual int prepareRead() = 0;
        // After the wait: reads what has come when readable, else gives the pending read up; then
        // dispatches what was read.
        virtual void finishRead(bool readable) = 0;
        // Dispatches what has arrived already, without reading.
        virtual void dispatchPending() = 0;

    protected:
        ~Events() = default;
    };

    // A source as the serving thread knows it. A protocol derives from it; its destructor, which
    // runs on the serving thread (or once that has ended), destroys the protocol object.
    class Served
    {
    public:
        explicit Served(std::shared_ptr<const OfferSnapshot> content);
        virtual ~Served();
        Served(const Served &) = delete;
        Served &operator=(const Served &) = delete;

        // What the source offers and gives.
        const std::shared_ptr<const OfferSnapshot> content;

    private:
        friend class SourceServer;
        quint64 id = 0;
    };

    // What the GUI thread holds of a source. Destroying it withdraws the source.
    class Handle final : public DataControlDevice::Source
    {
    public:
        ~Handle() override;
        quint64 id() const { return number; }
        // The protocol object, for the requests the GUI thread makes with it (setting a selection):
        // it lives as long as the handle.
        void *protocolObject() const { return object; }

    private:
        friend class SourceServer;
        Handle(SourceServer *server, quint64 id, void *object);
        SourceServer *server;
        const quint64 number;
        void *const object;
    };

    // writeTimeout: how long a paster may take nothing, in ms.
    explicit SourceServer(int writeTimeout, QObject *parent = nullptr);
    ~SourceServer() override;

    // Starts the serving thread, which also waits for and dispatches the events, when given.
    void start(Events *events = nullptr);
    // Ends the serving thread and waits for it. Pastes in flight are given up (their pipes closed),
    // and every source is destroyed; handles still alive then name no source.
    void stop();

    // GUI thread: takes the source over; protocolObject is what the handle names.
    std::unique_ptr<Handle> adopt(std::shared_ptr<Served> served, void *protocolObject);

    // Serving thread, from the protocol's events. Someone pastes the type: its bytes go to fd
    // (owned from now on), which is then closed; a type the source does not offer gets nothing.
    void send(Served &served, const QString &mimeType, int fd);
    // The source no longer backs a selection: cancelled() tells the GUI thread.
    void cancel(Served &served);
    // GUI thread, from an event of the connection's other queue: reports the cancels that came
    // before it (cancelled()), which are on the serving thread's queue already (or among the tasks
    // posted before), so that the protocol's order holds across the two queues: another client's
    // offer follows the cancel of ours.
    void settle();
    // The adopted source of that handle's id, or null once it is gone.
    Served *find(quint64 id) const;

    // Any thread: runs the task on the serving thread, in the order posted; once the thread has
    // ended, on the thread that ended it.
    void post(std::function<void()> task);

Q_SIGNALS:
    // The source of this handle no longer backs a selection (another client took it over).
    void cancelled(DataControlDevice::Source *source);

private:
    enum class State { Idle, Running, Stopping };

    void run();
    // Runs the tasks posted so far.
    void runTasks();
    bool isStopping();
    void wake();
    void retire(quint64 id);
    void reportCancelled();

    const int writeTimeout;
    std::unique_ptr<QThread> thread;
    Events *events = nullptr;
    int wakeRead = -1;
    int wakeWrite = -1;

    std::mutex mutex; // guards tasks, state and cancelled
    std::vector<std::function<void()>> tasks;
    State state = State::Idle;
    std::vector<quint64> cancelledIds; // not reported yet

    // The serving thread's (the thread that ended it's, after).
    std::unordered_map<quint64, std::shared_ptr<Served>> sources;
    std::vector<std::unique_ptr<PipeWriter>> writers;

    // The GUI thread's.
    QHash<quint64, Handle *> handles;
    quint64 lastId = 0;
};
