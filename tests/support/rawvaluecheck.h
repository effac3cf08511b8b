// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "inifilereader.h"

#include <QFile>
#include <QSettings>
#include <QString>

// Compares the raw INI values the history loader falls back on, and SettingsFileCheck checks
// (IniFileReader), with what QSettings reads from the same file, on plain string values and lists
// of them, where QSettings shows its unescaped text ("@" values are variants, "@@" an escaped "@").
// Returns the first key that differs, or nothing. Used by the fuzzer and by the replay of its
// inputs.
namespace RawValueCheck {

inline QString firstDifference(QSettings &settings)
{
    const QHash<QString, QString> raw = Morv::IniFileReader::readValues(settings.fileName(), QString());
    QHash<QString, QStringList> rawLists;
    {
        QFile file(settings.fileName());
        if (file.open(QIODevice::ReadOnly)) {
            // Of a key given twice, the later line counts.
            for (const auto &assignment : Morv::IniFileReader::readAssignments(file.readAll())) {
                if (assignment.isList)
                    rawLists.insert(assignment.key, assignment.elements);
                else
                    rawLists.remove(assignment.key);
            }
        }
    }
    const QStringList keys = settings.allKeys();
    for (const QString &key : keys) {
        // Keys QSettings cannot look up again: it normalises the slashes of a lookup.
        if (key.isEmpty() || key.contains(QLatin1String("//")) || key.startsWith(QLatin1Char('/')) ||
            key.endsWith(QLatin1Char('/')))
            continue;
        const QVariant value = settings.value(key);
        if (value.typeId() == QMetaType::QStringList) {
            QStringList elements = rawLists.value(key);
            for (QString &element : elements) {
                if (element.startsWith(QLatin1String("@@")))
                    element.remove(0, 1);
            }
            if (elements != value.toStringList())
                return key;
            continue;
        }
        if (value.typeId() != QMetaType::QString)
            continue;
        const auto text = raw.constFind(key);
        if (text == raw.constEnd() || (!text->startsWith(QLatin1Char('@')) && *text != value.toString()))
            return key;
    }
    return QString();
}

} // namespace RawValueCheck
