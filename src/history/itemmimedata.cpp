// SPDX-License-Identifier: GPL-2.0-or-later

#include "itemmimedata.h"

#include "clipboardformats.h"
#include "offersnapshot.h"

namespace Morv {

namespace {

// A small format stored empty is there, with no bytes (a null array would read as not there).
QByteArray smallBytes(const QByteArray &stored)
{
    return stored.isNull() ? QByteArray("") : stored;
}

} // namespace

ItemMimeData::ItemMimeData(const Item &item, Use use)
    : source(item)
    , use(use)
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

QVariant ItemMimeData::retrieveData(const QString &mimeType, QMetaType type) const
{
    const QByteArray bytes = this->bytes(mimeType);
    if (bytes.isNull())
        return QVariant();
    if (ClipboardFormats::asksForUrlList(mimeType, type))
        return ClipboardFormats::urlList(bytes);
    return bytes;
}

QByteArray ItemMimeData::bytes(const QString &mimeType) const
{
    const auto small = source.content().constFind(mimeType);
    if (small != source.content().cend())
        return smallBytes(*small);
    const auto large = source.largeContents().constFind(mimeType);
    if (large == source.largeContents().cend())
        return QByteArray();
    return pasted(*large, mimeType);
}

OfferSnapshot ItemMimeData::snapshot() const
{
    OfferSnapshot snapshot;
    const ClipboardContent &small = source.content();
    for (auto it = small.cbegin(); it != small.cend(); ++it)
        snapshot.add(it.key(), smallBytes(it.value()));
    const LargeContents &large = source.largeContents();
    for (auto it = large.cbegin(); it != large.cend(); ++it) {
        if (it->isAvailable())
            snapshot.addPending(
                it.key(), [content = it.value(), format = it.key()] { return pasted(content, format); });
    }
    return snapshot;
}

QByteArray ItemMimeData::pasted(const LargeContent &large, const QString &mimeType)
{
    const QByteArray bytes = large.bytesForPaste(mimeType, QDeadlineTimer(pasteWait));
    // Unavailable has been said; otherwise the read is still under way.
    if (bytes.isNull() && large.isAvailable())
        qInfo("The stored \"%s\" of a history item (%lld bytes) is still being read; this paste "
              "gets nothing, the next one gets it",
              qUtf8Printable(mimeType), large.size());
    return bytes;
}

} // namespace Morv
