// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>

class QIODevice;

namespace Morv {

// What the menu shows of a picture besides the type's own: its size, an icon and a larger preview.
struct PicturePreview
{
    // The picture's own size, in pixels.
    QSize pictureSize;
    // Fits PictureDecoder::iconSize, aspect kept.
    QImage icon;
    // PNG files of the icon and the preview (which fits PictureDecoder::previewSize); null when
    // they were read from the disk.
    QByteArray iconPng;
    QByteArray previewPng;
};

// Makes the previews of pictures and checks stored ones. Slow (a large picture takes tens of
// milliseconds): for a background thread. Pictures are decoded at the preview's size where the
// image format allows (JPEG); others are decoded whole, within Qt's allocation limit, and then
// scaled down.
class PictureDecoder
{
public:
    static constexpr QSize iconSize{32, 32};
    static constexpr QSize previewSize{320, 240};

    // The preview of the picture the device holds; none when it holds no picture Qt can read.
    static std::optional<PicturePreview> decode(QIODevice *device);

    // The preview from the thumbnails stored for a picture, when both read back as what decode()
    // made: PNG files of the sizes above that record the picture's size. None otherwise.
    static std::optional<PicturePreview> fromThumbnails(const QByteArray &iconPng,
                                                        const QByteArray &previewPng);

    // How a picture of the given size is shown within the bounds: scaled down to fit, aspect
    // kept, never enlarged.
    static QSize fitted(const QSize &size, const QSize &bounds);
};

} // namespace Morv
