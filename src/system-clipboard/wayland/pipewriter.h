// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <sys/types.h>

// Serves one paste of our own clipboard content: writes the bytes into the pipe the paster gave us
// as fast as the paster drains it, never blocking (the caller polls the pipe for room and calls
// write() again), then closes the pipe. A paster that takes nothing for `timeout` ms is given up
// (giveUp(), with a warning). One that goes away early costs nothing: the write fails with EPIPE,
// and SIGPIPE is kept from ending the program. Used on one thread.
class PipeWriter
{
public:
    // Takes ownership of fd and makes it non-blocking.
    PipeWriter(int fd, const QString &mimeType, const QByteArray &data, int timeout);
    ~PipeWriter();
    PipeWriter(const PipeWriter &) = delete;
    PipeWriter &operator=(const PipeWriter &) = delete;

    // Writes what fits now (a few MiB at most, so that one fast paster cannot keep the thread to
    // itself). True once the paste is over: everything written, the paster gone, or an error (with a
    // warning); the pipe is then closed.
    bool write();

    // The paster's end of the pipe, to poll for room (POLLOUT), while the paste is not over.
    int descriptor() const { return fd; }

    // When the paste is given up unless the paster takes something before.
    const QDeadlineTimer &deadline() const { return idleDeadline; }

    // Gives the paste up, with a warning; closes the pipe.
    void giveUp();

    // Writes without ever raising SIGPIPE, whatever the process does with that signal: the signal
    // is blocked on this thread for the call, and one raised by it is taken back.
    static ssize_t writeWithoutSigpipe(int fd, const char *data, size_t size);

private:
    void close();

    int fd;
    const QString mimeType;
    const QByteArray data;
    const int timeout;
    qsizetype written = 0;
    QDeadlineTimer idleDeadline;
};
