// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>
#include <QStringList>

// Which formats of an offer the clipboard history keeps. Backends that read offers ahead of time
// read only these (and what the history looks at without keeping, see passwordManagerHint).
namespace ClipboardFormats {

// The bitmap format under its registered name.
inline const QString bitmap = QStringLiteral("image/bmp");

// Marks the content of password managers; the value "secret" keeps the offer out of the history.
inline const QString passwordManagerHint = QStringLiteral("x-kde-passwordManagerHint");

// Whether the history keeps this format of an offer: MIME types only (platform target names have
// no "/"), and a bitmap only once: image/x-bmp, image/x-MS-bmp and the like are the same bytes
// again when image/bmp is offered too.
bool isKept(const QString &format, bool bitmapOffered);

// The formats of the list that the history keeps, in their order.
QStringList kept(const QStringList &formats);

} // namespace ClipboardFormats
