// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>

class QSocketNotifier;

namespace Morv {

// Ends the program in an orderly way on SIGINT, SIGTERM and SIGHUP: the signal handler only
// writes the signal number into a socket pair, and a socket notifier turns it into
// QCoreApplication::quit() inside the event loop, so the normal teardown runs (and the history is
// stored) as after the Quit command.
class SignalHandler : public QObject
{
    Q_OBJECT

public:
    // The one instance, created on first use (by a start-up routine inside the application
    // object's constructor) and destroyed at process exit.
    static SignalHandler *instance();

    ~SignalHandler() override;

    // Whether the handlers are installed (false when the socket pair could not be created).
    bool isActive() const { return notifier != nullptr; }

    // Whether a termination signal has been taken from the socket. QCoreApplication::quit() does
    // nothing while no event loop runs, so a signal read by some event processing during start-up
    // would be lost; start-up asks here before it enters the event loop.
    bool quitRequested() const { return quitRequestedFlag; }

private Q_SLOTS:
    void socketActivated();

private:
    SignalHandler();

    int sockets[2] = {-1, -1}; // [0] written by the signal handler, [1] watched by the notifier
    QSocketNotifier *notifier = nullptr;
    bool quitRequestedFlag = false;
};

// The handler installed for the three signals; async-signal-safe.
void unixSignalHandler(int signalNumber);

} // namespace Morv
