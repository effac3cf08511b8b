// SPDX-License-Identifier: GPL-2.0-or-later

#include "largecontent.h"

#include "contentfilestore.h"
#include "jobthread.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace Morv {

namespace {
std::atomic<LargeContent::FileReadObserver> fileReadObserver = nullptr;
std::atomic<quint64> lastId = 0;
} // namespace

struct LargeContent::State
{
    State(const QByteArray &bytes, const QByteArray &sha256, qint64 size)
        : size(size)
        , sha256(sha256)
        , bytes(bytes)
        , stored(!sha256.isEmpty())
    {
        if (!sha256.isEmpty())
            ContentFileStore::retain(sha256);
    }

    ~State()
    {
        if (!sha256.isEmpty())
            ContentFileStore::release(sha256);
    }

    State(const State &) = delete;
    State &operator=(const State &) = delete;

    mutable std::mutex mutex;
    const qint64 size;
    const quint64 id = ++lastId;
    // Guarded by the mutex: the saving thread fills in the hash and drops the bytes.
    QByteArray sha256;
    QByteArray bytes;
    QByteArray sample; // see ContentFileStore::sample(); taken on first need
    bool stored = false;
    bool available = true;
    // Whether the bytes are wanted in memory: set by readAhead(). Until the read has ended, the
    // bytes are null; once it has, they are in memory or the format is unavailable. Bytes in
    // memory when it is set stay there when they are stored.
    enum class Reading { NotWanted, UnderWay, Ended };
    Reading reading = Reading::NotWanted;
    std::condition_variable readEnded;
    // Guarded by the mutex; called once the content file is written (see whenStored()).
    std::vector<std::function<void(const QByteArray &)>> storedCallbacks;
};

LargeContent::LargeContent(const QByteArray &bytes)
    : d(std::make_shared<State>(bytes, QByteArray(), bytes.size()))
{}

LargeContent::LargeContent(const QByteArray &sha256, qint64 size)
    : d(std::make_shared<State>(QByteArray(), sha256, size))
{}

quint64 LargeContent::id() const
{
    return d ? d->id : 0;
}

std::weak_ptr<const void> LargeContent::lifetime() const
{
    return d;
}

qint64 LargeContent::size() const
{
    return d ? d->size : 0;
}

QByteArray LargeContent::sha256() const
{
    if (!d)
        return QByteArray();
    const std::lock_guard<std::mutex> lock(d->mutex);
    return d->sha256;
}

bool LargeContent::isStored() const
{
    if (!d)
        return false;
    const std::lock_guard<std::mutex> lock(d->mutex);
    return d->stored;
}

bool LargeContent::isAvailable() const
{
    if (!d)
        return false;
    const std::lock_guard<std::mutex> lock(d->mutex);
    return d->available;
}

QByteArray LargeContent::bytes(QString *problem) const
{
    if (!d)
        return QByteArray();
    QByteArray sha256;
    {
        const std::lock_guard<std::mutex> lock(d->mutex);
        if (!d->bytes.isNull())
            return d->bytes;
        // Said once, when the file first failed.
        if (!d->available)
            return QByteArray();
        sha256 = d->sha256;
    }
    QString why;
    ContentFileStore::Verdict verdict = ContentFileStore::Sound;
    const QByteArray bytes = readFile(sha256, d->size, &why, &verdict);
    // Only a file proven wrong is given up; any other failure is tried again at the next need.
    if (verdict == ContentFileStore::Wrong) {
        const std::lock_guard<std::mutex> lock(d->mutex);
        d->available = false;
    }
    if (problem)
        *problem = why;
    return bytes;
}

QByteArray LargeContent::bytesInMemory() const
{
    if (!d)
        return QByteArray();
    const std::lock_guard<std::mutex> lock(d->mutex);
    return d->bytes;
}

void LargeContent::whenStored(std::function<void(const QByteArray &)> function) const
{
    if (!d)
        return;
    QByteArray sha256;
    {
        const std::lock_guard<std::mutex> lock(d->mutex);
        if (!d->stored) {
            d->storedCallbacks.push_back(std::move(function));
            return;
        }
        sha256 = d->sha256;
    }
    function(sha256);
}

void LargeContent::readAhead(const QString &format) const
{
    if (!d)
        return;
    QByteArray sha256;
    {
        const std::lock_guard<std::mutex> lock(d->mutex);
        if (d->reading != State::Reading::NotWanted || !d->available)
            return;
        if (!d->bytes.isNull()) {
            d->reading = State::Reading::Ended;
            return;
        }
        d->reading = State::Reading::UnderWay;
        sha256 = d->sha256;
    }
    // Only a weak reference: what nobody holds any more is not kept alive by its read, and the
    // bytes of an item that has gone meanwhile go with the job.
    JobThread::readAhead().run([state = std::weak_ptr<State>(d), format, sha256, size = d->size] {
        if (state.expired())
            return;
        QString problem;
        ContentFileStore::Verdict verdict = ContentFileStore::Sound;
        const QByteArray bytes = readFile(sha256, size, &problem, &verdict);
        if (const std::shared_ptr<State> alive = state.lock())
            keepRead(*alive, format, sha256, bytes, problem, verdict);
    });
}

QByteArray LargeContent::bytesForPaste(const QString &format, QDeadlineTimer deadline) const
{
    if (!d)
        return QByteArray();
    std::unique_lock<std::mutex> lock(d->mutex);
    if (d->reading == State::Reading::NotWanted && d->bytes.isNull() && d->available) {
        d->reading = State::Reading::UnderWay;
        const QByteArray sha256 = d->sha256;
        lock.unlock();
        QString problem;
        ContentFileStore::Verdict verdict = ContentFileStore::Sound;
        const QByteArray bytes = readFile(sha256, d->size, &problem, &verdict);
        keepRead(*d, format, sha256, bytes, problem, verdict);
        return bytes;
    }
    const auto ended = [this] { return d->reading != State::Reading::UnderWay; };
    if (deadline.isForever())
        d->readEnded.wait(lock, ended);
    else
        d->readEnded.wait_for(lock, deadline.remainingTimeAsDuration(), ended);
    return d->bytes;
}

void LargeContent::keepRead(State &state, const QString &format, const QByteArray &sha256,
                            const QByteArray &bytes, const QString &problem,
                            ContentFileStore::Verdict verdict)
{
    // Said before anyone can see the format unavailable.
    if (bytes.isNull())
        warnUnavailable(format, sha256, problem);
    {
        const std::lock_guard<std::mutex> lock(state.mutex);
        if (!bytes.isNull()) {
            state.reading = State::Reading::Ended;
            state.bytes = bytes;
        } else if (verdict == ContentFileStore::Wrong) {
            state.reading = State::Reading::Ended;
            state.available = false;
        } else {
            // A file that could not be read now (no descriptor left, a folder not mounted yet) is
            // read again at the next choice.
            state.reading = State::Reading::NotWanted;
        }
    }
    state.readEnded.notify_all();
}

void LargeContent::warnUnavailable(const QString &format, const QByteArray &sha256, const QString &problem)
{
    qWarning("The stored \"%s\" of a history item cannot be given (%s: %s); the format is left out",
             qUtf8Printable(format), qUtf8Printable(ContentFileStore::filePath(sha256)),
             qUtf8Printable(problem));
}

void LargeContent::setFileReadObserver(FileReadObserver observer)
{
    fileReadObserver = observer;
}

QByteArray LargeContent::readFile(const QByteArray &sha256, qint64 size, QString *problem,
                                  ContentFileStore::Verdict *verdict)
{
    if (const FileReadObserver observer = fileReadObserver)
        observer(sha256);
    return ContentFileStore::read(sha256, size, problem, verdict);
}

QByteArray LargeContent::sample() const
{
    QByteArray sha256, bytes;
    {
        const std::lock_guard<std::mutex> lock(d->mutex);
        if (!d->sample.isNull())
            return d->sample;
        sha256 = d->sha256;
        bytes = d->bytes;
    }
    const QByteArray sample =
        bytes.isNull() ? ContentFileStore::sample(sha256, d->size) : ContentFileStore::sample(bytes);
    const std::lock_guard<std::mutex> lock(d->mutex);
    d->sample = sample;
    return sample;
}

bool LargeContent::operator==(const LargeContent &other) const
{
    if (d == other.d)
        return true;
    if (!d || !other.d || d->size != other.d->size)
        return false;

    QByteArray hash, otherHash, bytes, otherBytes;
    {
        const std::lock_guard<std::mutex> lock(d->mutex);
        hash = d->sha256;
        bytes = d->bytes;
    }
    {
        const std::lock_guard<std::mutex> lock(other.d->mutex);
        otherHash = other.d->sha256;
        otherBytes = other.d->bytes;
    }
    if (!hash.isEmpty() && !otherHash.isEmpty())
        return hash == otherHash;
    // Pictures of the same size (bitmaps of one screen, say) are told apart by a few bytes from
    // their middle, without reading or comparing them whole.
    const QByteArray sample = this->sample();
    const QByteArray otherSample = other.sample();
    if (!sample.isNull() && !otherSample.isNull() && sample != otherSample)
        return false;
    if (!bytes.isNull() && !otherBytes.isNull())
        return bytes == otherBytes;
    // One is known by its hash alone, the other by its bytes alone: the same picture copied again.
    return bytes.isNull() ? ContentFileStore::holds(hash, otherBytes)
                          : ContentFileStore::holds(otherHash, bytes);
}

bool LargeContent::store(QString *error) const
{
    if (!d)
        return true;
    QByteArray sha256, bytes;
    {
        const std::lock_guard<std::mutex> lock(d->mutex);
        if (d->stored)
            return true;
        sha256 = d->sha256;
        bytes = d->bytes;
    }
    if (sha256.isEmpty()) {
        const QByteArray computed = ContentFileStore::hash(bytes);
        // Counted from now on: no removal of unused files may take it once it is written.
        ContentFileStore::retain(computed);
        bool counted = true;
        {
            const std::lock_guard<std::mutex> lock(d->mutex);
            if (d->sha256.isEmpty())
                d->sha256 = computed;
            else
                counted = false; // hashed meanwhile by another caller, which counted it
            sha256 = d->sha256;
        }
        if (!counted)
            ContentFileStore::release(computed);
    }
    if (!ContentFileStore::write(sha256, bytes, error))
        return false;
    const QByteArray sample = ContentFileStore::sample(bytes);
    std::vector<std::function<void(const QByteArray &)>> callbacks;
    {
        const std::lock_guard<std::mutex> lock(d->mutex);
        d->stored = true;
        // Kept for comparisons, which then need not read the file.
        if (d->sample.isNull())
            d->sample = sample;
        // Bytes wanted in memory (see readAhead()) stay.
        if (d->reading == State::Reading::NotWanted)
            d->bytes = QByteArray();
        callbacks.swap(d->storedCallbacks);
    }
    for (const auto &callback : callbacks)
        callback(sha256);
    return true;
}

} // namespace Morv
