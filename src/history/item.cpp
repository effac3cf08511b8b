// SPDX-License-Identifier: GPL-2.0-or-later

#include "item.h"

#include "clipboardformats.h"
#include "clipboardwrap.h"
#include "itemmimedata.h"
#include "preferences.h"

#include <QMimeData>
#include <QUrl>

namespace Morv {

namespace {

// What a clipboard without an offer reads as. Created on first need and kept until exit.
const QMimeData *emptyMimeData()
{
    static const QMimeData empty;
    return &empty;
}

const QString plainText = QStringLiteral("text/plain");

} // namespace

Item::Item(QClipboard::Mode mode)
    : itemMode(mode)
    , valid(true)
{
    const QMimeData *mime = ClipboardWrap::instance()->mimeData(mode);
    if (!mime)
        mime = emptyMimeData();

    const QStringList formats = mime->formats();
    if (formats.isEmpty())
        valid = false;

    // Our own content coming back (a platform that reports our writes later, the opposite
    // clipboard looked at): taken over as it is, without reading a large format from its file.
    if (const auto *own = qobject_cast<const ItemMimeData *>(mime)) {
        const Item &source = own->item();
        type = source.type;
        itemContent = source.itemContent;
        large = source.large;
        itemText = source.itemText;
        return;
    }

    const bool bitmapOffered = formats.contains(ClipboardFormats::bitmap);
    for (const QString &format : formats) {
        if (!ClipboardFormats::isKept(format, bitmapOffered))
            continue;
        const QByteArray bytes = mime->data(format);
        // Implicitly shared with the offer: a large format costs no copy, and its hash is left
        // to the saving thread.
        if (LargeContent::isLarge(bytes))
            large.insert(format, LargeContent(bytes));
        else
            itemContent.insert(format, bytes);
    }

    itemText = mime->text();
    if (mime->hasHtml()) {
        type = RichText;
    } else if (mime->hasUrls()) {
        type = Url;
        itemText.clear();
        for (const QUrl &url : mime->urls())
            itemText += url.toString() + QLatin1Char('\n');
    } else if (mime->hasText()) {
        type = PlainText;
    } else {
        type = Binary;
    }
}

Item::Item(QClipboard::Mode mode, ContentType contentType, const ClipboardContent &content)
    : itemMode(mode)
    , type(contentType)
    , valid(true)
    , itemText(QString::fromUtf8(content.value(plainText)))
{
    for (auto it = content.cbegin(); it != content.cend(); ++it) {
        if (LargeContent::isLarge(it.value()))
            large.insert(it.key(), LargeContent(it.value()));
        else
            itemContent.insert(it.key(), it.value());
    }
}

Item::Item(QClipboard::Mode mode, ContentType contentType, const ClipboardContent &content,
           const LargeContents &largeContents, const QString &text)
    : itemMode(mode)
    , type(contentType)
    , valid(true)
    , large(largeContents)
    , itemText(text)
{
    // A file with contents inline, edited by hand to list content files as well.
    for (auto it = content.cbegin(); it != content.cend(); ++it) {
        if (!LargeContent::isLarge(it.value()))
            itemContent.insert(it.key(), it.value());
        else if (!large.contains(it.key()))
            large.insert(it.key(), LargeContent(it.value()));
    }
}

Item::Item(const QString &stickyText)
    : itemMode(QClipboard::Clipboard)
    , valid(!stickyText.isEmpty())
{
    if (!valid)
        return;
    type = Sticky;
    itemText = stickyText;
    // Split like a capture, so that a copy of the same text elsewhere matches. Sticky items are
    // stored as texts: a large one is never written into a content file.
    const QByteArray bytes = stickyText.toUtf8();
    if (LargeContent::isLarge(bytes))
        large.insert(plainText, LargeContent(bytes));
    else
        itemContent.insert(plainText, bytes);
}

QStringList Item::formats() const
{
    return itemContent.keys() + large.keys();
}

QByteArray Item::data(const QString &format) const
{
    const auto bytes = itemContent.constFind(format);
    if (bytes != itemContent.cend())
        return *bytes;
    const auto content = large.constFind(format);
    if (content == large.cend())
        return QByteArray();
    QString problem;
    const QByteArray read = content->bytes(&problem);
    if (!problem.isEmpty())
        LargeContent::warnUnavailable(format, content->sha256(), problem);
    return read;
}

bool Item::operator==(const Item &other) const
{
    if (valid != other.valid)
        return false;
    if (itemMode != other.itemMode && !Preferences::instance()->synchronizePSEOnSelect())
        return false;
    return hasSameContent(other);
}

bool Item::hasSameContent(const Item &other) const
{
    // Names and sizes first: they tell most different pictures apart without a byte compared.
    if (large.size() != other.large.size())
        return false;
    for (auto it = large.cbegin(); it != large.cend(); ++it) {
        const auto match = other.large.constFind(it.key());
        if (match == other.large.cend() || match->size() != it->size())
            return false;
    }
    if (itemContent != other.itemContent)
        return false;
    for (auto it = large.cbegin(); it != large.cend(); ++it) {
        if (*it != other.large.value(it.key()))
            return false;
    }
    return true;
}

void Item::toClipboard(ClipboardTargets targets) const
{
    // A paste may follow at once; the platform asks for its bytes on the GUI thread.
    for (auto it = large.cbegin(); it != large.cend(); ++it)
        it->readAhead(it.key());
    // Each handed to the clipboard, which takes ownership.
    if (targets & OwnMode)
        ClipboardWrap::instance()->setMimeData(new ItemMimeData(*this), itemMode);
    if (targets & OtherMode)
        ClipboardWrap::instance()->setMimeData(new ItemMimeData(*this), oppositeMode(itemMode));
}

QClipboard::Mode Item::oppositeMode(QClipboard::Mode mode)
{
    return mode == QClipboard::Clipboard ? QClipboard::Selection : QClipboard::Clipboard;
}

bool Item::isSecret(const QMimeData *mime)
{
    // Asking for the format list first spares a round trip to the owner for ordinary offers.
    const QString &hint = ClipboardFormats::passwordManagerHint;
    return mime && mime->hasFormat(hint) && mime->data(hint) == "secret";
}

} // namespace Morv
