// SPDX-License-Identifier: GPL-2.0-or-later

#include "picturedecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

namespace Morv {

namespace {

// The text of the thumbnails' PNG files that records the picture's size, "<width>x<height>".
const QString sizeKey = QStringLiteral("Morv-Picture-Size");

// Never more memory than this for one decoded picture (Qt's default allocation limit).
constexpr int allocationLimitMB = 256;

QByteArray png(QImage image, const QSize &pictureSize)
{
    image.setText(sizeKey, QStringLiteral("%1x%2").arg(pictureSize.width()).arg(pictureSize.height()));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setCompression(9);
    return writer.write(image) ? bytes : QByteArray();
}

QSize recordedSize(const QImage &image)
{
    const QStringList parts = image.text(sizeKey).split(QLatin1Char('x'));
    if (parts.size() != 2)
        return QSize();
    bool wide = false;
    bool high = false;
    const QSize size(parts.at(0).toInt(&wide), parts.at(1).toInt(&high));
    return wide && high && !size.isEmpty() ? size : QSize();
}

bool fits(const QImage &image, const QSize &bounds)
{
    return !image.isNull() && image.width() <= bounds.width() && image.height() <= bounds.height();
}

} // namespace

QSize PictureDecoder::fitted(const QSize &size, const QSize &bounds)
{
    if (size.width() <= bounds.width() && size.height() <= bounds.height())
        return size;
    return size.scaled(bounds, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

std::optional<PicturePreview> PictureDecoder::decode(QIODevice *device)
{
    QImageReader reader(device);
    reader.setAllocationLimit(allocationLimitMB);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return std::nullopt;
    const QSize previewFit = fitted(size, previewSize);
    reader.setScaledSize(previewFit);
    QImage preview = reader.read();
    if (preview.isNull())
        return std::nullopt;
    if (preview.size() != previewFit)
        preview = preview.scaled(previewFit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    preview = preview.convertToFormat(preview.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                : QImage::Format_RGB32);

    PicturePreview result;
    result.pictureSize = size;
    result.icon = preview.scaled(fitted(size, iconSize), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    result.iconPng = png(result.icon, size);
    result.previewPng = png(preview, size);
    if (result.iconPng.isNull() || result.previewPng.isNull())
        return std::nullopt;
    return result;
}

std::optional<PicturePreview> PictureDecoder::fromThumbnails(const QByteArray &iconPng,
                                                             const QByteArray &previewPng)
{
    if (iconPng.isEmpty() || previewPng.isEmpty())
        return std::nullopt;
    const QImage icon = QImage::fromData(iconPng, "png");
    // Decoded whole, so that a damaged file (PNG checks every chunk) is found now, not in a tool tip.
    const QImage preview = QImage::fromData(previewPng, "png");
    const QSize size = recordedSize(icon);
    if (!fits(icon, iconSize) || !fits(preview, previewSize) || !size.isValid() ||
        recordedSize(preview) != size || icon.size() != fitted(size, iconSize) ||
        preview.size() != fitted(size, previewSize))
        return std::nullopt;
    PicturePreview result;
    result.pictureSize = size;
    result.icon = icon.convertToFormat(icon.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                              : QImage::Format_RGB32);
    return result;
}

} // namespace Morv
