// SPDX-License-Identifier: GPL-2.0-or-later

#include "pipewriter.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace {

// Bytes written per call at most, so that a fast reader of a huge offer cannot keep the thread to
// itself while other pastes wait.
constexpr qsizetype writeBudget = 4 * 1024 * 1024;

} // namespace

PipeWriter::PipeWriter(int fd, const QString &mimeType, const QByteArray &data, int timeout)
    : fd(fd)
    , mimeType(mimeType)
    , data(data)
    , timeout(timeout)
    , idleDeadline(timeout)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

PipeWriter::~PipeWriter()
{
    close();
}

ssize_t PipeWriter::writeWithoutSigpipe(int fd, const char *data, size_t size)
{
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previousMask;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previousMask);
    // A SIGPIPE that was pending before our write is not ours to take back.
    sigset_t pending;
    sigpending(&pending);
    const bool pendingBefore = sigismember(&pending, SIGPIPE);

    ssize_t count;
    do {
        count = ::write(fd, data, size);
    } while (count < 0 && errno == EINTR);
    const int error = errno;

    if (count < 0 && error == EPIPE && !pendingBefore) {
        const timespec noWait = {0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &noWait) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    errno = error;
    return count;
}

bool PipeWriter::write()
{
    if (fd < 0)
        return true;
    qsizetype budget = writeBudget;
    while (written < data.size() && budget > 0) {
        const size_t chunk = size_t(std::min(data.size() - written, budget));
        const ssize_t count = writeWithoutSigpipe(fd, data.constData() + written, chunk);
        if (count > 0) {
            written += count;
            budget -= count;
            idleDeadline.setRemainingTime(timeout);
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return false; // the pipe is full: go on when the paster has made room
        // EPIPE: the paster closed its end and wants no more. Anything else: nothing to be done.
        if (count < 0 && errno != EPIPE)
            qWarning("Could not serve \"%s\" from the clipboard: %s", qUtf8Printable(mimeType),
                     std::strerror(errno));
        close();
        return true;
    }
    if (written < data.size())
        return false; // the budget is spent; more when the thread comes back
    close();
    return true;
}

void PipeWriter::giveUp()
{
    if (fd < 0)
        return;
    qWarning(
        "A paste of \"%s\" took nothing from the clipboard for %d ms: gave it up after %lld of %lld bytes",
        qUtf8Printable(mimeType), timeout, static_cast<long long>(written),
        static_cast<long long>(data.size()));
    close();
}

void PipeWriter::close()
{
    if (fd < 0)
        return;
    ::close(fd);
    fd = -1;
}
