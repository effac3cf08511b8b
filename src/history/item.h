// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "clipboardcontent.h"

#include <QClipboard>
#include <QFlags>
#include <QString>

class QMimeData;

namespace Morv {

// What kind of content an item holds. The values are stored in the settings file.
enum ContentType : quint32 { PlainText = 0, RichText = 1, Binary = 2, Url = 3, Sticky = 4 };

// Where Item::toClipboard writes: the item's own clipboard and the opposite one (clipboard and
// selection swap; the find buffer's opposite is the clipboard).
enum ClipboardTarget { OwnMode = 1, OtherMode = 2 };
Q_DECLARE_FLAGS(ClipboardTargets, ClipboardTarget)
Q_DECLARE_OPERATORS_FOR_FLAGS(ClipboardTargets)

// One history entry: a plain value, cheap to copy (the content and text are implicitly shared).
class Item
{
public:
    // An invalid item with empty content and text.
    Item() = default;

    // What the given clipboard offers now: every format whose name is a MIME type (contains "/"),
    // without the duplicate bitmap formats when "image/bmp" is offered. Invalid when the
    // clipboard offers no format at all.
    explicit Item(QClipboard::Mode mode);

    // An item from stored fields; the text is the UTF-8 decoding of the "text/plain" entry. The
    // content is taken over unchanged.
    Item(QClipboard::Mode mode, ContentType contentType, const ClipboardContent &content);

    // A sticky snippet on the clipboard; invalid for an empty text.
    explicit Item(const QString &stickyText);

    QClipboard::Mode mode() const { return itemMode; }
    ContentType contentType() const { return type; }
    bool isValid() const { return valid; }
    const ClipboardContent &content() const { return itemContent; }
    const QString &text() const { return itemText; }

    // Items are equal when both are valid or both invalid, come from the same clipboard (or the
    // selection synchronisation makes the clipboard irrelevant) and hold the same formats with the
    // same bytes. Type and text are not compared.
    bool operator==(const Item &other) const;

    // Writes the content to the item's own clipboard and/or the opposite one, own first.
    void toClipboard(ClipboardTargets targets) const;

    static QClipboard::Mode oppositeMode(QClipboard::Mode mode);

    // Password managers mark what they copy with the format "x-kde-passwordManagerHint" holding
    // "secret"; such offers must never reach the history.
    static bool isSecret(const QMimeData *mime);

private:
    QClipboard::Mode itemMode = QClipboard::Clipboard;
    ContentType type = PlainText;
    bool valid = false;
    ClipboardContent itemContent;
    QString itemText;
};

} // namespace Morv
