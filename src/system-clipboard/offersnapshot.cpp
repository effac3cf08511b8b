// SPDX-License-Identifier: GPL-2.0-or-later

#include "offersnapshot.h"

#include "offersnapshotsource.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>

OfferSnapshot OfferSnapshot::of(const QMimeData &mime)
{
    if (const auto *source = dynamic_cast<const OfferSnapshotSource *>(&mime))
        return source->snapshot();
    OfferSnapshot snapshot;
    const QStringList formats = mime.formats();
    for (const QString &format : formats) {
        QByteArray bytes = mime.data(format);
        // A picture handed over as a QImage has no bytes of its own; Qt's clipboard writes it as PNG.
        if (bytes.isEmpty() && format == QLatin1String("application/x-qt-image") && mime.hasImage()) {
            const auto image = qvariant_cast<QImage>(mime.imageData());
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
        }
        snapshot.add(format, bytes);
    }
    return snapshot;
}

void OfferSnapshot::add(const QString &format, const QByteArray &bytes)
{
    if (names.contains(format))
        return;
    names.append(format);
    entries.append({bytes, {}});
}

void OfferSnapshot::addPending(const QString &format, PendingBytes bytes)
{
    if (names.contains(format))
        return;
    names.append(format);
    entries.append({QByteArray(), std::move(bytes)});
}

void OfferSnapshot::addFrom(const OfferSnapshot &other, const QString &format, const QString &as)
{
    const qsizetype at = other.names.indexOf(format);
    const QString &name = as.isEmpty() ? format : as;
    if (at < 0 || names.contains(name))
        return;
    names.append(name);
    entries.append(other.entries.at(at));
}

QByteArray OfferSnapshot::bytes(const QString &format) const
{
    const qsizetype at = names.indexOf(format);
    if (at < 0)
        return QByteArray();
    const Entry &entry = entries.at(at);
    return entry.pending ? entry.pending() : entry.bytes;
}
