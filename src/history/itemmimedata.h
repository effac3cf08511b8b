// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "item.h"

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
// test's) reads a large format on the thread that asks, the first time.
//
// Every format gives back exactly the bytes captured (QMimeData::setData would turn
// text/uri-list into URLs and hand them back re-encoded). A large format whose file has gone since
// is no longer offered once that was found, after one warning.
class ItemMimeData final : public QMimeData
{
    Q_OBJECT

public:
    // The longest a paste waits for a read ahead under way: half a frame.
    static constexpr int pasteWait = 8; // ms

    explicit ItemMimeData(const Item &item);

    const Item &item() const { return source; }

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    const Item source;
};

} // namespace Morv
