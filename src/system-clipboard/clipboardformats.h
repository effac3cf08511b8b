// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantList>

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

// Whether a typed request of mime data asks for the links of a URL list: urls() does, and text()
// of an offer of links alone. Qt up to 6.10 made them from the bytes; later versions leave that to
// the mime data, so mime data that keeps bytes answers such a request with urlList().
bool asksForUrlList(const QString &format, QMetaType type);

// The links of a text/uri-list as QMimeData reads them: one a line, blank lines skipped, a zero
// byte at the end (some senders add one) dropped.
QVariantList urlList(QByteArray bytes);

} // namespace ClipboardFormats
