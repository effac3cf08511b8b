// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "item.h"

#include <QHash>
#include <QMimeData>

namespace Morv {

// An item's content on a clipboard. The small formats are there at once; a large one is read from
// its content file only when a program asks for it (the platform asks the mime data at the
// moment of a paste), and kept for later pastes while this offer lasts. So choosing an entry costs
// no disk read, and a picture that nobody pastes is never read.
//
// Every format gives back exactly the bytes captured (QMimeData::setData would turn
// text/uri-list into URLs and hand them back re-encoded). A large format whose file has gone since
// is no longer offered once that was found, after one warning.
class ItemMimeData final : public QMimeData
{
    Q_OBJECT

public:
    explicit ItemMimeData(const Item &item);

    const Item &item() const { return source; }

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    const Item source;
    mutable QHash<QString, QByteArray> read;
};

} // namespace Morv
