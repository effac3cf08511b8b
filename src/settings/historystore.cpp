// SPDX-License-Identifier: GPL-2.0-or-later

#include "historystore.h"

#include "contentfilestore.h"
#include "contentstreamreader.h"
#include "inifilereader.h"
#include "item.h"
#include "legacyclipboardcontent.h"

#include <QDataStream>
#include <QIODevice>
#include <QMap>
#include <QMetaType>
#include <QSettings>

#include <optional>

namespace Morv {

namespace {
const QString historyGroup = QStringLiteral("dynamic");
const QString stickyGroup = QStringLiteral("sticky");
const QString itemsArray = QStringLiteral("items");
const QString sizeKey = QStringLiteral("size");
const QString modeKey = QStringLiteral("mode");
const QString contentTypeKey = QStringLiteral("contentType");
const QString contentKey = QStringLiteral("content");
const QString contentFilesKey = QStringLiteral("contentFiles");
const QString plainText = QStringLiteral("text/plain");
const QString plainTextUtf8 = QStringLiteral("text/plain;charset=utf-8");
const QString textKey = QStringLiteral("text");
const QLatin1String variantPrefix("@Variant(");

// Reports what is wrong with one stored list, one line per problem, naming the file and the item.
class ProblemLog
{
public:
    ProblemLog(const QSettings &settings, const QString &list)
        : file(settings.fileName())
        , list(list)
    {}

    void warn(const QString &problem) const
    {
        qWarning("%s: %s: %s", qUtf8Printable(file), qUtf8Printable(list), qUtf8Printable(problem));
    }

    void warn(const QString &element, const QString &problem) const
    {
        qWarning("%s: %s item %s: %s", qUtf8Printable(file), qUtf8Printable(list), qUtf8Printable(element),
                 qUtf8Printable(problem));
    }

private:
    QString file;
    QString list;
};

QString items(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 item") : QStringLiteral("%1 items").arg(count);
}

QString describe(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1String(", "));
    return value.canConvert<QString>() ? value.toString() : QString::fromLatin1(value.metaType().name());
}

// The elements of the array "items" of the current group, by increasing index. The stored "size" is
// only checked, never trusted: elements beyond it are loaded, missing ones are skipped, and a huge
// size costs nothing.
QStringList arrayElements(QSettings &settings, const ProblemLog &log)
{
    settings.beginGroup(itemsArray);
    QMap<int, QString> present;
    for (const QString &group : settings.childGroups()) {
        bool ok = false;
        const int index = group.toInt(&ok);
        if (ok && index >= 1 && QString::number(index) == group)
            present.insert(index, group);
        else
            log.warn(QStringLiteral("\"%1/%2\" is no item; ignored")
                         .arg(itemsArray, ContentStreamReader::printable(group)));
    }
    for (const QString &key : settings.childKeys()) {
        if (key != sizeKey)
            log.warn(QStringLiteral("\"%1/%2\" is no item; ignored")
                         .arg(itemsArray, ContentStreamReader::printable(key)));
    }

    const QVariant sizeValue = settings.value(sizeKey);
    bool sizeIsNumber = false;
    const int size = sizeValue.toInt(&sizeIsNumber);
    const qsizetype count = present.size();
    if (!sizeValue.isValid()) {
        if (count > 0)
            log.warn(
                QStringLiteral("the number of items is missing; loading the %1 present").arg(items(count)));
    } else if (!sizeIsNumber || size < 0) {
        log.warn(QStringLiteral("the number of items \"%1\" is not a count; loading the %2 present")
                     .arg(ContentStreamReader::printable(describe(sizeValue)), items(count)));
    } else if (count != size || (count > 0 && present.lastKey() != size)) {
        if (count == 0)
            log.warn(QStringLiteral("the number of items is %1, but no items are present").arg(size));
        else
            log.warn(QStringLiteral(
                         "the number of items is %1, but the file holds %2 numbered %3 to %4; loading those")
                         .arg(size)
                         .arg(items(count))
                         .arg(present.firstKey())
                         .arg(present.lastKey()));
    }
    settings.endGroup();
    return present.values();
}

// Reads one element's content. QSettings has decoded "@Variant(...)" already, with Qt's reader,
// which gives an empty hash for a stream damaged anywhere in its entries and an invalid value for
// an unknown type name. In those two cases the raw text of the value is read again from the file
// (once per load, only when needed) to keep the entries before the damage and to say what it was.
class ContentReader
{
public:
    // Made while the array's group is the current one.
    ContentReader(QSettings &settings, const ProblemLog &log)
        : settings(settings)
        , log(log)
        , arrayGroup(settings.group() + QLatin1Char('/'))
    {}

    ClipboardContent read(const QString &element)
    {
        const QVariant stored = settings.value(contentKey);
        const QMetaType contentType = QMetaType::fromType<ClipboardContent>();

        if (stored.metaType() == contentType) {
            const auto content = stored.value<ClipboardContent>();
            if (!content.isEmpty())
                return content;
            // Either stored empty, or damaged. Only a damaged stream of the same type in the file
            // is taken as the source of this value: a sound one that differs belongs to a file
            // that an earlier failed write left behind.
            if (const auto result = decodeRawText();
                result && result->type == contentType && !result->problem.isEmpty()) {
                warnDamaged(element, *result);
                return result->content;
            }
            return content;
        }

        if (stored.metaType() == QMetaType::fromType<LegacyClipboardContent>()) {
            const auto legacy = stored.value<LegacyClipboardContent>();
            if (!legacy.problem.isEmpty())
                warnDamaged(element, {legacy.content, legacy.problem, stored.metaType()});
            return legacy.content;
        }

        if (!stored.isValid()) {
            if (!settings.contains(contentKey)) {
                log.warn(element, QStringLiteral("no content is stored; restored as an empty item"));
                return ClipboardContent();
            }
            const auto result = decodeRawText();
            const QString why =
                result && !result->problem.isEmpty() ? QStringLiteral(", ") + result->problem : QString();
            log.warn(element, QStringLiteral("unreadable content%1; restored as an empty item").arg(why));
            return ClipboardContent();
        }

        if (stored.typeId() == QMetaType::QString && stored.toString().startsWith(variantPrefix)) {
            // QSettings leaves a "@Variant(" value that lacks its closing parenthesis as text.
            const auto result = decode(stored.toString());
            if (!result.type.isValid()) {
                log.warn(
                    element,
                    QStringLiteral("unreadable content, %1; restored as an empty item").arg(result.problem));
                return ClipboardContent();
            }
            warnDamaged(element, result);
            return result.content;
        }

        ClipboardContent converted;
        if (QMetaType::convert(stored.metaType(), stored.constData(), contentType, &converted))
            return converted;
        log.warn(
            element,
            QStringLiteral("the stored content is a %1, not a clipboard content; restored as an empty item")
                .arg(QLatin1String(stored.metaType().name())));
        return ClipboardContent();
    }

private:
    struct Decoded
    {
        ClipboardContent content;
        QString problem;
        QMetaType type; // the type the stream names, when it names a known one
    };

    static Decoded decode(const QString &text)
    {
        // Like QSettings: the bytes after "@Variant(", the closing parenthesis included.
        const bool closed = text.endsWith(QLatin1Char(')'));
        const auto result =
            ContentStreamReader::readVariant(QStringView(text).sliced(variantPrefix.size()).toLatin1());
        Decoded decoded{result.content, result.problem, QMetaType()};
        if (result.isContent)
            decoded.type = result.isLegacyName ? QMetaType::fromType<LegacyClipboardContent>()
                                               : QMetaType::fromType<ClipboardContent>();
        if (decoded.problem.isEmpty() && !closed)
            decoded.problem = QStringLiteral("the stored text lacks its closing parenthesis");
        return decoded;
    }

    std::optional<Decoded> decodeRawText()
    {
        if (settings.format() != QSettings::IniFormat && settings.format() != QSettings::NativeFormat)
            return std::nullopt;
        if (!rawValues)
            rawValues = IniFileReader::readValues(settings.fileName(), arrayGroup);
        // The current group is the element's.
        const auto text = rawValues->constFind(settings.group() + QLatin1Char('/') + contentKey);
        if (text == rawValues->constEnd())
            return std::nullopt;
        if (!text->startsWith(variantPrefix))
            return Decoded{ClipboardContent(), QStringLiteral("the stored text is no variant"), QMetaType()};
        return decode(*text);
    }

    void warnDamaged(const QString &element, const Decoded &decoded) const
    {
        if (decoded.problem.isEmpty())
            return;
        const qsizetype kept = decoded.content.size();
        const QString what = kept == 0 ? QStringLiteral("restored as an empty item")
                             : kept == 1
                                 ? QStringLiteral("kept the format read before the damage")
                                 : QStringLiteral("kept the %1 formats read before the damage").arg(kept);
        log.warn(element, QStringLiteral("damaged content, %1; %2").arg(decoded.problem, what));
    }

    QSettings &settings;
    const ProblemLog &log;
    const QString arrayGroup;
    std::optional<QHash<QString, QString>> rawValues;
};

QClipboard::Mode readMode(QSettings &settings, const QString &element, const ProblemLog &log)
{
    const QVariant stored = settings.value(modeKey);
    bool ok = false;
    const uint mode = stored.toUInt(&ok);
    if (!stored.isValid())
        log.warn(element, QStringLiteral("no clipboard mode is stored; using the clipboard"));
    else if (!ok)
        log.warn(element, QStringLiteral("the clipboard mode \"%1\" is not a number; using the clipboard")
                              .arg(ContentStreamReader::printable(describe(stored))));
    else if (mode > QClipboard::LastMode)
        // QClipboard::Mode cannot hold other values (loading one is undefined behaviour).
        log.warn(element, QStringLiteral("the clipboard mode %1 is unknown; using the clipboard").arg(mode));
    else
        return static_cast<QClipboard::Mode>(mode);
    return QClipboard::Clipboard;
}

ContentType readContentType(QSettings &settings, const QString &element, const ProblemLog &log)
{
    const QVariant stored = settings.value(contentTypeKey);
    bool ok = false;
    const uint type = stored.toUInt(&ok);
    if (!stored.isValid())
        log.warn(element, QStringLiteral("no content type is stored; using plain text"));
    else if (!ok)
        log.warn(element, QStringLiteral("the content type \"%1\" is not a number; using plain text")
                              .arg(ContentStreamReader::printable(describe(stored))));
    // Unknown types are kept: the presentation has fallbacks for them.
    return ok ? static_cast<ContentType>(type) : PlainText;
}

// One element of "contentFiles": "<format> <SHA-256> <size>". The format is what precedes the
// last two spaces, so a format name with spaces in it reads back too.
struct ContentFileEntry
{
    QString format;
    QByteArray sha256;
    qint64 size = -1;
};

std::optional<ContentFileEntry> parseContentFile(const QString &text)
{
    const qsizetype sizeAt = text.lastIndexOf(QLatin1Char(' '));
    const qsizetype hashAt = sizeAt > 0 ? text.lastIndexOf(QLatin1Char(' '), sizeAt - 1) : -1;
    if (hashAt <= 0)
        return std::nullopt;
    ContentFileEntry entry;
    entry.format = text.first(hashAt);
    const QStringView hash = QStringView(text).sliced(hashAt + 1, sizeAt - hashAt - 1);
    bool ok = false;
    entry.size = QStringView(text).sliced(sizeAt + 1).toLongLong(&ok);
    if (!ok || entry.size < 0 || !ContentFileStore::isHashName(hash) || entry.format.trimmed().isEmpty())
        return std::nullopt;
    entry.sha256 = hash.toLatin1();
    return entry;
}

QString contentFileText(const QString &format, const LargeContent &content)
{
    // One arg() call: a format name holding "%3" (a damaged or hostile one) must stay as it is.
    return QStringLiteral("%1 %2 %3")
        .arg(format, QLatin1String(content.sha256()), QString::number(content.size()));
}

// The elements of the current element's "contentFiles", or nullopt when its value is no list of
// texts. A list of one element reads back from the file as a plain text. unreadable counts the
// elements that are no texts (a hand edit, or what SettingsFileCheck took out); the others count.
std::optional<QStringList> contentFileTexts(QSettings &settings, qsizetype *unreadable = nullptr)
{
    const QVariant stored = settings.value(contentFilesKey);
    if (!stored.isValid())
        return settings.contains(contentFilesKey) ? std::nullopt : std::optional<QStringList>(QStringList());
    if (stored.typeId() == QMetaType::QStringList)
        return stored.toStringList();
    if (stored.typeId() == QMetaType::QString)
        return QStringList{stored.toString()};
    // QSettings writes an element with control characters in its own notation and reads such a
    // list back as a list of variants.
    if (stored.typeId() == QMetaType::QVariantList) {
        QStringList texts;
        for (const QVariant &element : stored.toList()) {
            if (element.typeId() == QMetaType::QString)
                texts.append(element.toString());
            else if (unreadable)
                ++*unreadable;
        }
        return texts;
    }
    return std::nullopt;
}

// The format the text of a stored item is read from when the item has no "text" of its own.
QString textFormat(const ClipboardContent &content, const LargeContents &large)
{
    for (const QString &format : {plainText, plainTextUtf8}) {
        if (content.contains(format) || large.contains(format))
            return format;
    }
    return QString();
}

// Whether loading gives the item's text back from its formats, so that it need not be stored
// beside them. A large text format is taken to hold it: reading its file to compare would cost
// every save as much as the file.
bool isDerivedText(const Item &item)
{
    const QString format = textFormat(item.content(), item.largeContents());
    if (format.isEmpty())
        return item.text().isEmpty();
    const auto small = item.content().constFind(format);
    return small == item.content().cend() || QString::fromUtf8(*small) == item.text();
}

// The item's text: stored beside the formats when they do not give it (an offer without
// "text/plain", a list of links), else read from the text format.
QString readText(QSettings &settings, const ClipboardContent &content, const LargeContents &large)
{
    const QVariant stored = settings.value(textKey);
    if (stored.typeId() == QMetaType::QString)
        return stored.toString();
    if (stored.typeId() == QMetaType::QStringList)
        return stored.toStringList().join(QLatin1String(", "));
    const QString format = textFormat(content, large);
    const auto small = content.constFind(format);
    if (small != content.cend())
        return QString::fromUtf8(*small);
    return format.isEmpty() ? QString() : QString::fromUtf8(large.value(format).bytes());
}

// Reads the large formats of one element and checks their files (existence and size: the bytes
// are checked when they are read). What is unsound is dropped with one warning each. A listed
// format whose content is small (a hand edit) is read into the content.
LargeContents readContentFiles(QSettings &settings, const QString &element, const ProblemLog &log,
                               ClipboardContent &content)
{
    LargeContents large;
    qsizetype unreadable = 0;
    const std::optional<QStringList> texts = contentFileTexts(settings, &unreadable);
    if (!texts) {
        log.warn(element,
                 QStringLiteral("the list of content files cannot be read; its formats are dropped"));
        return large;
    }
    if (unreadable > 0)
        log.warn(element, QStringLiteral("%1 of the list of content files cannot be read; dropped")
                              .arg(unreadable == 1 ? QStringLiteral("an entry")
                                                   : QStringLiteral("%1 entries").arg(unreadable)));
    for (const QString &text : *texts) {
        const std::optional<ContentFileEntry> entry = parseContentFile(text);
        if (!entry) {
            log.warn(
                element,
                QStringLiteral("the content file entry \"%1\" is not \"<format> <SHA-256> <size>\"; dropped")
                    .arg(ContentStreamReader::printable(text)));
            continue;
        }
        const QString format = ContentStreamReader::printable(entry->format);
        if (content.contains(entry->format) || large.contains(entry->format)) {
            log.warn(element, QStringLiteral("\"%1\" is stored twice; the second is dropped").arg(format));
            continue;
        }
        // Counted as in use before the file is looked at: a removal of unused files running
        // meanwhile either leaves it or is seen as missing here.
        const LargeContent stored(entry->sha256, entry->size);
        QString problem;
        const QString where = QStringLiteral(" (%1)").arg(ContentFileStore::filePath(entry->sha256));
        const bool readNow = entry->size <= LargeContent::threshold || entry->format == plainText ||
                             entry->format == plainTextUtf8;
        ContentFileStore::Verdict verdict = ContentFileStore::Sound;
        QByteArray bytes;
        // Read now: a small format belongs in the content, and the text is needed at once.
        if (readNow)
            bytes = ContentFileStore::read(entry->sha256, entry->size, &problem, &verdict);
        else
            verdict = ContentFileStore::check(entry->sha256, entry->size, &problem);
        if (verdict == ContentFileStore::Wrong) {
            log.warn(element,
                     QStringLiteral("\"%1\": %2%3; the format is dropped").arg(format, problem, where));
            continue;
        }
        if (verdict == ContentFileStore::Unreachable) {
            // Proves nothing about the file: the reference stays, and the file is tried again when
            // its bytes are needed.
            log.warn(element,
                     QStringLiteral("\"%1\": %2%3; kept, and tried again later").arg(format, problem, where));
        } else if (entry->size <= LargeContent::threshold) {
            content.insert(entry->format, bytes);
            continue;
        }
        large.insert(entry->format, stored);
    }
    return large;
}

} // namespace

void HistoryStore::checkStoredTypeName()
{
    static bool warned = false;
    if (warned)
        return;
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_0);
        out << QVariant::fromValue(ClipboardContent());
    }
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_4_0);
    quint32 variantType = 0;
    QByteArray name;
    in >> variantType >> name;
    name.truncate(name.indexOf('\0'));
    const QByteArray ownName = QMetaType::fromType<ClipboardContent>().name();
    if (name != ownName) {
        warned = true;
        qWarning("Clipboard contents are being stored as \"%s\" instead of \"%s\": an alias of "
                 "Morv::ClipboardContent has been registered",
                 name.constData(), ownName.constData());
    }
}

QList<Item> HistoryStore::loadHistory(QSettings &settings)
{
    LegacyClipboardContent::registerMetaTypes();
    const ProblemLog log(settings, QStringLiteral("history"));
    QList<Item> items;
    settings.beginGroup(historyGroup);
    const QStringList elements = arrayElements(settings, log);
    settings.beginGroup(itemsArray);
    ContentReader contentReader(settings, log);
    for (const QString &element : elements) {
        settings.beginGroup(element);
        if (!settings.contains(modeKey) && !settings.contains(contentTypeKey) &&
            !settings.contains(contentKey) && !settings.contains(contentFilesKey)) {
            log.warn(element, QStringLiteral("nothing of the item is stored; restored as an empty item"));
            items.append(Item(QClipboard::Clipboard, PlainText, ClipboardContent()));
        } else {
            const QClipboard::Mode mode = readMode(settings, element, log);
            const ContentType type = readContentType(settings, element, log);
            // An item of large formats alone may have lost its (empty) "content" to a hand edit.
            ClipboardContent content;
            if (settings.contains(contentKey) || !settings.contains(contentFilesKey))
                content = contentReader.read(element);
            const LargeContents large = settings.contains(contentFilesKey)
                                            ? readContentFiles(settings, element, log, content)
                                            : LargeContents();
            if (settings.contains(contentFilesKey) && content.isEmpty() && large.isEmpty())
                log.warn(element, QStringLiteral("no format is left; dropped"));
            else
                items.append(Item(mode, type, content, large, readText(settings, content, large)));
        }
        settings.endGroup();
    }
    settings.endGroup();
    settings.endGroup();
    return items;
}

bool HistoryStore::storeContents(const QList<Item> &items, QString *error)
{
    bool written = false;
    QString why;
    for (const Item &item : items) {
        const LargeContents &large = item.largeContents();
        for (auto it = large.cbegin(); it != large.cend(); ++it) {
            if (it->isStored())
                continue;
            if (!it->store(&why)) {
                if (error)
                    *error = QStringLiteral("the content of \"%1\" cannot be stored in %2: %3")
                                 .arg(it.key(), ContentFileStore::folder(), why);
                return false;
            }
            written = true;
        }
    }
    // The new names once for all of them, before anything may name the files.
    if (written && !ContentFileStore::syncFolder(&why)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(ContentFileStore::folder(), why);
        return false;
    }
    return true;
}

bool HistoryStore::saveHistory(QSettings &settings, const QList<Item> &items, bool clearItemsOnExit,
                               QString *error)
{
    checkStoredTypeName();
    // The content files first: the settings file never names one that is not complete on disk.
    if (!clearItemsOnExit && !storeContents(items, error))
        return false;
    settings.beginGroup(historyGroup);
    settings.remove(itemsArray);
    if (!clearItemsOnExit) {
        settings.beginWriteArray(itemsArray);
        int index = 0;
        for (const Item &item : items) {
            QStringList files;
            const LargeContents &large = item.largeContents();
            for (auto it = large.cbegin(); it != large.cend(); ++it) {
                // A file proven missing or damaged since the load has been reported already.
                if (it->isAvailable())
                    files.append(contentFileText(it.key(), *it));
            }
            // Nothing of it can be given any more: no empty row in its place.
            if (!large.isEmpty() && files.isEmpty() && item.content().isEmpty())
                continue;
            settings.setArrayIndex(index++);
            settings.setValue(modeKey, int(item.mode()));
            // Unsigned: the same text as an int for every known type, and an unknown type above
            // the int range (taken over from a damaged file) still reads back.
            settings.setValue(contentTypeKey, uint(item.contentType()));
            settings.setValue(contentKey, QVariant::fromValue(item.content()));
            if (!files.isEmpty())
                settings.setValue(contentFilesKey, files);
            if (!isDerivedText(item))
                settings.setValue(textKey, item.text());
        }
        settings.endArray();
    }
    settings.endGroup();
    return true;
}

QSet<QByteArray> HistoryStore::contentFileHashes(QSettings &settings)
{
    QSet<QByteArray> hashes;
    settings.beginGroup(historyGroup);
    settings.beginGroup(itemsArray);
    for (const QString &element : settings.childGroups()) {
        settings.beginGroup(element);
        if (const std::optional<QStringList> texts = contentFileTexts(settings)) {
            for (const QString &text : *texts) {
                if (const std::optional<ContentFileEntry> entry = parseContentFile(text))
                    hashes.insert(entry->sha256);
            }
        }
        settings.endGroup();
    }
    settings.endGroup();
    settings.endGroup();
    return hashes;
}

QList<Item> HistoryStore::loadSticky(QSettings &settings)
{
    const ProblemLog log(settings, QStringLiteral("sticky"));
    QList<Item> items;
    settings.beginGroup(stickyGroup);
    const QStringList elements = arrayElements(settings, log);
    settings.beginGroup(itemsArray);
    for (const QString &element : elements) {
        settings.beginGroup(element);
        const QVariant stored = settings.value(textKey);
        QString text;
        if (stored.typeId() == QMetaType::QStringList) {
            // A text with commas edited in by hand without quotes reads as a list.
            text = stored.toStringList().join(QLatin1String(", "));
            log.warn(element,
                     QStringLiteral("the text holds commas without quotes; joined the parts with \", \""));
        } else if (!stored.isValid() && settings.contains(textKey)) {
            log.warn(element, QStringLiteral("the stored text cannot be read; dropped"));
        } else if (stored.isValid() && !stored.canConvert<QString>()) {
            log.warn(element, QStringLiteral("the stored text is a %1; dropped")
                                  .arg(QLatin1String(stored.metaType().name())));
        } else {
            text = stored.toString();
        }
        settings.endGroup();
        // An empty text makes no item.
        const Item item(text);
        if (item.isValid())
            items.append(item);
    }
    settings.endGroup();
    settings.endGroup();
    return items;
}

void HistoryStore::saveSticky(QSettings &settings, const QList<Item> &items)
{
    settings.beginGroup(stickyGroup);
    settings.remove(itemsArray);
    settings.beginWriteArray(itemsArray);
    for (int i = 0; i < items.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(textKey, items.at(i).text());
    }
    settings.endArray();
    settings.endGroup();
}

} // namespace Morv
