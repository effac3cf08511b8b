// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

// Helpers for tests that drive the real program in the rig's KWin (kind kwin) the way a person
// does: wl-copy and wl-paste as the other programs (waylanddesktop.h), KWin's fake input device as
// the keyboard (KWinKeyboard), and KWin's own D-Bus interfaces to see the windows as KWin shows
// them: the window search of its launcher integration and the window information. Every wait polls
// a condition against a deadline; nothing sleeps blindly.

#include "kwinkeyboard.h"
#include "waylanddesktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>

namespace KWinDesktop {

using Desktop::callShow;
using Desktop::deadline;
using Desktop::menuTitle;
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

const QString kwinService = QStringLiteral("org.kde.KWin");

// A window as KWin shows it.
struct Window
{
    QString uuid;
    QString caption;
    qint64 pid = 0;
    QRect rect; // its frame, in the compositor's space
};

// One match of the launcher's window search: (id, text, icon, type, relevance, properties).
struct RunnerMatch
{
    QString id;
    QString text;
    QString icon;
    int type = 0;
    double relevance = 0;
    QVariantMap properties;
};

inline const QDBusArgument &operator>>(const QDBusArgument &argument, RunnerMatch &match)
{
    argument.beginStructure();
    argument >> match.id >> match.text >> match.icon >> match.type >> match.relevance >> match.properties;
    argument.endStructure();
    return argument;
}

inline QDBusArgument &operator<<(QDBusArgument &argument, const RunnerMatch &match)
{
    argument.beginStructure();
    argument << match.id << match.text << match.icon << match.type << match.relevance << match.properties;
    argument.endStructure();
    return argument;
}

} // namespace KWinDesktop

Q_DECLARE_METATYPE(KWinDesktop::RunnerMatch)

namespace KWinDesktop {

inline Window windowInfo(const QString &uuid)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kwinService, QStringLiteral("/KWin"), QStringLiteral("org.kde.KWin"),
                                       QStringLiteral("getWindowInfo"));
    call.setArguments({uuid});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    const QVariantMap info = qdbus_cast<QVariantMap>(reply.arguments().constFirst());
    if (info.isEmpty())
        return {};
    return {info.value(QStringLiteral("uuid")).toString(), info.value(QStringLiteral("caption")).toString(),
            info.value(QStringLiteral("pid")).toLongLong(),
            QRectF(info.value(QStringLiteral("x")).toDouble(), info.value(QStringLiteral("y")).toDouble(),
                   info.value(QStringLiteral("width")).toDouble(),
                   info.value(QStringLiteral("height")).toDouble())
                .toRect()};
}

// The windows KWin shows now whose caption is the title.
inline QList<Window> windowsTitled(const QString &title)
{
    qDBusRegisterMetaType<RunnerMatch>();
    qDBusRegisterMetaType<QList<RunnerMatch>>();
    QDBusMessage call =
        QDBusMessage::createMethodCall(kwinService, QStringLiteral("/WindowsRunner"),
                                       QStringLiteral("org.kde.krunner1"), QStringLiteral("Match"));
    call.setArguments({title});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    QList<Window> found;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return found;
    const QList<RunnerMatch> matches = qdbus_cast<QList<RunnerMatch>>(reply.arguments().constFirst());
    for (const RunnerMatch &match : matches) {
        // The id is "<action>_<uuid>".
        const qsizetype brace = match.id.indexOf(QLatin1Char('{'));
        if (brace < 0)
            continue;
        const Window window = windowInfo(match.id.mid(brace));
        if (window.caption == title)
            found.append(window);
    }
    return found;
}

inline Window menuWindow()
{
    const QList<Window> found = windowsTitled(menuTitle);
    return found.size() == 1 ? found.first() : Window();
}

inline bool menuOpen()
{
    return !menuWindow().uuid.isEmpty();
}

inline bool menuClosed()
{
    return windowsTitled(menuTitle).isEmpty();
}

} // namespace KWinDesktop
