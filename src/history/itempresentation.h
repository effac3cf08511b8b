// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QIcon>
#include <QString>

namespace Morv {

class Item;

// How a history item looks in the menu: its text, icon and tool tip. Each call reads the
// preferences it depends on ("displaySize", "trim", "platformExtensions", "showPreviews"), so a
// change in the preferences dialog shows the next time the menu is built.
//
// With "showPreviews" on, an item with a picture (a format "image/...") whose preview is ready
// (see PicturePreviews) shows the picture's size in its text, a thumbnail as its icon and a larger
// preview in its tool tip; until the preview is ready, and when the picture cannot be decoded, it
// looks as it does with the previews off.
namespace ItemPresentation {

// The item's text cut to "displaySize" UTF-16 code units (binary and URL items with a prefix that
// counts towards the limit). With "trim" on, every line is shown without surrounding whitespace.
// A cut never splits a surrogate pair; no ellipsis is added. A picture with its preview ready
// shows its size after the prefix ("Binary: 1920 x 1080").
QString displayText(const Item &item);

// The icon of the item's content type: from the icon theme, else the compiled-in image.
QIcon typeIcon(const Item &item);

// Looks up the icons of every content type in the theme now (start-up), so that neither the first
// opening of the menu nor the first item of a new type waits for the theme's folders.
void prepareIcons();

// The type icon, or the thumbnail of a picture with its preview ready; with the platform
// extensions on, painted on the colour of the item's clipboard.
QIcon itemIcon(const Item &item);

// "Clipboard: Plain Text" and the like; for a picture with its preview ready, rich text with the
// larger preview and the picture's size in bytes below.
QString toolTip(const Item &item);

// With "showPreviews" on, starts making the preview of the item's picture, so that it is ready
// by the time the menu shows it.
void prepare(const Item &item);

} // namespace ItemPresentation
} // namespace Morv
