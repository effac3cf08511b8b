// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "picturedecoder.h"

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QObject>
#include <QUrl>

#include <memory>
#include <optional>

namespace Morv {

class Item;

// The previews of the pictures in the history (see PictureDecoder), for the menu: made on a thread
// of their own at a low priority, handed to the GUI thread by queued calls and kept in memory
// while their content lives. A picture stored in a content file has its thumbnails stored beside
// it (ThumbnailStore), written by that thread once the content file is written, and read back
// from there at the next start instead of decoding the picture again; the larger preview then
// stays on the disk and is read only when a tool tip shows it.
//
// Nothing here waits: find() answers from memory and asks for what is missing; a preview made
// meanwhile shows the next time the menu is built (the model announces no change of data).
// A picture that cannot be decoded has no preview, without a word.
//
// GUI thread only, but for the thread it runs.
class PicturePreviews : public QObject
{
    Q_OBJECT

public:
    // A preview in memory.
    struct Preview
    {
        QSize pictureSize;
        // The bytes of the picture's format.
        qint64 byteSize = 0;
        QImage icon;
        // The tool tip's larger picture, in memory until it is stored.
        QByteArray previewPng;
        // The hash of its content file, once its thumbnails are stored.
        QByteArray sha256;
        // Names the preview in tool tips (see toolTipImage()).
        quint64 serial = 0;
        // The last icon made of it (see icon()).
        mutable QIcon squareIcon;
        mutable QColor squareBackground;
    };

    // Created on first need, with the thread; both go with the application object.
    static PicturePreviews *instance();

    // The preview of the item's picture (its first format "image/..." that Qt can read, PNG
    // first); null when the item holds no picture, while the preview is made (the first call
    // asks for it) and when no format can be decoded.
    const Preview *find(const Item &item);

    // The icon of a preview: its picture centred on a square, over the background colour when it
    // is valid.
    static QIcon icon(const Preview &preview, const QColor &background);

    // The URL of the preview's larger picture in rich text (a tool tip): served from memory or
    // from its file while the preview lives.
    static QUrl toolTipImage(const Preview &preview);

    // For tests and benchmarks: the pictures decoded since the start (not read from thumbnails),
    // and the previews asked for and not made yet.
    static int decodeCount();
    int pendingCount() const;

Q_SIGNALS:
    // A preview was made, or the picture found not decodable.
    void ready();

private:
    struct Entry
    {
        enum State { Pending, Ready, Failed };
        State state = Pending;
        Preview preview;
        // Expires when the content goes (null for a picture inside the item).
        std::weak_ptr<const void> lifetime;
        bool inlinePicture = false;
    };

    PicturePreviews();
    ~PicturePreviews() override;

    static void finish();
    void request(const QByteArray &key, const Item &item, Entry &entry);
    void made(const QByteArray &key, const std::optional<PicturePreview> &preview, const QByteArray &sha256,
              qint64 byteSize);
    void stored(const QByteArray &key, const QByteArray &sha256);
    void prune();
    QVariant resource(const QUrl &url) const;

    QHash<QByteArray, Entry> entries;
    quint64 lastSerial = 0;
    int pending = 0;
};

} // namespace Morv
