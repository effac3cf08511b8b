// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "clipboardcontent.h"
#include "largecontent.h"

#include <QClipboard>
#include <QFlags>
#include <QMap>
#include <QString>
#include <QStringList>

class QMimeData;

namespace Morv {

// What kind of content an item holds. The values are stored in the settings file.
enum ContentType : quint32 { PlainText = 0, RichText = 1, Binary = 2, Url = 3, Sticky = 4 };

// Where Item::toClipboard writes: the item's own clipboard and the opposite one (clipboard and
// selection swap; the find buffer's opposite is the clipboard).
enum ClipboardTarget { OwnMode = 1, OtherMode = 2 };
Q_DECLARE_FLAGS(ClipboardTargets, ClipboardTarget)
Q_DECLARE_OPERATORS_FOR_FLAGS(ClipboardTargets)

// The large formats of an item, by format name.
using LargeContents = QMap<QString, LargeContent>;

// One history entry: a plain value, cheap to copy (the content and text are implicitly shared).
//
// Its formats are kept in two parts: the small ones with their bytes in content(), the large ones
// (more than LargeContent::threshold bytes) in largeContents(), held by hash and size once they are
// stored. Which part a format is in depends on its size alone.
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
    // content is taken over unchanged, its large formats kept as large contents.
    Item(QClipboard::Mode mode, ContentType contentType, const ClipboardContent &content);

    // An item from stored fields whose large formats are in content files, with its text.
    Item(QClipboard::Mode mode, ContentType contentType, const ClipboardContent &content,
         const LargeContents &largeContents, const QString &text);

    // A sticky snippet on the clipboard; invalid for an empty text.
    explicit Item(const QString &stickyText);

    QClipboard::Mode mode() const { return itemMode; }
    ContentType contentType() const { return type; }
    bool isValid() const { return valid; }
    // The small formats with their bytes.
    const ClipboardContent &content() const { return itemContent; }
    // The large formats.
    const LargeContents &largeContents() const { return large; }
    const QString &text() const { return itemText; }

    // Every format name, the small ones first.
    QStringList formats() const;
    // The bytes of a format; for a large one they may come from its content file, which is read
    // then. Null, with one warning, when the file cannot give them; null for a format not kept.
    QByteArray data(const QString &format) const;

    // Items are equal when both are valid or both invalid, come from the same clipboard (or the
    // selection synchronisation makes the clipboard irrelevant) and hold the same formats with the
    // same bytes. Type and text are not compared.
    bool operator==(const Item &other) const;
    // The same formats with the same bytes, whatever the clipboards.
    bool hasSameContent(const Item &other) const;

    // Writes the content to the item's own clipboard and/or the opposite one, own first. The large
    // formats are read ahead from their files (see LargeContent::readAhead()), and stay in memory
    // for later choices while the item lives.
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
    LargeContents large;
    QString itemText;
};

} // namespace Morv
