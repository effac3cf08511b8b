// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QMimeData;

// Our own content as it is on a clipboard, frozen at the write, for the thread that serves it to
// other programs: the formats in their order, each with its bytes (implicitly shared, not copied)
// or with a way to get bytes that are still on their way.
//
// Built on the thread of the mime data; from then on it is only read, and may be read on any
// thread, by as many threads as like.
class OfferSnapshot
{
public:
    // Bytes that may still be being read elsewhere (a stored file read ahead): callable on any
    // thread, waits a moment at most, null when they cannot be given now.
    using PendingBytes = std::function<QByteArray()>;

    // Of mime data: its own snapshot when it is an OfferSnapshotSource, else every format's bytes
    // as the mime data gives them now (a picture set as an image, without bytes, as PNG, as Qt
    // gives it). Call it on the mime data's thread.
    static OfferSnapshot of(const QMimeData &mime);

    void add(const QString &format, const QByteArray &bytes);
    void addPending(const QString &format, PendingBytes bytes);
    // Adds a format of another snapshot, with its bytes or its way to get them, under the name
    // given (its own by default). Nothing when the other has no such format.
    void addFrom(const OfferSnapshot &other, const QString &format, const QString &as = QString());

    const QStringList &formats() const { return names; }
    bool hasFormat(const QString &format) const { return names.contains(format); }

    // The bytes of a format: null for a format not there and for pending bytes that cannot be
    // given now. Any thread.
    QByteArray bytes(const QString &format) const;

private:
    struct Entry
    {
        QByteArray bytes;
        PendingBytes pending;
    };

    QStringList names;
    QList<Entry> entries; // in the order of names
};
