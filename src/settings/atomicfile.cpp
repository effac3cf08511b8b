// SPDX-License-Identifier: GPL-2.0-or-later

#include "atomicfile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace Morv {

namespace {

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

QByteArray temporaryPattern(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return path.first(slash + 1) + '.' + path.sliced(slash + 1) + ".XXXXXX";
}

} // namespace

AtomicFile::AtomicFile(const QString &fileName)
    : path(QFile::encodeName(QFileInfo(fileName).absoluteFilePath()))
{}

AtomicFile::~AtomicFile()
{
    if (fd >= 0)
        ::close(fd);
    if (!temporary.isEmpty() && !committed)
        ::unlink(temporary.constData());
}

bool AtomicFile::create(QString *error)
{
    // mkostemp creates the file with mode 0600 (less what the umask takes), before any byte is in it.
    temporary = temporaryPattern(path);
    fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        temporary.clear();
        *error = systemError("cannot create a file");
        return false;
    }
    return true;
}

QString AtomicFile::temporaryName() const
{
    return QFile::decodeName(temporary);
}

bool AtomicFile::write(const char *data, qint64 size, QString *error)
{
    while (size > 0) {
        const ssize_t count = ::write(fd, data, size_t(std::min<qint64>(size, 1 << 30)));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            *error = systemError("cannot write");
            return false;
        }
        data += count;
        size -= count;
    }
    return true;
}

bool AtomicFile::commit(FolderFlush folderFlush, QString *error)
{
    // A writer that worked on the path may have replaced the file the descriptor points to.
    if (fd >= 0)
        ::close(fd);
    fd = ::open(temporary.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        *error = systemError("cannot flush to the disk");
        return false;
    }
    if (::rename(temporary.constData(), path.constData()) != 0) {
        *error = systemError("cannot rename");
        return false;
    }
    committed = true;
    return folderFlush == FolderFlushedLater ||
           flushFolder(QFileInfo(QFile::decodeName(path)).absolutePath(), error);
}

bool AtomicFile::flushFolder(const QString &folder, QString *error)
{
    const int folderFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = folderFd >= 0 && ::fsync(folderFd) == 0;
    if (!ok)
        *error = systemError("cannot flush the folder to the disk");
    if (folderFd >= 0)
        ::close(folderFd);
    return ok;
}

QString AtomicFile::leftoverPattern(const QString &fileName)
{
    return QLatin1Char('.') + QFileInfo(fileName).fileName() + QStringLiteral(".??????*");
}

} // namespace Morv
