// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "inifilereader.h"

#include <QSettings>
#include <QString>

// Compares the raw INI values the history loader falls back on (IniFileReader) with what QSettings
// reads from the same file, on plain string values, where QSettings shows its unescaped text
// ("@" values are variants, "@@" an escaped "@"). Returns the first key that differs, or nothing.
// Used by the fuzzer and by the replay of its inputs.
namespace RawValueCheck {

inline QString firstDifference(QSettings &settings)
{
    const QHash<QString, QString> raw = Morv::IniFileReader::readValues(settings.fileName(), QString());
    const QStringList keys = settings.allKeys();
    for (const QString &key : keys) {
        // Keys QSettings cannot look up again: it normalises the slashes of a lookup.
        if (key.isEmpty() || key.contains(QLatin1String("//")) || key.startsWith(QLatin1Char('/')) ||
            key.endsWith(QLatin1Char('/')))
            continue;
        const QVariant value = settings.value(key);
        if (value.typeId() != QMetaType::QString)
            continue;
        const auto text = raw.constFind(key);
        if (text == raw.constEnd() || (!text->startsWith(QLatin1Char('@')) && *text != value.toString()))
            return key;
    }
    return QString();
}

} // namespace RawValueCheck
