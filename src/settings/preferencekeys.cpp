// SPDX-License-Identifier: GPL-2.0-or-later

#include "preferencekeys.h"

#include <QHash>
#include <QMutex>
#include <QSettings>

namespace Morv {

namespace {

struct Entry
{
    const char *key;
    QVariant defaultValue;
};

const Entry &entry(Preference preference)
{
    static const Entry table[] = {
        {"historyCount", 10},
        {"displaySize", 30},
        {"trim", true},
        {"shortcut", QStringLiteral("CTRL+ALT+V")},
        {"tray_icon_file", QStringLiteral(":/icons/morv-clip.png")},
        {"platformExtensions", false},
        {"synchronizePSE", 0},
        {"synchronizeHistory", true},
        {"clearItemsOnExit", false},
        {"confirmClear", true},
        {"showPreviews", false},
        {"pasteOnChoose", false},
        // The terminals, where Ctrl+V is a control character and Ctrl+Shift+V pastes: their X11
        // window classes, and foot's Wayland app ids.
        {"terminalClasses",
         QStringList{QStringLiteral("Gnome-terminal"), QStringLiteral("konsole"),
                     QStringLiteral("Xfce4-terminal"), QStringLiteral("kitty"), QStringLiteral("Alacritty"),
                     QStringLiteral("foot"), QStringLiteral("footclient")}},
    };
    return table[int(preference)];
}

// A value read at every capture is reported once, not at every read; a new value again.
void warnOnce(Preference preference, const QString &file, const QString &value, const char *outcome)
{
    static QMutex mutex;
    static QHash<int, QString> warned;
    const QMutexLocker lock(&mutex);
    const auto last = warned.constFind(int(preference));
    if (last != warned.cend() && *last == value)
        return;
    warned.insert(int(preference), value);
    qWarning("%s: \"%s\" is \"%s\": %s", qUtf8Printable(file), entry(preference).key, qUtf8Printable(value),
             outcome);
}

} // namespace

QString PreferenceKeys::key(Preference preference)
{
    return QLatin1String(entry(preference).key);
}

QVariant PreferenceKeys::defaultValue(Preference preference)
{
    return entry(preference).defaultValue;
}

QVariant PreferenceKeys::value(const QSettings &settings, Preference preference)
{
    return settings.value(key(preference), defaultValue(preference));
}

int PreferenceKeys::historyCount(const QSettings &settings)
{
    const QVariant stored = value(settings, Preference::HistoryCount);
    const int count = stored.toInt();
    if (count >= 1)
        return count;
    // Cutting the history to one item would delete the stored rest and its pictures.
    const int fallback = defaultValue(Preference::HistoryCount).toInt();
    warnOnce(
        Preference::HistoryCount, settings.fileName(), stored.toString(),
        qPrintable(QStringLiteral("not a count of 1 or more; the history keeps %1 items").arg(fallback)));
    return fallback;
}

QStringList PreferenceKeys::terminalClasses(const QSettings &settings)
{
    // QSettings writes an empty list as an invalid value, and reads a list of one as a text.
    const QVariant stored = value(settings, Preference::TerminalClasses);
    QStringList classes;
    for (const QString &name : stored.toStringList()) {
        if (!name.trimmed().isEmpty())
            classes.append(name.trimmed());
    }
    return classes;
}

bool PreferenceKeys::clearItemsOnExit(const QSettings &settings)
{
    const QVariant stored = value(settings, Preference::ClearItemsOnExit);
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    const QString text =
        stored.typeId() == QMetaType::QString ? stored.toString().trimmed().toLower() : QString();
    static const QStringList on{QStringLiteral("true"), QStringLiteral("1"), QStringLiteral("yes"),
                                QStringLiteral("on")};
    static const QStringList off{QStringLiteral("false"), QStringLiteral("0"), QStringLiteral("no"),
                                 QStringLiteral("off")};
    if (on.contains(text))
        return true;
    // Switching it on by mistake wipes the stored history: anything unclear keeps it.
    if (!off.contains(text))
        warnOnce(
            Preference::ClearItemsOnExit, settings.fileName(),
            stored.typeId() == QMetaType::QStringList
                ? stored.toStringList().join(QLatin1String(", "))
                : (stored.canConvert<QString>() ? stored.toString() : QString::fromLatin1(stored.typeName())),
            "neither on nor off; the history is kept");
    return false;
}

} // namespace Morv
