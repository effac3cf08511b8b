// SPDX-License-Identifier: GPL-2.0-or-later

#include "historysaver.h"

#include "atomicfile.h"
#include "backgroundpriority.h"
#include "contentfilestore.h"
#include "historystore.h"
#include "privatefile.h"
#include "settingsfilecheck.h"
#include "thumbnailstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QSettings>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Morv {

namespace {

// QSettings waits as long as it takes for the lock; a writer that gives up reports the failure and
// keeps the history for the next save instead of hanging the program at exit.
constexpr int lockTimeoutMs = 10000;

QSet<QByteArray> hashesOf(const QList<Item> &items)
{
    QSet<QByteArray> hashes;
    for (const Item &item : items) {
        const LargeContents &large = item.largeContents();
        for (auto it = large.cbegin(); it != large.cend(); ++it)
            hashes.insert(it->sha256());
    }
    return hashes;
}

} // namespace

HistorySaver::HistorySaver(const QString &fileName, QObject *parent)
    : QObject(parent)
    , fileName(fileName)
    , worker([this] { run(); })
{}

HistorySaver::~HistorySaver()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    worker.join();
}

void HistorySaver::saveLater(const QList<Item> &items, bool clearItemsOnExit)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        waiting = Request{items, clearItemsOnExit};
    }
    wake.notify_all();
}

bool HistorySaver::saveNow(const QList<Item> &items, bool clearItemsOnExit, QString *error)
{
    const Request request{items, clearItemsOnExit};
    std::unique_lock<std::mutex> lock(mutex);
    waiting.reset();
    idle.wait(lock, [this] { return !busy; });
    busy = true;
    lock.unlock();
    QString why;
    const bool ok = write(request, &why);
    if (error)
        *error = why;
    lock.lock();
    busy = false;
    idle.notify_all();
    wake.notify_all();
    return ok;
}

bool HistorySaver::retryLater()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!failed)
            return true;
        // A save still waiting is newer than the one that failed.
        if (!waiting)
            waiting = failed;
    }
    wake.notify_all();
    return false;
}

void HistorySaver::waitForIdle()
{
    std::unique_lock<std::mutex> lock(mutex);
    idle.wait(lock, [this] { return !busy && !waiting && !removalWaiting; });
}

void HistorySaver::removeUnusedLater()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        removalWaiting = true;
    }
    wake.notify_all();
}

void HistorySaver::removeUnusedNow()
{
    std::unique_lock<std::mutex> lock(mutex);
    idle.wait(lock, [this] { return !busy; });
    busy = true;
    lock.unlock();
    removeUnused();
    lock.lock();
    busy = false;
    idle.notify_all();
    wake.notify_all();
}

void HistorySaver::run()
{
    lowerCurrentThreadPriority();
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        // saveNow() and removeUnusedNow() run on their callers' threads; never beside them.
        wake.wait(lock, [this] { return !busy && (stopping || waiting || removalWaiting); });
        // What is still waiting at the end is written too: it is the newest history.
        if (!waiting && !removalWaiting)
            return;
        busy = true;
        if (waiting) {
            const Request request = std::move(*waiting);
            waiting.reset();
            lock.unlock();
            QString error;
            const bool ok = write(request, &error);
            QMetaObject::invokeMethod(
                this, [this, ok, error] { Q_EMIT written(ok, error); }, Qt::QueuedConnection);
        } else {
            removalWaiting = false;
            lock.unlock();
            removeUnused();
        }
        lock.lock();
        busy = false;
        idle.notify_all();
    }
}

bool HistorySaver::write(const Request &request, QString *error)
{
    // The content files first, and before the settings file's lock is taken: hashing a large
    // picture takes a tenth of a second, and QSettings on the GUI thread waits for that lock.
    const bool ok = (request.clearItemsOnExit || HistoryStore::storeContents(request.items, error)) &&
                    writeSettingsFile(request, error);
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (ok)
            failed.reset();
        else
            failed = request;
    }
    // Deletions last, once the settings file no longer names what goes. What this process still
    // holds (the history on screen, a clipboard offer of ours, a newer save) is never taken.
    // The thumbnails of the pictures go with their content files.
    if (ok && ContentFileStore::removeUnused(request.clearItemsOnExit ? QSet<QByteArray>()
                                                                      : hashesOf(request.items)) > 0)
        ThumbnailStore::removeOrphans();
    return ok;
}

bool HistorySaver::writeSettingsFile(const Request &request, QString *error) const
{
    PrivateFile::make(fileName);
    QLockFile lock(fileName + QLatin1String(".lock"));
    if (!lock.tryLock(lockTimeoutMs)) {
        *error = lock.error() == QLockFile::LockFailedError
                     ? QStringLiteral("another program holds the file's lock")
                     : QStringLiteral("its lock file cannot be created");
        return false;
    }

    const QFileInfo info(fileName);
    const QByteArray path = QFile::encodeName(info.absoluteFilePath());
    QByteArray old;
    struct stat before;
    const bool existed = ::stat(path.constData(), &before) == 0;
    if (existed) {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("it cannot be read: ") + file.errorString();
            return false;
        }
        old = file.readAll();
    }

    // QSettings decodes the whole copy to write it: what Qt could not read safely goes first.
    const std::optional<QByteArray> safe = SettingsFileCheck::mended(fileName, old, error);
    if (!safe)
        return false;

    // The copy is private from its first byte, like the file it replaces.
    AtomicFile copy(fileName);
    if (!copy.create(error) || !copy.write(safe->constData(), safe->size(), error))
        return false;
    {
        QSettings settings(copy.temporaryName(), QSettings::IniFormat);
        if (!HistoryStore::saveHistory(settings, request.items, request.clearItemsOnExit, error))
            return false;
        settings.sync();
        // A damaged file reads as FormatError but is still rewritten; only AccessError means the
        // write failed.
        if (settings.status() == QSettings::AccessError) {
            *error = QStringLiteral("QSettings cannot write it");
            return false;
        }
    }
    if (!copy.commit(AtomicFile::FlushFolder, error))
        return false;

    // QSettings takes a file of the same size and modification time (in milliseconds) for the one it
    // has read already, and would write its old copy of the history back over this one.
    struct stat after;
    if (existed && ::stat(path.constData(), &after) == 0 && after.st_size == before.st_size &&
        after.st_mtim.tv_sec == before.st_mtim.tv_sec &&
        after.st_mtim.tv_nsec / 1000000 == before.st_mtim.tv_nsec / 1000000) {
        timespec times[2] = {{0, UTIME_OMIT}, after.st_mtim};
        times[1].tv_nsec = (after.st_mtim.tv_nsec / 1000000 + 1) * 1000000;
        if (times[1].tv_nsec >= 1000000000) {
            times[1].tv_sec += 1;
            times[1].tv_nsec -= 1000000000;
        }
        ::utimensat(AT_FDCWD, path.constData(), times, 0);
    }
    return true;
}

void HistorySaver::removeUnused() const
{
    ContentFileStore::tighten();
    QSet<QByteArray> referenced;
    {
        // A file that is not safe to read names nothing we could see: keep everything.
        if (!SettingsFileCheck::makeSafe(fileName))
            return;
        QSettings settings(fileName, QSettings::IniFormat);
        // An unreadable file names nothing we could see: better keep everything than delete
        // what it may name.
        if (settings.status() == QSettings::AccessError)
            return;
        referenced = HistoryStore::contentFileHashes(settings);
    }
    ContentFileStore::removeUnused(referenced);
    ThumbnailStore::removeOrphans();

    // Copies of the settings file that a killed save left behind, and what QSettings made beside
    // them (its own temporary file and lock file).
    QDir folder = QFileInfo(fileName).absoluteDir();
    const QStringList leftovers =
        folder.entryList({AtomicFile::leftoverPattern(fileName)}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &leftover : leftovers)
        folder.remove(leftover);
}

} // namespace Morv
