// SPDX-License-Identifier: GPL-2.0-or-later

#include "storagelock.h"

#include "contentfilestore.h"
#include "privatefile.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace Morv {

namespace {

enum class State { Untried, Held, Refused };
std::atomic<State> state{State::Untried};

State take()
{
    const QString file = StorageLock::fileName();
    QString error;
    if (!PrivateFile::makeFolder(QFileInfo(file).absolutePath(), 1, &error)) {
        qWarning("The history is kept in memory only and nothing is stored: %s", qUtf8Printable(error));
        return State::Refused;
    }
    // Never closed: the lock lasts as long as the process.
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        qWarning("The history is kept in memory only and nothing is stored: %s cannot be opened: %s",
                 qUtf8Printable(file), std::strerror(errno));
        return State::Refused;
    }
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int why = errno;
        ::close(fd);
        if (why == EWOULDBLOCK)
            qWarning("Another morv-clip (in another session of this user) stores the history in %s: this "
                     "one keeps its history in memory only, and stores and deletes nothing",
                     qUtf8Printable(ContentFileStore::folder()));
        else
            qWarning("The history is kept in memory only and nothing is stored: %s cannot be locked: %s",
                     qUtf8Printable(file), std::strerror(why));
        return State::Refused;
    }
    return State::Held;
}

} // namespace

bool StorageLock::acquire()
{
    static std::once_flag once;
    std::call_once(once, [] { state = take(); });
    return state == State::Held;
}

bool StorageLock::isHeld()
{
    return state == State::Held;
}

QString StorageLock::fileName()
{
    return ContentFileStore::folder() + QStringLiteral(".lock");
}

} // namespace Morv
