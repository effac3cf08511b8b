// SPDX-License-Identifier: GPL-2.0-or-later

#include "itemmimedata.h"

namespace Morv {

ItemMimeData::ItemMimeData(const Item &item)
    : source(item)
{}

QStringList ItemMimeData::formats() const
{
    QStringList names = source.content().keys();
    const LargeContents &large = source.largeContents();
    for (auto it = large.cbegin(); it != large.cend(); ++it) {
        if (it->isAvailable())
            names.append(it.key());
    }
    return names;
}

bool ItemMimeData::hasFormat(const QString &mimeType) const
{
    if (source.content().contains(mimeType))
        return true;
    const auto large = source.largeContents().constFind(mimeType);
    return large != source.largeContents().cend() && large->isAvailable();
}

QVariant ItemMimeData::retrieveData(const QString &mimeType, QMetaType) const
{
    const auto small = source.content().constFind(mimeType);
    if (small != source.content().cend())
        return *small;
    const auto large = source.largeContents().constFind(mimeType);
    if (large == source.largeContents().cend())
        return QVariant();
    const QByteArray bytes = large->bytesForPaste(mimeType, QDeadlineTimer(pasteWait));
    if (bytes.isNull()) {
        // Unavailable has been said; otherwise the read is still under way.
        if (large->isAvailable())
            qInfo("The stored \"%s\" of a history item (%lld bytes) is still being read; this paste "
                  "gets nothing, the next one gets it",
                  qUtf8Printable(mimeType), large->size());
        return QVariant();
    }
    return bytes;
}

} // namespace Morv
