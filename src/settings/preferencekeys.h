// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

class QSettings;

namespace Morv {

// The preferences of the settings file, each with its key and its default.
enum class Preference {
    HistoryCount,
    DisplaySize,
    Trim,
    Shortcut,
    TrayIconFile,
    PlatformExtensions,
    SynchronizePSE,
    SynchronizeHistory,
    ClearItemsOnExit,
    ConfirmClear,
    ShowPreviews,
    PasteOnChoose,
    TerminalClasses,
};

// The one table of preference keys and defaults, and how a stored value is read. Works on any
// QSettings object, so that files can be checked without the process-wide preferences.
//
// Values convert under Qt's rules (a non-numeric count reads as 0), with two exceptions that
// protect the stored history from a hand edit: a "historyCount" below 1 reads as the default,
// and the destructive "clearItemsOnExit" is on only for "true", "1", "yes" or "on" (any case).
// Each gives one warning per value it does not take.
class PreferenceKeys
{
public:
    static QString key(Preference preference);
    static QVariant defaultValue(Preference preference);

    // The stored value, or the default when the key is absent.
    static QVariant value(const QSettings &settings, Preference preference);

    static int historyCount(const QSettings &settings);
    // The window classes that paste with Ctrl+Shift+V; a list stored empty reads as empty.
    static QStringList terminalClasses(const QSettings &settings);
    static bool clearItemsOnExit(const QSettings &settings);
};

} // namespace Morv
