// SPDX-License-Identifier: GPL-2.0-or-later

#include "clipboardformats.h"

#include <QRegularExpression>

namespace ClipboardFormats {

bool isKept(const QString &format, bool bitmapOffered)
{
    if (!format.contains(QLatin1Char('/')))
        return false;
    static const QRegularExpression bitmapAlias(QStringLiteral("^image/.+-bmp$"));
    return !(bitmapOffered && bitmapAlias.match(format).hasMatch());
}

QStringList kept(const QStringList &formats)
{
    const bool bitmapOffered = formats.contains(bitmap);
    QStringList result;
    for (const QString &format : formats) {
        if (isKept(format, bitmapOffered))
            result.append(format);
    }
    return result;
}

} // namespace ClipboardFormats
