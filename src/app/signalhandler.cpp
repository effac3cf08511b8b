// SPDX-License-Identifier: GPL-2.0-or-later

#include "signalhandler.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Morv {

namespace {
// The write end as the signal handler sees it. A plain atomic int is safe to read inside a
// handler; the function-local static of instance() is not something a handler should touch.
std::atomic<int> writeEnd{-1};
} // namespace

void unixSignalHandler(int signalNumber)
{
    // Only async-signal-safe calls here, and errno as the interrupted code left it.
    const int savedErrno = errno;
    const int fd = writeEnd.load(std::memory_order_relaxed);
    if (fd < 0 || ::write(fd, &signalNumber, sizeof signalNumber) != sizeof signalNumber) {
        static const char message[] =
            "morv-clip: unable to write into socketpair, a termination signal was lost\n";
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, message, sizeof message - 1);
    }
    errno = savedErrno;
}

SignalHandler *SignalHandler::instance()
{
    static SignalHandler handler;
    return &handler;
}

SignalHandler::SignalHandler()
    : QObject(nullptr)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, sockets) != 0) {
        qCritical("unable to create socketpair for correct signal handling: %s)", std::strerror(errno));
        sockets[0] = sockets[1] = -1;
        return;
    }
    // A handler must never block: with nobody reading, a full socket would otherwise stop the
    // program inside the handler. Failing the write loses one signal at worst.
    ::fcntl(sockets[0], F_SETFL, ::fcntl(sockets[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(sockets[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(sockets[1], F_SETFD, FD_CLOEXEC);
    writeEnd.store(sockets[0]);

    notifier = new QSocketNotifier(sockets[1], QSocketNotifier::Read);
    connect(notifier, &QSocketNotifier::activated, this, &SignalHandler::socketActivated);

    struct sigaction action = {};
    action.sa_handler = unixSignalHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
}

SignalHandler::~SignalHandler()
{
    writeEnd.store(-1);
    delete notifier;
    if (sockets[0] >= 0)
        ::close(sockets[0]);
    if (sockets[1] >= 0)
        ::close(sockets[1]);
}

void SignalHandler::socketActivated()
{
    int signalNumber = 0;
    if (::read(sockets[1], &signalNumber, sizeof signalNumber) != sizeof signalNumber)
        qCritical("unable to read signal from socketpair, %s", std::strerror(errno));
    quitRequestedFlag = true;
    QCoreApplication::quit();
}

} // namespace Morv
