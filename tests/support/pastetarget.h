// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "desktop.h"

#include <QProcess>
#include <QStringList>

// Another program's text window where the paste keys land: the tests' paste-target (its path in
// PASTE_TARGET), which reports what it gets on its standard output: "ready", "key <keys>",
// "text <text>", "focus in", "focus out". Ended when it goes.
class PasteTarget : public QProcess
{
public:
    PasteTarget() { setProcessChannelMode(QProcess::ForwardedErrorChannel); }

    ~PasteTarget() override
    {
        kill();
        waitForFinished();
    }

    // Starts it and waits until it has the keyboard focus.
    bool start(const QStringList &arguments = {})
    {
        QProcess::start(QStringLiteral(PASTE_TARGET), arguments);
        return waitForStarted(Desktop::deadline) && waitForLine(QStringLiteral("ready"));
    }

    QStringList lines()
    {
        output += readAllStandardOutput();
        return QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    bool waitForLine(const QString &line, int timeoutMs = Desktop::deadline)
    {
        return Desktop::waitUntil([&] { return lines().contains(line); }, timeoutMs);
    }

    // The keys and texts it got: its lines but the focus changes.
    QStringList received()
    {
        QStringList got;
        for (const QString &line : lines()) {
            if (line.startsWith(QLatin1String("key ")) || line.startsWith(QLatin1String("text ")))
                got.append(line);
        }
        return got;
    }

private:
    QByteArray output;
};
