// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "rawmimedata.h"

#include <QClipboard>
#include <QObject>
#include <QSemaphore>

#include <array>
#include <atomic>
#include <memory>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

class OfferSnapshot;
class QSocketNotifier;
class X11Atoms;
class X11OfferReader;
class X11SelectionOwner;

// Watches who owns the X11 clipboard and primary selection, through XFixes on an X connection of
// its own, and reads each new offer of another owner completely (X11OfferReader) before it reports
// it. Reports go out as signals, to be received on another thread:
// - offerRead: an offer is in memory (with no entries for an owner that lists no formats);
// - ownerGone: the owner quit, its window died or it let go: the selection is empty now;
// - offerNotRead: a selection that is not watched has a new owner (or none), not asked anything;
// - readProblem: an owner stalled, offered too much or did not list its formats, and its offer
//   is not reported at all; or its offer is reported without some of its formats (a picture
//   stalled on in yet another encoding, a list of formats cut short; see X11OfferReader).
// A new owner abandons the read of the previous one, which is then never reported.
//
// The clipboard is always watched, the primary selection only once setWatched() says so: every
// mouse selection would otherwise be read (up to KSystemClipboard::maximumOfferSize) for nothing.
//
// Our own content is served on the same thread and connection (X11SelectionOwner, see own()). Our
// owner window coming back as the owner is not reported, nor is a selection let go at the time
// the GUI thread stamped our last write with (Shared); a copy made elsewhere in this process (a
// text field, through Qt's clipboard) is read like any other.
//
// Built on the GUI thread (connecting takes a few round trips), then lives on its own thread from
// start() on; it can also run on the GUI thread, for measurements.
class X11SelectionWatcher : public QObject
{
    Q_OBJECT

public:
    // State the watcher shares with the clipboard on the GUI thread. Index 0 is the clipboard,
    // 1 the primary selection.
    struct Shared
    {
        // The time our last write of a selection was stamped with; 0 before the first.
        std::array<std::atomic<quint32>, 2> ownWriteTime{};
        // How many owner changes the watcher has seen, so that a report can be told superseded.
        std::array<std::atomic<quint32>, 2> ownerChanges{};
        // Released once, when what the selections held at start() has been read or given up.
        QSemaphore startUpRead;
    };

    // Connects to the display of DISPLAY. imageFormats are the image formats Qt reads, best first;
    // writeTimeout is how long a program pasting our content may read nothing. isConnected() tells
    // whether it worked (else there was a warning).
    X11SelectionWatcher(Shared &shared, int readTimeout, int writeTimeout, const QStringList &imageFormats,
                        QObject *parent = nullptr);
    ~X11SelectionWatcher() override;

    bool isConnected() const { return connection != nullptr; }

    // Starts watching; call it on the thread the watcher lives on.
    void start();

    // Whether the owners of a selection (by index) are read. Switched on, the owner of the moment
    // is read and reported, unless readOwnerNow is false: then only the next owner is; switched
    // off, a read under way is dropped unreported. On the watcher's thread.
    void setWatched(int index, bool watched, bool readOwnerNow = true);

    // Makes our owner window the owner of a selection (by index) from `time` on: a request on the
    // watcher's connection, sent at once, on any thread, after start(); own() follows, queued after
    // it. A paste that comes before own() has run finds the content all the same.
    void takeSelection(int index, quint32 time);
    // Our own content on a selection (by index), stamped with the time in Shared::ownWriteTime,
    // served from now on; or, released, no longer. On the watcher's thread, after start().
    void own(int index, const std::shared_ptr<const OfferSnapshot> &content, quint32 time);
    void release(int index);
    // Hands the clipboard to the desktop's clipboard manager, if there is one and the clipboard is
    // ours, and releases `done` once it has taken it (or has not, in time). On the watcher's thread.
    void handOver(QSemaphore *done);

    static int indexOf(QClipboard::Mode mode);

Q_SIGNALS:
    // time: when the owner took the selection (by the server's clock).
    void offerRead(QClipboard::Mode mode, quint32 time, const RawMimeData::Entries &entries,
                   const RawMimeData::DecodedTexts &texts);
    // change: the count of owner changes at this one; time: when the owner went.
    void ownerGone(QClipboard::Mode mode, quint32 change, quint32 time);
    // change and time as for ownerGone.
    void offerNotRead(QClipboard::Mode mode, quint32 change, quint32 time);
    void readProblem(QClipboard::Mode mode, const QString &reason);

private:
    struct Read
    {
        X11OfferReader *reader = nullptr;
        xcb_window_t owner = XCB_NONE;
        xcb_timestamp_t time = XCB_CURRENT_TIME;
    };

    void dispatch();
    void handle(const xcb_generic_event_t *event);
    void ownerChanged(const xcb_xfixes_selection_notify_event_t &event);
    void askForTime();
    void clockTicked(xcb_timestamp_t now);
    void read(int index, xcb_window_t owner, xcb_timestamp_t time);
    void readFinished(int index, X11OfferReader *reader);
    void handleForOwner(const xcb_generic_event_t *event, uint8_t type);
    void abandon(int index);
    X11OfferReader *readerFor(xcb_window_t requestor) const;
    void startUpDone(int index);
    bool isOurs(xcb_window_t window) const;
    QClipboard::Mode modeOf(int index) const;

    Shared &shared;
    const int readTimeout;
    const int writeTimeout;
    const QStringList imageFormats;
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = XCB_NONE;
    uint8_t xfixesFirstEvent = 0;
    std::unique_ptr<X11Atoms> atoms;
    std::array<xcb_atom_t, 2> selections{};
    // Our window for the server's clock and the XFixes notifications.
    xcb_window_t clockWindow = XCB_NONE;
    QSocketNotifier *notifier = nullptr;
    // Serves our own content; made by start(), with the window whose id is taken at once.
    X11SelectionOwner *server = nullptr;
    xcb_window_t ownerWindow = XCB_NONE;
    std::array<Read, 2> reads;
    std::array<bool, 2> watched = {true, false};
    // The owner of the moment is to be read once the server's time is known.
    std::array<bool, 2> ownerQueryPending = {false, false};
    std::array<bool, 2> startingUp = {true, true};
    bool dispatching = false;
    bool connectionLost = false;
};
