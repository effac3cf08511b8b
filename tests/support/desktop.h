// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

// Helpers for tests that drive the real program the way a person does: on the rig's private X
// display with its tray host and session bus, through the tools a person's desktop has (xclip,
// xdotool, dbus-send). Every wait polls a condition against a deadline; nothing sleeps blindly.

#include "historystore.h"
#include "item.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>
#include <QThread>

#include <csignal>

namespace Desktop {

// Generous: the sanitizer build of the program starts and reacts several times slower.
constexpr int deadline = 20000;

// The title of the history menu's window.
inline const QString menuTitle = QStringLiteral("morv-clip - a clipboard history applet");

struct Result
{
    int exitCode = -1; // -1: it did not start, crashed or ran past its time
    QByteArray out;
    QByteArray err;
};

// Runs a command to its end, feeding it the given input. Programs that fork a server and leave
// (xclip) return as soon as the first process has gone: their output is not waited for.
inline Result run(const QString &program, const QStringList &arguments, const QByteArray &input = {},
                  int timeoutMs = deadline)
{
    Result result;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs))
        return result;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    if (process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    return result;
}

// Polls the condition until it holds or the deadline passes, serving events meanwhile.
template<typename Condition>
bool waitUntil(Condition condition, int timeoutMs = deadline)
{
    QDeadlineTimer timer(timeoutMs);
    while (!condition()) {
        if (timer.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(30);
    }
    return true;
}

// The reason to skip, when the rig found no compositor of the test's kind to start (the rig
// says why); empty when it started one.
inline QString missingCompositor()
{
    return qEnvironmentVariable("MORV_TEST_SKIP");
}

// ---- settings file

inline QString settingsFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/morv/morv-clip.ini");
}

inline QByteArray settingsBytes()
{
    QFile file(settingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the settings file (before the program starts).
inline bool writeSettings(const QByteArray &ini)
{
    if (!QDir().mkpath(QFileInfo(settingsFile()).path()))
        return false;
    QFile file(settingsFile());
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(ini) == ini.size();
}

inline void removeSettings()
{
    QFile::remove(settingsFile());
}

// The history the file holds now, most recent first.
inline QList<Morv::Item> storedHistory()
{
    // The stored content names its type; reading it back needs the type known to this process.
    qRegisterMetaType<Morv::ClipboardContent>();
    QSettings settings(settingsFile(), QSettings::IniFormat);
    return Morv::HistoryStore::loadHistory(settings);
}

// Where the bytes of a large format with this SHA-256 (in hexadecimal) are stored.
inline QString contentFile(const QByteArray &sha256)
{
    return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/morv/morv-clip/") +
           QString::fromLatin1(sha256);
}

inline QStringList storedTexts()
{
    QStringList texts;
    for (const Morv::Item &item : storedHistory())
        texts.append(item.text());
    return texts;
}

inline QStringList storedSticky()
{
    QSettings settings(settingsFile(), QSettings::IniFormat);
    QStringList texts;
    for (const Morv::Item &item : Morv::HistoryStore::loadSticky(settings))
        texts.append(item.text());
    return texts;
}

inline QString storedValue(const QString &key)
{
    QSettings settings(settingsFile(), QSettings::IniFormat);
    return settings.value(key).toString();
}

// ---- the X display

// Windows that are mapped, by their title (a regular expression for xdotool).
inline QStringList visibleWindows(const QString &titlePattern)
{
    const Result found =
        run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), titlePattern});
    return QString::fromUtf8(found.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

inline QStringList visibleWindowsOfClass(const QString &classPattern)
{
    const Result found =
        run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--class"), classPattern});
    return QString::fromUtf8(found.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

inline QRect geometry(const QString &window)
{
    const Result shell = run(QStringLiteral("xdotool"),
                             {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    QHash<QString, int> values;
    for (const QByteArray &line : shell.out.split('\n')) {
        const int equals = line.indexOf('=');
        if (equals > 0)
            values.insert(QString::fromUtf8(line.left(equals)), line.mid(equals + 1).toInt());
    }
    return QRect(values.value(QStringLiteral("X")), values.value(QStringLiteral("Y")),
                 values.value(QStringLiteral("WIDTH")), values.value(QStringLiteral("HEIGHT")));
}

inline QString windowTitle(const QString &window)
{
    return QString::fromUtf8(run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window}).out)
        .trimmed();
}

// The title of the window that has the keyboard focus.
inline QString focusedWindowTitle()
{
    const QString window =
        QString::fromUtf8(run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")}).out).trimmed();
    return window.isEmpty() ? QString() : windowTitle(window);
}

inline bool menuVisible()
{
    return !visibleWindows(QLatin1Char('^') + QRegularExpression::escape(menuTitle) + QLatin1Char('$'))
                .isEmpty();
}

inline QRect menuGeometry()
{
    const QStringList windows =
        visibleWindows(QLatin1Char('^') + QRegularExpression::escape(menuTitle) + QLatin1Char('$'));
    return windows.isEmpty() ? QRect() : geometry(windows.first());
}

// The tray icon: the small visible window of the program's class (trayer embeds it). The program's
// menus and dialogs have that class too, but they are larger.
inline QString trayIconWindow()
{
    for (const QString &window : visibleWindowsOfClass(QStringLiteral("^morv-clip$"))) {
        const QRect rect = geometry(window);
        if (rect.isValid() && rect.width() <= 64 && rect.height() <= 64)
            return window;
    }
    return QString();
}

inline QRect trayIcon()
{
    const QString window = trayIconWindow();
    return window.isEmpty() ? QRect() : geometry(window);
}

// The tray icon's context menu, while it is open: a window of the program's class named after
// the program, larger than the icon.
inline QRect contextMenuGeometry()
{
    for (const QString &window : visibleWindowsOfClass(QStringLiteral("^morv-clip$"))) {
        const QRect rect = geometry(window);
        if (rect.width() > 64 && windowTitle(window) == QLatin1String("morv-clip"))
            return rect;
    }
    return QRect();
}

// The colour at the centre of a window as the screen shows it.
inline QColor colourAtCentre(const QString &window)
{
    const Result shot =
        run(QStringLiteral("import"), {QStringLiteral("-window"), window, QStringLiteral("png:-")});
    const QImage image = QImage::fromData(shot.out, "PNG");
    return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
}

inline bool xdotool(const QStringList &arguments)
{
    return run(QStringLiteral("xdotool"), arguments).exitCode == 0;
}

// Keys as xdotool names them, separated by spaces: "Down Down Return", "ctrl+alt+v".
inline bool pressKeys(const QString &keys)
{
    return xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")} +
                   keys.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

inline bool typeText(const QString &text)
{
    return xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
}

inline bool movePointer(const QPoint &point)
{
    return xdotool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y())});
}

// Moves the pointer there and clicks: 1 left, 2 middle, 3 right.
inline bool click(const QPoint &point, int button = 1, int repeat = 1)
{
    return xdotool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
                    QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(repeat),
                    QStringLiteral("--delay"), QStringLiteral("80"), QString::number(button)});
}

// ---- clipboards

// Another program copies: xclip takes the selection and keeps serving it from the background.
inline bool copy(const QByteArray &data, const QString &type = QString(),
                 const QString &selection = QStringLiteral("clipboard"))
{
    QStringList arguments{QStringLiteral("-selection"), selection};
    if (!type.isEmpty())
        arguments << QStringLiteral("-t") << type;
    arguments << QStringLiteral("-i");
    return run(QStringLiteral("xclip"), arguments, data).exitCode == 0;
}

inline QByteArray paste(const QString &type = QString(),
                        const QString &selection = QStringLiteral("clipboard"))
{
    QStringList arguments{QStringLiteral("-o"), QStringLiteral("-selection"), selection};
    if (!type.isEmpty())
        arguments << QStringLiteral("-t") << type;
    return run(QStringLiteral("xclip"), arguments).out;
}

inline QByteArray sha256(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

// ---- the session bus

inline bool nameHasOwner(const QString &name)
{
    const Result reply =
        run(QStringLiteral("dbus-send"),
            {QStringLiteral("--session"), QStringLiteral("--print-reply"),
             QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
             QStringLiteral("org.freedesktop.DBus.NameHasOwner"), QStringLiteral("string:") + name});
    return reply.out.contains("boolean true");
}

// Whether the program's control object answers: the service name is taken before it exists.
inline bool controlObjectExported()
{
    const Result reply = run(QStringLiteral("dbus-send"),
                             {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                              QStringLiteral("--dest=org.morv.morv-clip"), QStringLiteral("/org/morv/clip"),
                              QStringLiteral("org.freedesktop.DBus.Introspectable.Introspect")});
    return reply.out.contains("org.morv.clip");
}

// Calls the program's method "show"; true when it answered.
inline bool callShow()
{
    return run(QStringLiteral("dbus-send"),
               {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                QStringLiteral("--dest=org.morv.morv-clip"), QStringLiteral("/org/morv/clip"),
                QStringLiteral("org.morv.clip.show")})
               .exitCode == 0;
}

// Copies text and waits until the program has taken it as the newest entry and stored it.
inline bool copyAndWait(const QByteArray &text)
{
    return copy(text) && waitUntil([&] { return storedTexts().value(0) == QString::fromUtf8(text); });
}

// Opens the history menu as the D-Bus method does, and waits until it shows.
inline bool openMenu()
{
    return callShow() && waitUntil(menuVisible);
}

// ---- the program

// The program under test, started as a user's session starts it.
class Applet
{
public:
    Applet()
    {
        process.setProgram(qEnvironmentVariable("MORV_CLIP_BINARY"));
        // Its warnings and the sanitizers' reports belong in the test's log.
        process.setProcessChannelMode(QProcess::ForwardedChannels);
    }

    virtual ~Applet() { kill(); }

    bool start()
    {
        process.start();
        return process.waitForStarted(deadline);
    }

    // Started and ready: start-up is over and the event loop runs.
    bool startAndWait()
    {
        return start() && waitUntil([this] { return !isRunning() || isReady(); }) && isRunning();
    }

    bool isRunning() const { return process.state() == QProcess::Running; }

    // Sends the signal and waits for the end; the exit code, or -1 for a crash or a hang.
    int stop(int signalNumber = SIGTERM)
    {
        if (!isRunning())
            return -1;
        ::kill(pid_t(process.processId()), signalNumber);
        return waitForExit();
    }

    int waitForExit(int timeoutMs = deadline)
    {
        if (!process.waitForFinished(timeoutMs))
            return -1;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QProcess process;

protected:
    // Owner of its service name and shown in the tray.
    virtual bool isReady() const
    {
        return nameHasOwner(QStringLiteral("org.morv.morv-clip")) && trayIcon().isValid();
    }

    void kill()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
};

} // namespace Desktop
