// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

// Helpers for tests that drive the real program in the rig's headless sway the way a person does:
// wl-copy and wl-paste as the other programs, wtype as the keyboard, swaymsg to see the windows and
// to bind keys, dbus-send on the session bus that sway shares with the test. The settings file,
// the bus and process helpers are the X11 desktop's (desktop.h). Every wait polls a condition
// against a deadline; nothing sleeps blindly.

#include "desktop.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <functional>

namespace WaylandDesktop {

using Desktop::callShow;
using Desktop::controlObjectExported;
using Desktop::deadline;
using Desktop::menuTitle;
using Desktop::nameHasOwner;
using Desktop::Result;
using Desktop::run;
using Desktop::settingsBytes;
using Desktop::settingsFile;
using Desktop::sha256;
using Desktop::storedHistory;
using Desktop::storedTexts;
using Desktop::storedValue;
using Desktop::waitUntil;
using Desktop::writeSettings;

// ---- sway

// A window (a "view") as sway shows it in its tree.
struct Window
{
    QString title;
    QString appId;
    bool visible = false;
    bool focused = false;
    // Floating above the tiled windows rather than tiled among them.
    bool floating = false;
    qint64 pid = 0;
    // Where it is on the screen, its border included.
    QRect rect;
};

inline void collectWindows(const QJsonObject &node, QList<Window> &windows, bool floating = false)
{
    // Views are the nodes that belong to a client; containers and workspaces have no pid.
    if (node.contains(QLatin1String("pid"))) {
        const QJsonObject rect = node.value(QLatin1String("rect")).toObject();
        windows.append(
            {node.value(QLatin1String("name")).toString(), node.value(QLatin1String("app_id")).toString(),
             node.value(QLatin1String("visible")).toBool(), node.value(QLatin1String("focused")).toBool(),
             floating, qint64(node.value(QLatin1String("pid")).toDouble()),
             QRect(rect.value(QLatin1String("x")).toInt(), rect.value(QLatin1String("y")).toInt(),
                   rect.value(QLatin1String("width")).toInt(), rect.value(QLatin1String("height")).toInt())});
    }
    const QJsonArray tiled = node.value(QLatin1String("nodes")).toArray();
    for (const QJsonValue &child : tiled)
        collectWindows(child.toObject(), windows, floating);
    const QJsonArray floatingNodes = node.value(QLatin1String("floating_nodes")).toArray();
    for (const QJsonValue &child : floatingNodes)
        collectWindows(child.toObject(), windows, true);
}

// Every window sway manages now, visible or not.
inline QList<Window> windows()
{
    const Result tree = run(QStringLiteral("swaymsg"),
                            {QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_tree")});
    QList<Window> found;
    if (tree.exitCode == 0)
        collectWindows(QJsonDocument::fromJson(tree.out).object(), found);
    return found;
}

inline QList<Window> windowsTitled(const QString &title)
{
    QList<Window> found;
    for (const Window &window : windows()) {
        if (window.title == title)
            found.append(window);
    }
    return found;
}

// Shown on the screen and holding the keyboard focus: keys typed now go to it.
inline bool windowFocused(const QString &title)
{
    const QList<Window> found = windowsTitled(title);
    return found.size() == 1 && found.first().visible && found.first().focused;
}

inline bool menuOpen()
{
    return windowFocused(menuTitle);
}

inline Window menuWindow()
{
    const QList<Window> found = windowsTitled(menuTitle);
    return found.size() == 1 ? found.first() : Window();
}

// Gone from sway's tree: the program unmapped it.
inline bool menuClosed()
{
    return windowsTitled(menuTitle).isEmpty();
}

// Runs one sway command (any line a sway config may hold); true when sway carried out all of it.
inline bool swaymsg(const QString &command)
{
    // One argument: swaymsg would take options inside the command (dbus-send's --type) as its own.
    const Result result = run(QStringLiteral("swaymsg"), {QStringLiteral("-r"), command});
    if (result.exitCode != 0)
        return false;
    const QJsonArray replies = QJsonDocument::fromJson(result.out).array();
    for (const QJsonValue &reply : replies) {
        if (!reply.toObject().value(QLatin1String("success")).toBool())
            return false;
    }
    return !replies.isEmpty();
}

// ---- the keyboard

// A virtual keyboard (wtype) that stays in sway's seat while it lives. Each wtype run brings its own
// keyboard and takes it away when done; a seat whose only keyboard comes and goes makes Qt bind and
// drop its wl_keyboard each time, and keys sent meanwhile are lost. With this one present the
// seat's keyboard stays, and every later wtype run only switches its keymap.
class Keyboard
{
public:
    bool plugIn()
    {
        process.start(QStringLiteral("wtype"), {QStringLiteral("-s"), QStringLiteral("3600000")});
        return process.waitForStarted(deadline) && waitUntil([this] {
                   if (process.state() != QProcess::Running)
                       return true;
                   const Result seats =
                       run(QStringLiteral("swaymsg"),
                           {QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_seats")});
                   const QJsonArray list = QJsonDocument::fromJson(seats.out).array();
                   // Capability bit 2: the seat has a keyboard.
                   return !list.isEmpty() &&
                          (list.first().toObject().value(QLatin1String("capabilities")).toInt() & 2);
               }) &&
               process.state() == QProcess::Running;
    }

    ~Keyboard()
    {
        process.kill();
        process.waitForFinished();
    }

private:
    QProcess process;
};

// Presses and releases each key in turn: xkb names such as "Down", "Return", "Escape".
inline bool pressKeys(const QString &keys)
{
    QStringList arguments;
    for (const QString &key : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        arguments << QStringLiteral("-k") << key;
    return run(QStringLiteral("wtype"), arguments).exitCode == 0;
}

// Types the text, as a person on the keyboard (wtype gives each character a key of its own).
inline bool typeText(const QString &text)
{
    return run(QStringLiteral("wtype"), {QStringLiteral("-d"), QStringLiteral("30"), text}).exitCode == 0;
}

// A combination such as "ctrl+alt+v": the modifiers held down around the last key.
inline bool pressCombination(const QString &combination)
{
    QStringList parts = combination.split(QLatin1Char('+'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return false;
    const QString key = parts.takeLast();
    QStringList arguments;
    for (const QString &modifier : std::as_const(parts))
        arguments << QStringLiteral("-M") << modifier;
    arguments << QStringLiteral("-k") << key;
    for (auto modifier = parts.crbegin(); modifier != parts.crend(); ++modifier)
        arguments << QStringLiteral("-m") << *modifier;
    return run(QStringLiteral("wtype"), arguments).exitCode == 0;
}

// Chooses the entry at this row of the open history menu with the keyboard.
inline bool chooseEntry(int row)
{
    QString keys = QStringLiteral("Return");
    for (int down = 0; down <= row; ++down)
        keys.prepend(QStringLiteral("Down "));
    return menuOpen() && pressKeys(keys) && waitUntil(menuClosed);
}

// ---- clipboards

// Another program copies: wl-copy takes the clipboard (or with primary the primary selection) and
// keeps serving it from the background.
inline bool copy(const QByteArray &data, const QString &type = QString(), bool primary = false)
{
    QStringList arguments;
    if (primary)
        arguments << QStringLiteral("--primary");
    if (!type.isEmpty())
        arguments << QStringLiteral("--type") << type;
    return run(QStringLiteral("wl-copy"), arguments, data).exitCode == 0;
}

// What a paste gets; nothing when the clipboard is empty or has no such type.
inline QByteArray paste(const QString &type = QString(), bool primary = false)
{
    QStringList arguments{QStringLiteral("--no-newline")};
    if (primary)
        arguments << QStringLiteral("--primary");
    if (!type.isEmpty())
        arguments << QStringLiteral("--type") << type;
    const Result result = run(QStringLiteral("wl-paste"), arguments);
    return result.exitCode == 0 ? result.out : QByteArray();
}

inline QStringList pastedTypes(bool primary = false)
{
    QStringList arguments{QStringLiteral("--list-types")};
    if (primary)
        arguments << QStringLiteral("--primary");
    return QString::fromUtf8(run(QStringLiteral("wl-paste"), arguments).out)
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// ---- the program

// The program under test under Wayland. Its standard error goes to a file, so that a test can read
// its warnings; the file is copied into the test's log when the applet goes (the sanitizers'
// reports belong there).
class Applet : public Desktop::Applet
{
public:
    Applet()
    {
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(errorFile());
    }

    ~Applet() override
    {
        kill();
        const QByteArray errors = standardError();
        if (!errors.isEmpty())
            qInfo("morv-clip said:\n%s", errors.constData());
    }

    QByteArray standardError() const
    {
        QFile file(errorFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    qint64 pid() const { return process.processId(); }

protected:
    // Its control object answers (a Wayland session may have no tray at all).
    bool isReady() const override { return controlObjectExported(); }

private:
    QString errorFile() const { return folder.filePath(QStringLiteral("stderr")); }

    QTemporaryDir folder;
};

// Whether the condition keeps holding for the whole period (polled), e.g. that nothing changes.
inline bool staysSo(const std::function<bool()> &condition, int periodMs)
{
    QDeadlineTimer timer(periodMs);
    while (!timer.hasExpired()) {
        if (!condition())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(50);
    }
    return condition();
}

} // namespace WaylandDesktop
