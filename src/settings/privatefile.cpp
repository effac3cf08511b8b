// SPDX-License-Identifier: GPL-2.0-or-later

#include "privatefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Morv {

void PrivateFile::make(const QString &fileName)
{
    // QSettings would create the folder and the file with the umask's permissions (usually
    // readable by everybody); a file that exists already keeps its permissions across QSettings'
    // atomic rewrites.
    const QFileInfo info(fileName);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    if (!info.absoluteDir().exists()) {
        QDir().mkpath(info.absoluteDir().absolutePath());
        ::chmod(folder.constData(), 0700);
    } else {
        struct stat status;
        if (::stat(folder.constData(), &status) == 0 && (status.st_mode & 0077) &&
            status.st_uid == ::getuid())
            ::chmod(folder.constData(), status.st_mode & 0700);
    }

    const QByteArray path = QFile::encodeName(fileName);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
        struct stat status;
        if (::fstat(fd, &status) == 0 && (status.st_mode & 0077))
            ::fchmod(fd, status.st_mode & 0700);
        ::close(fd);
    }
}

} // namespace Morv
