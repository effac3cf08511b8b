// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "historyfilewriter.h"
#include "item.h"

#include <QList>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace Morv {

// Stores the history into the settings file on a thread of its own, so that a capture never waits
// for the file: with large images in the history a save writes hundreds of megabytes.
//
// Saves are coalesced: a save asked for while another is being written replaces any one still
// waiting, since only the newest history matters. A history whose write failed is kept until a
// later save or retry() has written one.
class HistorySaver : public QObject
{
    Q_OBJECT

public:
    explicit HistorySaver(const QString &fileName, QObject *parent = nullptr);
    // Writes what is waiting, then stops the thread.
    ~HistorySaver() override;

    // Queues the items to be written; returns at once. Nothing is written when the file holds
    // exactly these items already, from the last save.
    void saveLater(const QList<Item> &items, bool clearItemsOnExit);

    // Writes the items on the calling thread and returns whether they reached the disk. A save
    // still waiting is dropped (this one is newer); one under way is finished first.
    bool saveNow(const QList<Item> &items, bool clearItemsOnExit);

    // Writes the history whose last write failed, if any; true when none is left unwritten.
    bool retry();

    // Waits until no save is waiting or under way.
    void waitForIdle();

Q_SIGNALS:
    // After each write made on the saver's thread, delivered in the thread this object lives in.
    void written(bool ok);

private:
    struct Request
    {
        QList<Item> items;
        bool clearItemsOnExit = false;
    };

    void run();
    // Writes a request, unless the file holds it already, and records the outcome; called by the
    // one busy writer, with the mutex unlocked.
    bool write(const Request &request);
    bool isLastWritten(const Request &request) const;

    const QString fileName;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::optional<Request> waiting;
    std::optional<Request> failed;
    std::optional<Request> lastWritten;
    HistoryFileWriter::Layout layout; // of the last write; used by the one write under way
    bool busy = false;
    bool stopping = false;
    std::thread worker;
};

} // namespace Morv
