// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "datacontroldevice.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>

class QMimeData;
class RawMimeData;

// Reads a clipboard offer into memory without blocking the event loop: the formats the history
// keeps (ClipboardFormats: MIME types only, a bitmap once), one after the other (owners such as Qt
// programs write a paste synchronously, so asking for all types at once would only make them queue
// up), each through a non-blocking pipe watched by a socket notifier. Nothing is ever read
// synchronously from the owner, which also makes reading an offer of this very process safe.
//
// A password manager's hint is read first, and of an offer it marks secret nothing else is read.
// Pictures come last: an owner may take long for a picture in yet another encoding.
//
// An offer is taken only when it was read whole. An owner that sends nothing for `timeout` ms is
// taken for hung, a pipe that cannot be made or a read that fails ends the read too, and an offer
// larger than KSystemClipboard::maximumOfferSize is given up at that size: one warning, and the
// offer is not taken (isTaken() false). Only a hang on a picture format once a picture has arrived
// is let pass: that offer is taken without the picture formats not read (one warning).
class OfferReader : public QObject
{
    Q_OBJECT

public:
    OfferReader(std::unique_ptr<DataControlDevice::Offer> offer, int timeout, QObject *parent = nullptr);
    ~OfferReader() override;

    // Starts reading; finished() follows from the event loop, or from waitForFinished().
    void start();

    bool isFinished() const { return done; }

    // Whether the offer was read whole (see above) and is to be taken; once finished.
    bool isTaken() const { return taken; }

    // Reads in place, without running the event loop, until the offer is complete or the deadline
    // has passed. For start-up only, when nothing of ours can be the owner. True when complete.
    bool waitForFinished(QDeadlineTimer deadline);

    // Stops reading and destroys the offer; finished() is not emitted.
    void abort();

    // The types read with their bytes, in the order they were read.
    std::unique_ptr<QMimeData> takeMimeData();

Q_SIGNALS:
    void finished();

private:
    // Asks the owner for the next type; false when none is left.
    bool requestNext();
    void readAvailable();
    void formatRead();
    void timedOut();
    // Ends the read without taking the offer; giveUp() also reports it finished.
    void discard();
    void giveUp();
    void closePipe();
    void finish();

    std::unique_ptr<DataControlDevice::Offer> offer;
    const int timeout;
    QStringList types;
    qsizetype next = 0;
    QString currentType;
    QByteArray buffer;
    int fd = -1;
    QSocketNotifier notifier;
    QTimer idleTimer;
    QElapsedTimer sinceProgress;
    std::unique_ptr<RawMimeData> mimeData;
    qsizetype held = 0; // bytes of the types read so far
    bool pictureArrived = false;
    bool taken = true;
    bool done = false;
};
