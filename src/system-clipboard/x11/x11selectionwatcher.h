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

class QSocketNotifier;
class X11Atoms;
class X11OfferReader;

// Watches who owns the X11 clipboard and primary selection, through XFixes on an X connection of
// its own, and reads each new offer of another owner completely (X11OfferReader) before it reports
// it. Reports go out as signals, to be received on another thread:
// - offerRead: an offer is in memory (with no entries for an owner that lists no formats);
// - ownerGone: the owner quit, its window died or it let go: the selection is empty now;
// - readProblem: an owner stalled or offered too much, and its offer is not reported as content;
//   or it stalled on a picture the offer holds already in another encoding (see X11OfferReader).
// A new owner abandons the read of the previous one, which is then never reported.
//
// Our own writes are told apart by the time the GUI thread stamped them with (Shared): an owner
// window of this process's Qt connection with exactly that time is our content coming back, while
// a copy made elsewhere in this process (a text field) is read like any other.
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

    // Connects to the display of DISPLAY. ownIdBase and ownIdMask describe the window ids of Qt's
    // connection in this process; imageFormats are the image formats Qt reads, best first.
    // isConnected() tells whether it worked (else there was a warning).
    X11SelectionWatcher(Shared &shared, quint32 ownIdBase, quint32 ownIdMask, int readTimeout,
                        const QStringList &imageFormats, QObject *parent = nullptr);
    ~X11SelectionWatcher() override;

    bool isConnected() const { return connection != nullptr; }

    // Starts watching; call it on the thread the watcher lives on.
    void start();

    static int indexOf(QClipboard::Mode mode);

Q_SIGNALS:
    // time: when the owner took the selection (by the server's clock).
    void offerRead(QClipboard::Mode mode, quint32 time, const RawMimeData::Entries &entries,
                   const RawMimeData::DecodedTexts &texts);
    // change: the count of owner changes at this one; time: when the owner went.
    void ownerGone(QClipboard::Mode mode, quint32 change, quint32 time);
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
    void clockTicked(xcb_timestamp_t now);
    void read(int index, xcb_window_t owner, xcb_timestamp_t time);
    void readFinished(int index, X11OfferReader *reader);
    void abandon(int index);
    X11OfferReader *readerFor(xcb_window_t requestor) const;
    void startUpDone(int index);
    bool isOurs(xcb_window_t window) const;
    QClipboard::Mode modeOf(int index) const;

    Shared &shared;
    const quint32 ownIdBase;
    const quint32 ownIdMask;
    const int readTimeout;
    const QStringList imageFormats;
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = XCB_NONE;
    uint8_t xfixesFirstEvent = 0;
    std::unique_ptr<X11Atoms> atoms;
    std::array<xcb_atom_t, 2> selections{};
    // Our window for the server's clock and the XFixes notifications.
    xcb_window_t clockWindow = XCB_NONE;
    QSocketNotifier *notifier = nullptr;
    std::array<Read, 2> reads;
    std::array<bool, 2> startingUp = {true, true};
    bool dispatching = false;
    bool connectionLost = false;
};
