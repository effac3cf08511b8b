// SPDX-License-Identifier: GPL-2.0-or-later

#include "clipboardformats.h"

#include <QUrl>

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

bool asksForUrlList(const QString &format, QMetaType type)
{
    return format == QLatin1String("text/uri-list") &&
           (type.id() == QMetaType::QVariantList || type.id() == QMetaType::QUrl);
}

QVariantList urlList(QByteArray bytes)
{
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    QVariantList urls;
    for (const QByteArray &line : bytes.split('\n')) {
        const QByteArray link = line.trimmed();
        if (!link.isEmpty())
            urls.append(QUrl::fromEncoded(link));
    }
    return urls;
}

} // namespace ClipboardFormats
