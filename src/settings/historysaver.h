// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "item.h"

#include <QList>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace Morv {

// Stores the history on a thread of its own, so that a capture never waits for the disk: the large
// formats of a new item are hashed and written into their content files there (a tenth of a second
// for a big picture), then the settings file is written, and then the content files that nothing
// refers to any more are deleted. That order keeps every reference of the settings file sound,
// whenever the process is killed.
//
// The settings file is written by QSettings, into a copy of the file that then replaces it: the
// thread never holds the lock of the QSettings object that the GUI thread reads the preferences
// through, so a slow disk or another program holding the file's lock never stalls the GUI thread.
//
// Saves are coalesced: a save asked for while another is being written replaces any one still
// waiting, since only the newest history matters. A history whose write failed is kept until a
// later save or retryLater() has written one.
class HistorySaver : public QObject
{
    Q_OBJECT

public:
    explicit HistorySaver(const QString &fileName, QObject *parent = nullptr);
    // Writes what is waiting, then stops the thread.
    ~HistorySaver() override;

    // Queues the items to be written; returns at once.
    void saveLater(const QList<Item> &items, bool clearItemsOnExit);

    // Writes the items on the calling thread and returns whether they reached the disk (error says
    // why not). A save still waiting is dropped (this one is newer); one under way is finished
    // first.
    bool saveNow(const QList<Item> &items, bool clearItemsOnExit, QString *error = nullptr);

    // Queues the history whose last write failed, if any, to be written again on the saver's
    // thread (never on the caller's: the settings file's lock may keep a writer waiting for
    // seconds); the outcome comes with written(). True when no history is left unwritten.
    bool retryLater();

    // Waits until no save is waiting or under way.
    void waitForIdle();

    // Deletes the content files that neither the settings file nor this process refers to, and what
    // a killed write left behind: on the saver's thread, after the saves asked for before.
    void removeUnusedLater();
    // The same on the calling thread, once the saves under way are written.
    void removeUnusedNow();

Q_SIGNALS:
    // After each write made on the saver's thread, delivered in the thread this object lives in;
    // error says why a write failed.
    void written(bool ok, const QString &error);

private:
    struct Request
    {
        QList<Item> items;
        bool clearItemsOnExit = false;
    };

    void run();
    // Writes a request and records the outcome; called by the one busy writer, with the mutex
    // unlocked.
    bool write(const Request &request, QString *error);
    bool writeSettingsFile(const Request &request, QString *error) const;
    void removeUnused() const;

    const QString fileName;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::optional<Request> waiting;
    std::optional<Request> failed;
    bool removalWaiting = false;
    bool busy = false;
    bool stopping = false;
    std::thread worker;
};

} // namespace Morv
