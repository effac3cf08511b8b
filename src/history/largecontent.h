// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "contentfilestore.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <functional>
#include <memory>

namespace Morv {

// The bytes of one large format of an item (more than `threshold` bytes): a picture, say. They are
// kept in memory from the capture until the saving thread has hashed them and written them into
// their content file (ContentFileStore); from then on only their SHA-256 and size are kept, and
// the bytes are read from the file when a program asks for them.
//
// An item put on a clipboard has its large formats read ahead (readAhead()): its files are read
// and checked on a thread of their own, and the bytes stay in memory from then on, for every
// copy, until the last copy goes (the item leaves the history and no offer of ours holds it). A
// paste then takes them from memory (bytesForPaste()), and the GUI thread never reads a file.
//
// Hashing a picture of 24 MB takes a tenth of a second, far more than a capture may take, so a
// capture never hashes: it only takes the bytes (implicitly shared with the offer they came from).
// Until the hash is known, comparisons use sizes and bytes.
//
// A plain value: copies share one state, which the GUI thread and the saving thread may use at the
// same time.
class LargeContent
{
public:
    // Formats with more bytes than this are kept in content files.
    static constexpr qsizetype threshold = 4096;
    static bool isLarge(const QByteArray &bytes) { return bytes.size() > threshold; }

    LargeContent() = default;
    // Captured bytes, not hashed yet.
    explicit LargeContent(const QByteArray &bytes);
    // Bytes stored in the content file of the hash.
    LargeContent(const QByteArray &sha256, qint64 size);

    bool isNull() const { return !d; }
    // A number that tells this content (and its copies) from every other one of the process, for
    // its whole life; 0 for a null content.
    quint64 id() const;
    // Expires when the last copy goes.
    std::weak_ptr<const void> lifetime() const;
    qint64 size() const;
    // Empty until the bytes have been hashed.
    QByteArray sha256() const;
    // Whether the content file is written (and the bytes are no longer kept in memory).
    bool isStored() const;
    // False once the content file has been proven missing or damaged: the format is not offered
    // any more.
    bool isAvailable() const;

    // The bytes, from memory or from the content file (checked against size and hash). Null, with
    // the problem, when the file cannot give them; null without a problem once it has failed.
    QByteArray bytes(QString *problem = nullptr) const;
    // The bytes when they are in memory, else null; never reads the file.
    QByteArray bytesInMemory() const;

    // Calls the function with the hash once the content file is written: at once, on this thread,
    // when it is; otherwise on the thread that stores it, right after store() wrote it. Never
    // called when the content is never stored (another instance stores the history, say); the
    // function goes with the last copy of the content then.
    void whenStored(std::function<void(const QByteArray &sha256)> function) const;

    // Starts reading the content file of a stored format on the read-ahead thread, unless the
    // bytes are in memory, a read is under way or the file has failed. The bytes read (checked
    // against size and hash) are kept in memory, for every copy; a read that fails makes the
    // format unavailable, with one warning naming the format.
    void readAhead(const QString &format) const;

    // The bytes for a paste of the format, without reading a file on this thread when a read
    // ahead was started: from memory, or from the read under way if it ends before the deadline.
    // Null when they cannot be given (after one warning) or when the read is still under way at
    // the deadline; a later call gives them once the read has ended. Without a read ahead ever
    // started (an offer not made by Item::toClipboard), reads the file on this thread and keeps
    // the bytes, as the read ahead would.
    QByteArray bytesForPaste(const QString &format, QDeadlineTimer deadline) const;

    // Warns once that a stored format cannot be given, for the problem its file had.
    static void warnUnavailable(const QString &format, const QByteArray &sha256, const QString &problem);

    // For tests: called, on the reading thread, for every read of a content file's bytes.
    using FileReadObserver = void (*)(const QByteArray &sha256);
    static void setFileReadObserver(FileReadObserver observer);

    // Whether both hold the same bytes. Reads the content file (in place, without hashing) only
    // when one side is known by its hash alone and the other by its bytes alone, and their sizes
    // and a few bytes from their middles agree.
    bool operator==(const LargeContent &other) const;
    bool operator!=(const LargeContent &other) const { return !(*this == other); }

    // Hashes the bytes (once), writes the content file unless it is written, and then lets go of
    // the bytes in memory unless they were read ahead. For the saving thread; false, with the reason, when
    // the file could not be written (the bytes are kept then). The file's name reaches the disk with the next
    // ContentFileStore::syncFolder().
    bool store(QString *error) const;

private:
    QByteArray sample() const;
    static QByteArray readFile(const QByteArray &sha256, qint64 size, QString *problem,
                               ContentFileStore::Verdict *verdict);
    struct State;
    static void keepRead(State &state, const QString &format, const QByteArray &sha256,
                         const QByteArray &bytes, const QString &problem, ContentFileStore::Verdict verdict);

    std::shared_ptr<State> d;
};

} // namespace Morv
