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
    if (!source.largeContents().contains(mimeType))
        return QVariant();
    const auto cached = read.constFind(mimeType);
    if (cached != read.cend())
        return *cached;
    const QByteArray bytes = source.data(mimeType);
    if (bytes.isNull())
        return QVariant();
    read.insert(mimeType, bytes);
    return bytes;
}

} // namespace Morv
