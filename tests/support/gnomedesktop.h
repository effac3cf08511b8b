// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

// Helpers for tests that drive the real program in the rig's headless mutter (kind gnome), where
// the program runs on mutter's Xwayland: wl-copy and wl-paste as the Wayland programs
// (waylanddesktop.h), xclip and xdotool on the X display as the X programs and to see the
// program's windows (desktop.h), and a virtual keyboard from mutter's remote desktop interface,
// without which no Wayland program can copy or paste there. Every wait polls a condition against
// a deadline; nothing sleeps blindly.

#include "virtualkeyboard.h"
#include "waylanddesktop.h"

namespace GnomeDesktop {

using Desktop::callShow;
using Desktop::deadline;
using Desktop::menuVisible;
using Desktop::missingCompositor;
using Desktop::Result;
using Desktop::run;
using Desktop::settingsFile;
using Desktop::storedHistory;
using Desktop::storedTexts;
using Desktop::waitUntil;
using Desktop::writeSettings;
using WaylandDesktop::Applet;
using WaylandDesktop::copy;
using WaylandDesktop::paste;
using WaylandDesktop::pastedTypes;
using WaylandDesktop::staysSo;

// Whether the compositor's seat has a keyboard (wayland-info lists the seat's capabilities).
inline bool seatHasKeyboard()
{
    const Result seat =
        run(QStringLiteral("wayland-info"), {QStringLiteral("-i"), QStringLiteral("wl_seat")});
    for (const QByteArray &line : seat.out.split('\n')) {
        if (line.trimmed().startsWith("capabilities:") && line.contains("keyboard"))
            return true;
    }
    return false;
}

// The history menu is shown and has the keyboard focus: keys pressed now go to it. mutter maps the
// window first and then gives it the focus.
inline bool menuFocused()
{
    return menuVisible() && Desktop::focusedWindowTitle() == Desktop::menuTitle;
}

// The virtual keyboard of a remote desktop session of mutter's, kept by a helper process
// (support/mutter-keyboard) for as long as this object lives.
class MutterKeyboard : public VirtualKeyboard
{
public:
    ~MutterKeyboard() override
    {
        helper.closeWriteChannel();
        if (!helper.waitForFinished(deadline))
            helper.kill();
        helper.waitForFinished();
    }

    // Starts the helper and waits until the seat has the keyboard.
    bool plugIn()
    {
        helper.setProcessChannelMode(QProcess::SeparateChannels);
        helper.setReadChannel(QProcess::StandardOutput);
        helper.start(QStringLiteral(MORV_MUTTER_KEYBOARD), QStringList());
        const QByteArray answer = readLine();
        if (answer != "ready") {
            qWarning("mutter-keyboard: %s %s", answer.constData(), helper.readAllStandardError().constData());
            return false;
        }
        return waitUntil(seatHasKeyboard);
    }

    bool key(int code, bool pressed) override
    {
        if (helper.state() != QProcess::Running)
            return false;
        helper.write(QByteArrayLiteral("key ") + QByteArray::number(code) + (pressed ? " 1\n" : " 0\n"));
        const QByteArray answer = readLine();
        if (answer != "ok")
            qWarning("mutter-keyboard: %s", answer.constData());
        return answer == "ok";
    }

private:
    QByteArray readLine()
    {
        QDeadlineTimer timer(deadline);
        while (!helper.canReadLine()) {
            if (timer.hasExpired() || helper.state() == QProcess::NotRunning ||
                !helper.waitForReadyRead(int(timer.remainingTime())))
                return helper.canReadLine() ? helper.readLine().trimmed() : QByteArray("no answer");
        }
        return helper.readLine().trimmed();
    }

    QProcess helper;
};

} // namespace GnomeDesktop
