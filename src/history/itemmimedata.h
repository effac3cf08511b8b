// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "item.h"
#include "offersnapshotsource.h"

#include <QMimeData>

namespace Morv {

// An item's content on a clipboard. The small formats are there at once; the large ones come
// from memory once the read ahead that Item::toClipboard starts has them (see
// LargeContent::readAhead()).
//
// The platform asks for the bytes on the GUI thread at the moment of a paste (Qt's xcb clipboard
// when a selection request comes, the Wayland backend when a paste asks for a type), and must have
// them before it returns. So a paste that comes while the read ahead of its format is still under
// way waits for it at most `pasteWait`; if it has not ended then, that paste gets nothing (the
// program pasting gets a refusal or no bytes) while the read goes on, and the pastes after it get
// the bytes. The GUI thread never waits for a whole read. An offer made without toClipboard (a
// test's) reads a large format on the thread that asks, the first time. A backend that serves the
// content on a thread of its own takes a snapshot() instead, whose large formats wait the same way
// on that thread.
//
// Every format gives back exactly the bytes captured (QMimeData::setData would turn
// text/uri-list into URLs and hand them back re-encoded). A large format whose file has gone since
// is no longer offered once that was found, after one warning.
class ItemMimeData final
    : public QMimeData
    , public OfferSnapshotSource
{
    Q_OBJECT

public:
    // The longest a paste waits for a read ahead under way: half a frame.
    static constexpr int pasteWait = 8; // ms

    // What the offer is: a history entry back on the clipboard, or only the text of one, which the
    // history never takes in as a copy (Model::indexTriggeredAsPlainText).
    enum class Use { HistoryEntry, TextOnly };

    explicit ItemMimeData(const Item &item, Use use = Use::HistoryEntry);

    const Item &item() const { return source; }
    bool isTextOnly() const { return use == Use::TextOnly; }

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;
    OfferSnapshot snapshot() const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    // The format's bytes; null when the item cannot give them (now).
    QByteArray bytes(const QString &mimeType) const;
    // A paste of a large format, on whatever thread it is served.
    static QByteArray pasted(const LargeContent &large, const QString &mimeType);

    const Item source;
    const Use use;
};

} // namespace Morv
