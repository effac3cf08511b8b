// SPDX-License-Identifier: GPL-2.0-or-later

#include "signalhandler.h"
#include "startup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using Morv::SignalHandler;

namespace {

// The child process of the last test runs out of descriptors before it makes the bridge itself.
bool isChildWithoutDescriptors()
{
    return qEnvironmentVariableIsSet("TST_NO_DESCRIPTORS_LEFT");
}

void createBridge()
{
    if (!isChildWithoutDescriptors())
        SignalHandler::instance();
}

// As in the program: the bridge is made by a start-up routine inside the application's constructor.
[[maybe_unused]] const bool bridgeRoutine = [] {
    qAddPreRoutine(createBridge);
    return true;
}();

bool handledByUs(int signalNumber)
{
    struct sigaction current = {};
    ::sigaction(signalNumber, nullptr, &current);
    return current.sa_handler == Morv::unixSignalHandler;
}

bool hasDefaultAction(int signalNumber)
{
    struct sigaction current = {};
    ::sigaction(signalNumber, nullptr, &current);
    return current.sa_handler == SIG_DFL;
}

// Runs the event loop; fails the loop (status 99) if nothing quits it within the limit.
int runEventLoop(int limitMs = 5000)
{
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(limitMs);
    return QCoreApplication::exec();
}

} // namespace

class TestSignalHandler : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void installedByTheStartUpRoutine()
    {
        QVERIFY(SignalHandler::instance()->isActive());
        QVERIFY(handledByUs(SIGINT));
        QVERIFY(handledByUs(SIGTERM));
        QVERIFY(handledByUs(SIGHUP));
        // Only the three termination signals: the others keep their default actions.
        QVERIFY(hasDefaultAction(SIGQUIT));
        QVERIFY(hasDefaultAction(SIGUSR1));
        QVERIFY(hasDefaultAction(SIGUSR2));
    }

    void eachSignalEndsTheEventLoopNormally_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void eachSignalEndsTheEventLoopNormally()
    {
        QFETCH(int, signalNumber);
        QTimer::singleShot(20, [signalNumber] { ::raise(signalNumber); });
        QCOMPARE(runEventLoop(), 0);
    }

    // A termination request, once taken, holds for the rest of the process; these cases run in
    // fresh child processes so that earlier cases cannot decide them.
    void aSignalBeforeTheEventLoopEndsItAsSoonAsItRuns_data()
    {
        QTest::addColumn<QString>("scenario");
        // Still in the socket when the loop starts.
        QTest::newRow("unread") << QStringLiteral("unread");
        // Read by some event processing during start-up, while quit() has no effect.
        QTest::newRow("read before the loop") << QStringLiteral("read");
    }

    void aSignalBeforeTheEventLoopEndsItAsSoonAsItRuns()
    {
        QFETCH(QString, scenario);
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TST_EARLY_SIGNAL"), scenario);
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        // 99 would mean the watchdog, not the signal, ended the loop.
        QCOMPARE(child.exitCode(), 0);
    }

    void theHandlerKeepsErrno()
    {
        errno = EDOM;
        Morv::unixSignalHandler(SIGTERM);
        QCOMPARE(errno, EDOM);
        QCOMPARE(runEventLoop(), 0); // the value it wrote still ends a loop
    }

    void aFullSocketNeverBlocksTheHandlerAndIsReported()
    {
        // With nobody reading, the socket fills up; the handler must fail and say so, not hang.
        int pipeEnds[2];
        QCOMPARE(::pipe(pipeEnds), 0);
        ::fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
        const int savedStderr = ::dup(STDERR_FILENO);
        ::dup2(pipeEnds[1], STDERR_FILENO);
        QByteArray reported;
        for (int i = 0; i < 1000000 && reported.isEmpty(); ++i) {
            Morv::unixSignalHandler(SIGTERM);
            char buffer[256];
            const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
            if (n > 0)
                reported.append(buffer, n);
        }
        ::dup2(savedStderr, STDERR_FILENO);
        ::close(savedStderr);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        QVERIFY(reported.contains("unable to write into socketpair"));
    }

    void withoutASocketPairTheSignalsKeepTheirDefaultAction()
    {
#ifdef __SANITIZE_ADDRESS__
        // Out of descriptors, the sanitizers cannot open the pipe they check memory with and
        // report the child's construction of its QObject base as an error.
        QSKIP("needs spare descriptors that a sanitizer build does not have");
#endif
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TST_NO_DESCRIPTORS_LEFT"), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(20000));
        const QByteArray errors = child.readAllStandardError();
        QVERIFY2(errors.contains("unable to create socketpair for correct signal handling: "),
                 errors.constData());
        QVERIFY2(errors.contains("bridge inactive"), errors.constData());
        // SIGTERM took its default action: the child was killed, it did not return.
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    }
};

// The child of aSignalBeforeTheEventLoopEndsItAsSoonAsItRuns.
int earlySignal(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (SignalHandler::instance()->quitRequested())
        return 98;
    ::raise(SIGTERM);
    if (qEnvironmentVariable("TST_EARLY_SIGNAL") == QLatin1String("read")) {
        QElapsedTimer clock;
        clock.start();
        while (!SignalHandler::instance()->quitRequested() && clock.elapsed() < 5000)
            QCoreApplication::processEvents();
    }
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    return Morv::StartUp::runEventLoop();
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("TST_EARLY_SIGNAL"))
        return earlySignal(argc, argv);
    if (isChildWithoutDescriptors()) {
        // Nearly every descriptor in use: socketpair() fails.
        QCoreApplication app(argc, argv);
        struct rlimit limit;
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = 64;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        int last = -1;
        for (int fd = ::open("/dev/null", O_RDONLY); fd >= 0; fd = ::open("/dev/null", O_RDONLY))
            last = fd;
        // One descriptor left: too few for a socket pair, enough for the sanitizers' own needs.
        ::close(last);
        if (!SignalHandler::instance()->isActive())
            fputs("bridge inactive\n", stderr);
        ::raise(SIGTERM);
        return 0;
    }
    QCoreApplication app(argc, argv);
    // QtTest's own crash handler would take over SIGINT, SIGTERM and SIGHUP.
    QStringList arguments = app.arguments();
    arguments << QStringLiteral("-nocrashhandler");
    TestSignalHandler test;
    return QTest::qExec(&test, arguments);
}

#include "tst_signalhandler.moc"
