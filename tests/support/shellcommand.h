// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QProcess>
#include <QSignalSpy>
#include <QString>

#include <optional>

// Helpers of the tests that drive other clipboard programs (wl-copy, wl-paste) from the shell.
namespace ShellCommand {

// Runs a shell command and waits for it with the event loop running: the command may paste from
// us, and only the event loop serves pastes. Its standard output, or nothing on failure or time-out
// (with a warning that says which).
inline std::optional<QByteArray> run(const QString &command, int timeout = 30000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral("sh"), {QStringLiteral("-c"), command});
    if (!process.waitForStarted())
        return std::nullopt;
    if (!finished.wait(timeout)) {
        process.kill();
        process.waitForFinished();
        qWarning("timed out: %s", qPrintable(command));
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning("failed: %s: %s", qPrintable(command), process.readAllStandardError().constData());
        return std::nullopt;
    }
    return process.readAllStandardOutput();
}

inline QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

} // namespace ShellCommand
