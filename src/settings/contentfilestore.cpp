// SPDX-License-Identifier: GPL-2.0-or-later

#include "contentfilestore.h"

#include "atomicfile.h"
#include "privatefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace Morv {

namespace {

// Never destroyed, like the registry: content may be let go during the destruction of other
// static objects (the clipboard backend's last offer is one).
std::mutex &registryMutex()
{
    static auto *mutex = new std::mutex;
    return *mutex;
}

// Uses of each content file by this process; guarded by registryMutex().
QHash<QByteArray, int> &uses()
{
    static auto *counts = new QHash<QByteArray, int>;
    return *counts;
}

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

constexpr int sampleWindows = 3;
constexpr qint64 sampleWindow = 32;

qint64 sampleOffset(qint64 size, int window)
{
    return std::min(size * (window + 1) / (sampleWindows + 1), std::max<qint64>(0, size - sampleWindow));
}

// ".<hash>.XXXXXX": what write() names a file until it is complete.
bool isTemporaryName(QStringView name)
{
    return name.size() == 1 + 64 + 7 && name.startsWith(QLatin1Char('.')) &&
           name.at(65) == QLatin1Char('.') && ContentFileStore::isHashName(name.sliced(1, 64));
}

} // namespace

QString ContentFileStore::folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/morv/morv-clip");
}

QString ContentFileStore::filePath(const QByteArray &sha256)
{
    return folder() + QLatin1Char('/') + QLatin1String(sha256);
}

bool ContentFileStore::isHashName(QStringView name)
{
    if (name.size() != 64)
        return false;
    for (const QChar c : name) {
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    }
    return true;
}

QByteArray ContentFileStore::hash(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool ContentFileStore::write(const QByteArray &sha256, const QByteArray &bytes, QString *error)
{
    struct stat status;
    if (::stat(QFile::encodeName(filePath(sha256)).constData(), &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_size == bytes.size()) {
        // A file damaged in place keeps its size: only one whose bytes match their hash may stand
        // in for these.
        QString ignored;
        if (!read(sha256, bytes.size(), &ignored).isNull())
            return true;
    }
    // The program's own folders: morv/ and morv/morv-clip/.
    if (!PrivateFile::makeFolder(folder(), 2, error))
        return false;
    AtomicFile file(filePath(sha256));
    return file.create(error) && file.write(bytes.constData(), bytes.size(), error) &&
           file.commit(AtomicFile::FolderFlushedLater, error);
}

bool ContentFileStore::syncFolder(QString *error)
{
    return AtomicFile::flushFolder(folder(), error);
}

ContentFileStore::Verdict ContentFileStore::check(const QByteArray &sha256, qint64 size, QString *problem)
{
    struct stat status;
    if (::stat(QFile::encodeName(filePath(sha256)).constData(), &status) != 0) {
        const int why = errno;
        // Missing is proven only by a folder that is there and can be read: a home not mounted
        // yet, or an unreadable folder, says nothing about the file.
        const int fd = ::open(QFile::encodeName(folder()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
        if (why == ENOENT && fd >= 0) {
            *problem = QStringLiteral("its content file is missing");
            return Wrong;
        }
        errno = why;
        *problem = why == ENOENT ? QStringLiteral("its content folder cannot be read")
                                 : systemError("its content file cannot be looked at");
        return Unreachable;
    }
    if (status.st_size != size) {
        *problem = QStringLiteral("its content file is damaged (%1 bytes instead of %2)")
                       .arg(qint64(status.st_size))
                       .arg(size);
        return Wrong;
    }
    return Sound;
}

QByteArray ContentFileStore::read(const QByteArray &sha256, qint64 size, QString *problem, Verdict *verdict)
{
    Verdict found = check(sha256, size, problem);
    QByteArray bytes;
    if (found == Sound) {
        QFile file(filePath(sha256));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            *problem = QStringLiteral("its content file cannot be read: ") + file.errorString();
            found = Unreachable;
        } else {
            // In pieces: a single read of a hundred megabytes copies them inside the kernel for
            // tens of milliseconds without giving way, and the GUI thread then waits for the core.
            constexpr qint64 piece = 1024 * 1024;
            bytes = QByteArray(size, Qt::Uninitialized);
            qint64 done = 0;
            for (qint64 got = 0; done < size; done += got) {
                got = file.read(bytes.data() + done, std::min(piece, size - done));
                if (got <= 0)
                    break;
            }
            if (done != size) {
                *problem = QStringLiteral("its content file cannot be read completely");
                found = Unreachable;
            } else if (hash(bytes) != sha256) {
                *problem = QStringLiteral("its content file is damaged (its bytes do not match their hash)");
                found = Wrong;
            }
        }
    }
    if (verdict)
        *verdict = found;
    return found == Sound ? bytes : QByteArray();
}

bool ContentFileStore::holds(const QByteArray &sha256, const QByteArray &bytes)
{
    QFile file(filePath(sha256));
    if (!file.open(QIODevice::ReadOnly) || file.size() != bytes.size())
        return false;
    if (bytes.isEmpty())
        return true;
    const uchar *mapped = file.map(0, bytes.size());
    if (!mapped)
        return file.readAll() == bytes;
    const bool same = std::memcmp(mapped, bytes.constData(), size_t(bytes.size())) == 0;
    file.unmap(const_cast<uchar *>(mapped));
    return same;
}

QByteArray ContentFileStore::sample(const QByteArray &bytes)
{
    QByteArray windows;
    for (int window = 0; window < sampleWindows; ++window)
        windows += bytes.mid(sampleOffset(bytes.size(), window), sampleWindow);
    return windows;
}

QByteArray ContentFileStore::sample(const QByteArray &sha256, qint64 size)
{
    const int fd = ::open(QFile::encodeName(filePath(sha256)).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    QByteArray windows;
    for (int window = 0; window < sampleWindows; ++window) {
        const qint64 offset = sampleOffset(size, window);
        QByteArray part(std::min(sampleWindow, size - offset), Qt::Uninitialized);
        if (::pread(fd, part.data(), size_t(part.size()), offset) != part.size()) {
            windows = QByteArray();
            break;
        }
        windows += part;
    }
    ::close(fd);
    return windows;
}

void ContentFileStore::retain(const QByteArray &sha256)
{
    const std::lock_guard<std::mutex> lock(registryMutex());
    ++uses()[sha256];
}

void ContentFileStore::release(const QByteArray &sha256)
{
    const std::lock_guard<std::mutex> lock(registryMutex());
    const auto use = uses().find(sha256);
    if (use != uses().end() && --use.value() <= 0)
        uses().erase(use);
}

int ContentFileStore::removeUnused(const QSet<QByteArray> &referenced)
{
    const QByteArray folderPath = QFile::encodeName(folder());
    DIR *dir = ::opendir(folderPath.constData());
    if (!dir)
        return 0;
    QList<QByteArray> names;
    while (const dirent *entry = ::readdir(dir))
        names.append(QByteArray(entry->d_name));
    ::closedir(dir);

    int removed = 0;
    for (const QByteArray &name : std::as_const(names)) {
        const QString text = QString::fromLatin1(name);
        const bool temporary = isTemporaryName(text);
        if (!temporary && (!isHashName(text) || referenced.contains(name)))
            continue;
        // One file at a time under the lock: a use that begins meanwhile either comes first and
        // keeps the file, or comes after and finds it gone, never a file deleted under a use.
        const std::lock_guard<std::mutex> lock(registryMutex());
        if (!temporary && uses().contains(name))
            continue;
        if (::unlink((folderPath + '/' + name).constData()) == 0)
            ++removed;
    }
    return removed;
}

void ContentFileStore::tighten()
{
    const QString path = folder();
    PrivateFile::restrict(QFileInfo(path).absolutePath());
    PrivateFile::restrict(path);
    const QStringList names = QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (isHashName(name))
            PrivateFile::restrict(path + QLatin1Char('/') + name);
    }
}

} // namespace Morv
