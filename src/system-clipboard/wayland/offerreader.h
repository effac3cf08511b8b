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

// Reads every type of a clipboard offer into memory without blocking the event loop: one type
// after the other (owners such as Qt programs write a paste synchronously, so asking for all types
// at once would only make them queue up), each through a non-blocking pipe watched by a socket
// notifier. An owner that sends nothing for `timeout` milliseconds is taken for hung: the type is
// given up, and so are the types after it, with one warning; the offer is then complete with what
// arrived. An offer larger than KSystemClipboard::maximumOfferSize is given up at that size, with one
// warning, and has no content (wasTooLarge()). Nothing is ever read synchronously from the owner,
// which also makes reading an offer of this very process safe.
class OfferReader : public QObject
{
    Q_OBJECT

public:
    OfferReader(std::unique_ptr<DataControlDevice::Offer> offer, int timeout, QObject *parent = nullptr);
    ~OfferReader() override;

    // Starts reading; finished() follows from the event loop, or from waitForFinished().
    void start();

    bool isFinished() const { return done; }

    // Whether the offer was given up for its size; it is then not to be taken.
    bool wasTooLarge() const { return tooLarge; }

    // Reads in place, without running the event loop, until the offer is complete or the deadline
    // has passed. For start-up only, when nothing of ours can be the owner. True when complete.
    bool waitForFinished(QDeadlineTimer deadline);

    // Stops reading and destroys the offer; finished() is not emitted.
    void abort();

    // The types read so far with their bytes, in the order the owner listed them.
    std::unique_ptr<QMimeData> takeMimeData();

Q_SIGNALS:
    void finished();

private:
    // Asks the owner for the next type; false when none is left.
    bool requestNext();
    void readAvailable();
    void timedOut();
    void giveUpTooLarge();
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
    bool tooLarge = false;
    bool done = false;
};
