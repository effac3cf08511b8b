// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "rawmimedata.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <xcb/xcb.h>

class X11Atoms;

// Reads one offer from an X11 selection into memory: TARGETS first, then each format the history
// keeps, one after the other (an owner answers one request at a time anyway), each in pieces
// through INCR when the owner sends it so. Every request goes through a window of this reader's
// own, so an answer meant for an earlier, abandoned read never reaches this one. Nothing waits for
// the owner: the watcher hands in the events addressed to that window.
//
// A read ends without content when the owner makes no progress for `timeout` ms, offers more than
// KSystemClipboard::maximumOfferSize, does not answer TARGETS with a list of atoms, or sends none
// of the formats it lists: none of these is an empty offer, which only a list without formats is.
// A picture the offer holds already is not waited for in yet another encoding: the offer is taken
// without it. Of a list longer than KSystemClipboard::maximumOfferFormats only the first formats
// are taken (see formatsCutShort()).
//
// Lives on the X11 reader's thread and waits there only for the X server's own replies.
class X11OfferReader : public QObject
{
    Q_OBJECT

public:
    enum class Outcome {
        Reading,
        Read,     // entries() holds the offer
        TimedOut, // the owner stopped answering
        TooLarge, // the offer passed the size bound
        Failed,   // the owner answered, but not with its offer: see failure()
    };

    // imageFormats: the image formats Qt reads, best first (see entries()).
    X11OfferReader(xcb_connection_t *connection, X11Atoms &atoms, xcb_window_t root, xcb_atom_t selection,
                   xcb_timestamp_t time, int timeout, const QStringList &imageFormats,
                   QObject *parent = nullptr);
    ~X11OfferReader() override;

    // Creates the window and asks for the targets; finished() follows from later events.
    void start();

    xcb_window_t requestor() const { return window; }
    Outcome outcome() const { return result; }

    // Every format the owner listed and did not refuse, in its order, with the bytes of those that
    // were read (those the history does not keep have none). Format names and bytes as Qt's own
    // clipboard gives them, so that the history stays comparable with one captured through Qt:
    // UTF8_STRING, STRING and TEXT are "text/plain" in UTF-8, HTML and URL lists in UTF-8, and an
    // offer with an image Qt can read has "application/x-qt-image" too, with the bytes of the
    // best of them.
    RawMimeData::Entries entries() const;

    // The texts QMimeData::text() looks at, decoded here, so that the GUI thread need not decode
    // megabytes.
    RawMimeData::DecodedTexts decodedTexts() const;

    // Pictures in encodings the owner took too long to write, left out of entries() (see
    // timedOut()).
    QStringList skippedFormats() const { return skipped; }

    // Whether the owner listed more formats than an offer may have, and only the first were taken.
    bool formatsCutShort() const { return cutShort; }

    // What went wrong, for a read that Failed: a phrase with the owner as its subject.
    QString failure() const { return failureText; }

    // Events for the requestor window.
    void selectionNotified(const xcb_selection_notify_event_t &event);
    void propertyChanged(const xcb_property_notify_event_t &event);

Q_SIGNALS:
    // The read has ended, whatever its outcome. Emitted once, from inside an event handler.
    void finished();

private:
    struct Piece
    {
        bool exists = false;
        bool tooLarge = false;
        xcb_atom_t type = XCB_NONE;
        quint8 format = 0;
        QByteArray bytes;
    };
    struct Request
    {
        QString format;
        xcb_atom_t target = XCB_NONE;
    };

    void ask(xcb_atom_t target);
    Piece readTransferProperty(qsizetype held);
    void received(const Piece &piece);
    bool listTargets(const Piece &piece);
    void requestNext();
    void fail(const QString &what);
    void timedOut();
    void addQtImage();
    static bool isPicture(const QString &format);
    QByteArray converted(const Request &request, QByteArray bytes) const;
    void finish(Outcome outcome);

    xcb_connection_t *connection;
    X11Atoms &atoms;
    const xcb_window_t root;
    const xcb_atom_t selection;
    const xcb_timestamp_t time;
    const int timeout;
    const QStringList imageFormats;
    xcb_window_t window = XCB_NONE;
    Outcome result = Outcome::Reading;

    bool targetsListed = false;
    bool cutShort = false;
    QStringList listed;
    QSet<QString> listedSet;
    QList<Request> requests;
    qsizetype next = 0;
    Request current;
    bool incremental = false;
    QByteArray incoming;
    xcb_atom_t incomingType = XCB_NONE;
    quint8 incomingFormat = 0;
    qsizetype held = 0; // bytes of the formats read so far
    QHash<QString, QByteArray> fetched;
    qsizetype formatsSent = 0;
    QStringList skipped;
    QString failureText;
    QTimer idleTimer;
};
