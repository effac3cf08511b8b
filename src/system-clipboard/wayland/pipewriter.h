// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

// Serves one paste of our own clipboard content: writes the bytes into the pipe the reader gave us
// as fast as the reader drains it, never blocking the event loop (a socket notifier says when the
// pipe has room again), then closes the pipe and deletes itself. A reader that takes nothing for
// `timeout` milliseconds is given up with a warning. A reader that goes away early costs nothing:
// the write fails with EPIPE and SIGPIPE is kept from ending the program.
class PipeWriter : public QObject
{
    Q_OBJECT

public:
    // Takes ownership of fd.
    PipeWriter(int fd, const QString &mimeType, const QByteArray &data, int timeout,
               QObject *parent = nullptr);
    ~PipeWriter() override;

    // Writes what fits at once; the rest follows from the event loop.
    void start();

    // Writes without ever raising SIGPIPE, whatever the process does with that signal: the signal
    // is blocked on this thread for the call, and one raised by it is taken back.
    static ssize_t writeWithoutSigpipe(int fd, const char *data, size_t size);

Q_SIGNALS:
    // Everything was written, or the reader is gone or gave up.
    void finished();

private:
    void writeAvailable();
    void timedOut();
    void finish();

    int fd;
    const QString mimeType;
    const QByteArray data;
    const int timeout;
    qsizetype written = 0;
    QSocketNotifier notifier;
    QTimer idleTimer;
};
