// SPDX-License-Identifier: GPL-2.0-or-later

#include "rawmimedata.h"

#include "clipboardformats.h"

#include <algorithm>

RawMimeData::RawMimeData(Entries entries, DecodedTexts decodedTexts)
    : entries(std::move(entries))
    , decodedTexts(std::move(decodedTexts))
{}

void RawMimeData::add(const QString &format, const QByteArray &bytes)
{
    entries.append({format, bytes});
}

void RawMimeData::addDecodedText(const QString &format, const QString &text)
{
    decodedTexts.insert(format, text);
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

QVariant RawMimeData::retrieveData(const QString &mimeType, QMetaType type) const
{
    if (type.id() == QMetaType::QString) {
        const auto decoded = decodedTexts.constFind(mimeType);
        if (decoded != decodedTexts.constEnd())
            return decoded.value();
    }
    for (const auto &entry : entries) {
        if (entry.first != mimeType)
            continue;
        if (ClipboardFormats::asksForUrlList(mimeType, type))
            return ClipboardFormats::urlList(entry.second);
        return entry.second;
    }
    return {};
}
