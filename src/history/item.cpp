// SPDX-License-Identifier: GPL-2.0-or-later

#include "item.h"

#include "clipboardformats.h"
#include "clipboardwrap.h"
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

QMimeData *toMimeData(const ClipboardContent &content)
{
    auto mime = new QMimeData; // handed to the clipboard, which takes ownership
    for (auto it = content.cbegin(); it != content.cend(); ++it)
        mime->setData(it.key(), it.value());
    return mime;
}

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

    const bool bitmapOffered = formats.contains(ClipboardFormats::bitmap);
    for (const QString &format : formats) {
        if (ClipboardFormats::isKept(format, bitmapOffered))
            itemContent.insert(format, mime->data(format));
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
    , itemContent(content)
    , itemText(QString::fromUtf8(content.value(QStringLiteral("text/plain"))))
{}

Item::Item(const QString &stickyText)
    : itemMode(QClipboard::Clipboard)
    , valid(!stickyText.isEmpty())
{
    if (!valid)
        return;
    type = Sticky;
    itemText = stickyText;
    itemContent.insert(QStringLiteral("text/plain"), stickyText.toUtf8());
}

bool Item::operator==(const Item &other) const
{
    if (valid != other.valid)
        return false;
    if (itemMode != other.itemMode && !Preferences::instance()->synchronizePSEOnSelect())
        return false;
    return itemContent == other.itemContent;
}

void Item::toClipboard(ClipboardTargets targets) const
{
    if (targets & OwnMode)
        ClipboardWrap::instance()->setMimeData(toMimeData(itemContent), itemMode);
    if (targets & OtherMode)
        ClipboardWrap::instance()->setMimeData(toMimeData(itemContent), oppositeMode(itemMode));
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
