// SPDX-License-Identifier: GPL-2.0-or-later

#include "rawmimedata.h"

#include <algorithm>

void RawMimeData::add(const QString &format, const QByteArray &bytes)
{
    entries.append({format, bytes});
}

QStringList RawMimeData::formats() const
{
    QStringList names;
    names.reserve(entries.size());
    for (const auto &entry : entries)
        names.append(entry.first);
    return names;
}

bool RawMimeData::hasFormat(const QString &mimeType) const
{
    return std::any_of(entries.cbegin(), entries.cend(),
                       [&mimeType](const auto &entry) { return entry.first == mimeType; });
}

QVariant RawMimeData::retrieveData(const QString &mimeType, QMetaType) const
{
    for (const auto &entry : entries) {
        if (entry.first == mimeType)
            return entry.second;
    }
    return {};
}
