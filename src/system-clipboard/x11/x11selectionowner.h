// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <chrono>
#include <memory>

#include <xcb/xcb.h>

class OfferSnapshot;
class QSemaphore;
class X11Atoms;

// Our own content on the X11 clipboard and primary selection, served to other programs from the
// X11 reader's thread and connection, so that no paste ever costs the GUI thread anything: the
// content is an OfferSnapshot, whose bytes are in memory or being read ahead on another thread.
//
// A window of its own owns the selections. Requests are answered as ICCCM says and as Qt's xcb
// clipboard answers them: TARGETS (every format under its MIME name, text also as UTF8_STRING,
// STRING and TEXT, a URL list also as text/x-moz-url and text/plain), TIMESTAMP, MULTIPLE and
// every format; anything else is refused. Data larger than a piece goes INCR, a piece each time
// the program pasting has deleted the last one, to any number of programs at once; one that
// reads nothing for `writeTimeout` ms is given up, one whose window goes is dropped at once.
//
// At exit (handOver()) the clipboard is handed to a clipboard manager, where the desktop has one,
// so that what we hold survives us.
//
// Lives on the reader's thread; X11SelectionWatcher hands in the events that concern it.
class X11SelectionOwner : public QObject
{
    Q_OBJECT

public:
    // Bytes written into a property at once; more go INCR in pieces of this size.
    static constexpr qsizetype pieceSize = 256 * 1024;
    // The longest the exit waits for a clipboard manager to take the clipboard over.
    static constexpr std::chrono::milliseconds handOverWait{3000};

    // window: the id of our owner window, made here; selections: CLIPBOARD and PRIMARY, by index.
    X11SelectionOwner(xcb_connection_t *connection, X11Atoms &atoms, xcb_window_t root, xcb_window_t window,
                      const std::array<xcb_atom_t, 2> &selections, int writeTimeout,
                      QObject *parent = nullptr);
    ~X11SelectionOwner() override;

    // Serves the content on a selection whose ownership our window has asked for at that time
    // (X11SelectionWatcher::takeSelection), once the server is found to have given it: it does
    // not when another program took the selection after that time (one warning).
    void own(int index, const std::shared_ptr<const OfferSnapshot> &content, xcb_timestamp_t time);
    // Lets go of a selection while we own it.
    void release(int index);
    bool owns(int index) const { return bool(owned[index].content); }

    // Asks the clipboard manager, if there is one and we own the clipboard, to take the clipboard
    // over, and serves it until it has (handOverWait at most). Releases `done` at the end, at once
    // without a manager.
    void handOver(QSemaphore *done);

    // Events: requests and the loss of a selection (for our window), property changes and ends of
    // the windows of the programs being served, errors of our requests, and the manager's answer.
    // Others are ignored.
    void selectionRequested(const xcb_selection_request_event_t &event);
    void selectionCleared(const xcb_selection_clear_event_t &event);
    void propertyChanged(const xcb_property_notify_event_t &event);
    void windowDestroyed(xcb_window_t window);
    void requestFailed(const xcb_generic_error_t &error);
    void selectionNotified(const xcb_selection_notify_event_t &event);

Q_SIGNALS:
    // Requests were made outside an event handler (a time-out): they must go out, and what arrives
    // meanwhile be handled.
    void requestsMade();

private:
    enum class Conversion { Bytes, Latin1, MozUrl };
    struct Target
    {
        QString format;
        Conversion conversion = Conversion::Bytes;
    };
    struct Owned
    {
        std::shared_ptr<const OfferSnapshot> content;
        xcb_timestamp_t time = XCB_CURRENT_TIME;
        QList<xcb_atom_t> targets;
        QHash<xcb_atom_t, Target> conversions;
    };
    // An INCR transfer to one program: the next piece goes when it has deleted the last one.
    struct Transfer
    {
        xcb_window_t requestor = XCB_NONE;
        xcb_atom_t property = XCB_NONE;
        xcb_atom_t type = XCB_NONE;
        QByteArray bytes;
        qsizetype sent = 0;
        QDeadlineTimer deadline;
    };

    int indexOf(xcb_atom_t selection) const;
    void listTargets(Owned &owned);
    bool convert(const Owned &owned, xcb_window_t requestor, xcb_atom_t target, xcb_atom_t property);
    bool convertMultiple(const Owned &owned, xcb_window_t requestor, xcb_atom_t property);
    void send(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type, const QByteArray &bytes);
    // Sends the next piece; false once the last (empty) one has gone.
    bool sendPiece(Transfer &transfer);
    void drop(xcb_window_t requestor);
    void endTransfer(qsizetype at);
    void giveUpStalled();
    void handOverEnded();

    xcb_connection_t *connection;
    X11Atoms &atoms;
    const std::array<xcb_atom_t, 2> selections;
    const int writeTimeout;
    const xcb_window_t ownerWindow;
    qsizetype maximumPiece = pieceSize;
    std::array<Owned, 2> owned;
    QList<Transfer> transfers;
    QTimer stallTimer;
    QSemaphore *handOverDone = nullptr;
    QTimer handOverTimer;
};
