// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QIcon>
#include <QString>

namespace Morv {

class Item;

// How a history item looks in the menu: its text, icon and tool tip. Each call reads the
// preferences it depends on ("displaySize", "trim", "platformExtensions"), so a change in the
// preferences dialog shows the next time the menu is built.
namespace ItemPresentation {

// The item's text cut to "displaySize" UTF-16 code units (binary and URL items with a prefix that
// counts towards the limit). With "trim" on, every line is shown without surrounding whitespace.
// A cut never splits a surrogate pair; no ellipsis is added.
QString displayText(const Item &item);

// The icon of the item's content type: from the icon theme, else the compiled-in image.
QIcon typeIcon(const Item &item);

// The type icon; with the platform extensions on, painted on the colour of the item's clipboard.
QIcon itemIcon(const Item &item);

// "Clipboard: Plain Text" and the like.
QString toolTip(const Item &item);

} // namespace ItemPresentation
} // namespace Morv
