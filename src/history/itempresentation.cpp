// SPDX-License-Identifier: GPL-2.0-or-later

#include "itempresentation.h"

#include "item.h"
#include "picturepreviews.h"
#include "preferences.h"

#include <QColor>
#include <QCoreApplication>
#include <QHash>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>

namespace Morv::ItemPresentation {

namespace {

QString iconName(ContentType type)
{
    switch (type) {
    case PlainText:
        return QStringLiteral("text-plain");
    case RichText:
        return QStringLiteral("text-enriched");
    case Binary:
        return QStringLiteral("image-x-generic");
    case Url:
        return QStringLiteral("quickopen-file");
    case Sticky:
        return QStringLiteral("knotes");
    }
    return QString(); // a value from a hand-edited settings file
}

QColor modeColour(QClipboard::Mode mode)
{
    switch (mode) {
    case QClipboard::Clipboard:
        return QColor::fromString(QLatin1String("#004400"));
    case QClipboard::Selection:
        return QColor::fromString(QLatin1String("#000044"));
    case QClipboard::FindBuffer:
        return QColor::fromString(QLatin1String("#440000"));
    }
    return QColor::fromString(QString());
}

QString modeText(QClipboard::Mode mode)
{
    switch (mode) {
    case QClipboard::Clipboard:
        return QObject::tr("Clipboard");
    case QClipboard::Selection:
        return QObject::tr("Selection");
    case QClipboard::FindBuffer:
        return QObject::tr("Find Buffer");
    }
    return QString();
}

QString typeText(ContentType type)
{
    switch (type) {
    case PlainText:
        return QObject::tr("Plain Text");
    case RichText:
        return QObject::tr("Rich Text");
    case Binary:
        return QObject::tr("Binary Content");
    case Url:
        return QObject::tr("URL");
    case Sticky:
        return QObject::tr("Sticky Item (Plain Text)");
    }
    return QString();
}

// The text with each line stripped of leading and trailing whitespace. Copied texts can be huge,
// so only as much is looked at as a cut to `limit` code units can show (everything for a negative
// limit); one unit more is kept so that the cut can see a surrogate pair at its edge. A line of
// megabytes is neither searched to its end nor copied.
QString trimmedLines(const QString &text, qsizetype limit)
{
    const qsizetype size = text.size();
    const auto isBlank = [&text](qsizetype at) {
        return text.at(at) != QLatin1Char('\n') && text.at(at).isSpace();
    };
    QString result;
    qsizetype start = 0;
    for (;;) {
        while (start < size && isBlank(start))
            ++start;
        const qsizetype room = limit < 0 ? size - start : limit + 1 - result.size();
        const qsizetype found = QStringView(text).mid(start, room).indexOf(QLatin1Char('\n'));
        const qsizetype shown = found < 0 ? qMin(start + room, size) : start + found;
        // Where the line ends; a line cut by the room ends there only if nothing but blanks follow.
        qsizetype end = shown;
        while (end < size && isBlank(end))
            ++end;
        const bool wholeLine = end == size || text.at(end) == QLatin1Char('\n');
        QStringView line = QStringView(text).mid(start, shown - start);
        result += wholeLine ? line.trimmed() : line;
        if (!wholeLine || end == size || (limit >= 0 && result.size() > limit))
            break;
        result += QLatin1Char('\n');
        start = end + 1;
    }
    return result;
}

// The first `limit` code units; a negative limit keeps everything. A surrogate pair at the edge
// goes as a whole: half of it would show as a replacement character.
QString cut(const QString &text, qsizetype limit)
{
    if (limit < 0 || text.size() <= limit)
        return text;
    qsizetype size = limit;
    if (size > 0 && text.at(size - 1).isHighSurrogate() && text.at(size).isLowSurrogate())
        --size;
    return text.left(size);
}

// The preview of a picture item when previews are on and it is ready; asks for it otherwise.
const PicturePreviews::Preview *readyPreview(const Item &item)
{
    if (!Preferences::instance()->showPreviews())
        return nullptr;
    return PicturePreviews::instance()->find(item);
}

} // namespace

QString displayText(const Item &item)
{
    Preferences *preferences = Preferences::instance();
    const qsizetype limit = preferences->displaySize();
    // The menu can show at most `limit` units of the text, plus one to see a surrogate pair.
    const qsizetype needed = limit < 0 ? -1 : limit + 1;
    const QString text = preferences->trim() ? trimmedLines(item.text(), needed) : item.text().left(needed);

    switch (item.contentType()) {
    case PlainText:
    case RichText:
    case Sticky:
        return cut(text, limit);
    case Binary:
        if (const PicturePreviews::Preview *preview = readyPreview(item)) {
            //: The width and height of a picture, in pixels.
            const QString size =
                QObject::tr("%1 x %2").arg(preview->pictureSize.width()).arg(preview->pictureSize.height());
            return cut(QObject::tr("Binary: %1").arg(text.isEmpty() ? size : size + QLatin1Char(' ') + text),
                       limit);
        }
        return cut(QObject::tr("Binary: %1").arg(text), limit);
    case Url:
        return cut(QObject::tr("Url: %1").arg(text), limit);
    }
    return QString();
}

namespace {

// The compiled-in image of a type icon. Building the icon decodes the PNG, and a menu rebuild asks
// for an icon per row, so each is built once; the pixmaps go before the application object does.
QIcon fallbackIcon(const QString &name)
{
    static QHash<QString, QIcon> icons;
    [[maybe_unused]] static const bool releasedAtExit = [] {
        qAddPostRoutine([] { icons.clear(); });
        return true;
    }();
    auto it = icons.constFind(name);
    if (it == icons.constEnd())
        it = icons.insert(name, QIcon(QStringLiteral(":/icons/%1.png").arg(name)));
    return it.value();
}

// The icon of a content type, looked up in the icon theme once. A first lookup of a name searches
// the theme's folders: without an icon cache (icon-theme.cache) Qt 6.11 takes tens of milliseconds
// for each name a theme lacks. Icons from the theme follow later changes of it; a fallback is
// looked up again when the theme's name changes.
QIcon typeIcon(ContentType type)
{
    static QHash<QString, QIcon> icons;
    static QString themeName;
    [[maybe_unused]] static const bool releasedAtExit = [] {
        qAddPostRoutine([] { icons.clear(); });
        return true;
    }();
    const QString name = iconName(type);
    if (name.isEmpty())
        return QIcon();
    if (QIcon::themeName() != themeName) {
        icons.clear();
        themeName = QIcon::themeName();
    }
    auto it = icons.constFind(name);
    if (it == icons.constEnd())
        it = icons.insert(name, QIcon::fromTheme(name, fallbackIcon(name)));
    return it.value();
}

} // namespace

QIcon typeIcon(const Item &item)
{
    return typeIcon(item.contentType());
}

void prepareIcons()
{
    for (const ContentType type : {PlainText, RichText, Binary, Url, Sticky})
        typeIcon(type);
}

QIcon itemIcon(const Item &item)
{
    const bool coloured = Preferences::instance()->platformExtensions();
    if (const PicturePreviews::Preview *preview = readyPreview(item))
        return PicturePreviews::icon(*preview, coloured ? modeColour(item.mode()) : QColor());
    if (!coloured)
        return typeIcon(item);

    const QString key = QStringLiteral("%1_%2").arg(uint(item.contentType())).arg(int(item.mode()));
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return QIcon(pixmap);

    pixmap = QPixmap(32, 32);
    pixmap.fill(modeColour(item.mode()));
    {
        QPainter painter(&pixmap);
        painter.drawPixmap(0, 0, typeIcon(item).pixmap(pixmap.size(), QIcon::Normal, QIcon::Off));
    }
    QPixmapCache::insert(key, pixmap);
    return QIcon(pixmap);
}

QString toolTip(const Item &item)
{
    const QString line = QStringLiteral("%1: %2").arg(modeText(item.mode()), typeText(item.contentType()));
    const PicturePreviews::Preview *preview = readyPreview(item);
    if (!preview)
        return line;
    const QSize shown = PictureDecoder::fitted(preview->pictureSize, PictureDecoder::previewSize);
    return QStringLiteral("<p style=\"white-space:pre\">%1</p><p><img src=\"%2\" width=\"%3\" "
                          "height=\"%4\"></p><p>%5</p>")
        .arg(line.toHtmlEscaped(), PicturePreviews::toolTipImage(*preview).toString())
        .arg(shown.width())
        .arg(shown.height())
        //: The size of a picture's file; the number is written as the language writes numbers.
        .arg(QObject::tr("%1 bytes").arg(QLocale().toString(preview->byteSize)).toHtmlEscaped());
}

void prepare(const Item &item)
{
    readyPreview(item);
}

} // namespace Morv::ItemPresentation
