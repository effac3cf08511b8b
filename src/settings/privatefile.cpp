// SPDX-License-Identifier: GPL-2.0-or-later

#include "privatefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Morv {

void PrivateFile::restrict(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status;
    if (::lstat(name.constData(), &status) == 0 && !S_ISLNK(status.st_mode) && (status.st_mode & 0077) &&
        status.st_uid == ::getuid())
        ::chmod(name.constData(), status.st_mode & 0700);
}

bool PrivateFile::makeFolder(const QString &folder, int ownLevels, QString *error)
{
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    QString parent = path;
    for (int level = 0; level < ownLevels; ++level)
        parent = QFileInfo(parent).absolutePath();
    // Above the program's own folders: created the way any program creates them.
    if (!QFileInfo(parent).isDir() && !QDir().mkpath(parent)) {
        *error = QStringLiteral("cannot create the folder %1").arg(parent);
        return false;
    }
    QString own = parent;
    for (const QString &name :
         QStringView(path).sliced(parent.size()).toString().split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        own += QLatin1Char('/') + name;
        const QByteArray encoded = QFile::encodeName(own);
        if (::mkdir(encoded.constData(), 0700) == 0)
            continue;
        if (errno != EEXIST) {
            *error = QStringLiteral("cannot create the folder %1: %2")
                         .arg(own, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        struct stat status;
        if (::stat(encoded.constData(), &status) != 0 || !S_ISDIR(status.st_mode)) {
            *error = QStringLiteral("%1 is not a folder").arg(own);
            return false;
        }
        restrict(own);
    }
    return true;
}

void PrivateFile::make(const QString &fileName)
{
    // QSettings would create the folder and the file with the umask's permissions (usually
    // readable by everybody); a file that exists already keeps its permissions across QSettings'
    // atomic rewrites.
    QString ignored;
    makeFolder(QFileInfo(fileName).absolutePath(), 1, &ignored);
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    restrict(fileName);
}

} // namespace Morv
