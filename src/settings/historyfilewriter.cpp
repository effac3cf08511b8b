// SPDX-License-Identifier: GPL-2.0-or-later

#include "historyfilewriter.h"

#include "inifilereader.h"
#include "item.h"
#include "privatefile.h"

#include <QDataStream>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QVariant>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <numeric>
#include <utility>

namespace Morv {

namespace {

const QLatin1String historyGroup("dynamic");
const QLatin1String historyArray("dynamic/items");

// QSettings waits as long as it takes for the lock; a writer that gives up reports the failure and
// keeps the history for the next save instead of hanging the program at exit.
constexpr int lockTimeoutMs = 10000;

bool isHistoryKey(const QString &key)
{
    return key.startsWith(historyArray) &&
           (key.size() == historyArray.size() || key.at(historyArray.size()) == QLatin1Char('/'));
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A byte range of the old file that goes into the new one.
struct Range
{
    qsizetype begin;
    qsizetype end;
};

// A section of the old file: its header line (none for the lines before the first header) and
// the lines kept from it.
struct Section
{
    QString name; // empty for the section General
    bool hasHeader = false;
    QList<Range> kept;
    int keyLines = 0;       // assignments kept
    bool lostLines = false; // history lines dropped from it

    bool isHistoryGroup() const { return hasHeader && name == historyGroup; }

    // Without the blank lines and spaces at its end, as QSettings ends a section's last line.
    void trimEnd(QByteArrayView data)
    {
        while (!kept.isEmpty()) {
            Range &last = kept.last();
            while (last.end > last.begin && isBlank(data.at(last.end - 1)))
                --last.end;
            if (last.end > last.begin)
                return;
            kept.removeLast();
        }
    }
};

void keep(Section &section, qsizetype begin, qsizetype end)
{
    if (!section.kept.isEmpty() && section.kept.last().end == begin)
        section.kept.last().end = end;
    else
        section.kept.append({begin, end});
}

// Splits the old file into sections and leaves out every line that holds a history key. A line
// takes with it the blank lines and comments up to the next one.
QList<Section> readSections(QByteArrayView data)
{
    struct Line
    {
        qsizetype start;
        QByteArrayView text;
        qsizetype equals;
    };
    QList<Line> lines;
    qsizetype position = data.startsWith("\xef\xbb\xbf") ? 3 : 0;
    QByteArrayView text;
    qsizetype equals = -1;
    while (IniFileReader::nextLine(data, position, text, equals))
        lines.append({text.data() - data.data(), text, equals});

    QList<Section> sections(1);
    // What precedes the first line (a byte order mark, comments) stays where it is.
    const qsizetype firstLine = lines.isEmpty() ? data.size() : lines.first().start;
    if (firstLine > 0)
        keep(sections.first(), 0, firstLine);

    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line &line = lines.at(i);
        const qsizetype end = i + 1 < lines.size() ? lines.at(i + 1).start : data.size();
        if (line.text.startsWith('[')) {
            Section section;
            section.name = IniFileReader::sectionName(line.text);
            section.hasHeader = true;
            keep(section, line.start, end);
            sections.append(section);
            continue;
        }
        Section &section = sections.last();
        if (line.equals >= 0) {
            const QString key = IniFileReader::unescapeKey(line.text.first(line.equals).trimmed());
            if (isHistoryKey(section.name.isEmpty() ? key : section.name + QLatin1Char('/') + key)) {
                section.lostLines = true;
                continue;
            }
            ++section.keyLines;
        }
        keep(section, line.start, end);
    }
    return sections;
}

class Output
{
public:
    explicit Output(QSaveFile &file)
        : file(file)
    {}

    void write(QByteArrayView bytes)
    {
        if (ok && file.write(bytes.data(), bytes.size()) != bytes.size())
            ok = false;
        position += bytes.size();
    }

    bool ok = true;
    qint64 position = 0;

private:
    QSaveFile &file;
};

// The array as QSettings writes it: keys in the order of their names, so "items\10\..." comes
// before "items\2\...", and the size last.
void writeItems(Output &out, const QList<Item> &items)
{
    QList<int> indices(items.size());
    std::iota(indices.begin(), indices.end(), 1);
    std::sort(indices.begin(), indices.end(),
              [](int a, int b) { return QByteArray::number(a) < QByteArray::number(b); });

    QByteArray line;
    for (const int index : std::as_const(indices)) {
        const Item &item = items.at(index - 1);
        const QByteArray prefix = "items\\" + QByteArray::number(index) + '\\';

        QByteArray value = "@Variant(";
        {
            // The stream QSettings writes for a variant of a user type.
            QDataStream stream(&value, QIODevice::Append);
            stream.setVersion(QDataStream::Qt_4_0);
            stream << QVariant::fromValue(item.content());
        }
        value += ')';
        line = prefix + "content=";
        HistoryFileWriter::appendEscapedValue(value, line);
        value.clear();
        line += '\n';
        // Unsigned: an unknown type above the int range, taken over from a damaged file, still
        // reads back.
        line += prefix + "contentType=" + QByteArray::number(uint(item.contentType())) + '\n';
        line += prefix + "mode=" + QByteArray::number(int(item.mode())) + '\n';
        out.write(line);
    }
    out.write("items\\size=" + QByteArray::number(items.size()) + '\n');
}

// How QSettings writes one byte of a value: as itself, or as an escape. After "\0" and "\xNN" a
// hexadecimal digit would read as part of the escape, so it is escaped too: the table of that
// state escapes the digits as well.
struct Escape
{
    char text[4];
    quint8 length;
    bool escapesNextDigit;
};

struct EscapeTables
{
    Escape plain[256];
    Escape afterEscape[256];

    EscapeTables()
    {
        static const char hexDigits[] = "0123456789abcdef";
        const auto hex = [](uint c) {
            Escape e{{'\\', 'x', hexDigits[c >> 4], hexDigits[c & 15]}, 4, true};
            if (c < 16) {
                e.text[2] = hexDigits[c];
                e.length = 3;
            }
            return e;
        };
        // Characters with an escape of their own.
        static const char named[][2] = {{'\a', 'a'}, {'\b', 'b'}, {'\f', 'f'}, {'\n', 'n'}, {'\r', 'r'},
                                        {'\t', 't'}, {'\v', 'v'}, {'"', '"'},  {'\\', '\\'}};
        for (uint c = 0; c < 256; ++c) {
            Escape e{{char(c)}, 1, false};
            if (c == 0)
                e = {{'\\', '0'}, 2, true};
            else if (c <= 0x1f || c >= 0x7f)
                e = hex(c);
            for (const auto &[character, letter] : named) {
                if (uchar(character) == c)
                    e = {{'\\', letter}, 2, false};
            }
            plain[c] = e;
            // A digit right after an escape is escaped and keeps the state.
            afterEscape[c] = std::isxdigit(int(c)) ? hex(c) : e;
        }
    }
};

} // namespace

void HistoryFileWriter::appendEscapedValue(QByteArrayView latin1, QByteArray &out)
{
    static const EscapeTables tables;
    const qsizetype start = out.size();
    // Room for the quotes and for "\xNN" per byte, the longest escape.
    out.resize(start + 2 + latin1.size() * 4);
    char *const first = out.data() + start + 1;
    char *p = first;
    bool needsQuotes = false;
    const Escape *table = tables.plain;

    for (const char byte : latin1) {
        const uchar c = uchar(byte);
        needsQuotes |= c == ';' || c == ',' || c == '=';
        const Escape &e = table[c];
        std::memcpy(p, e.text, 4);
        p += e.length;
        table = e.escapesNextDigit ? tables.afterEscape : tables.plain;
    }

    const qsizetype length = p - first;
    if (needsQuotes || (length > 0 && (first[0] == ' ' || p[-1] == ' '))) {
        out[start] = '"';
        *p++ = '"';
        out.truncate(p - out.constData());
    } else {
        std::memmove(out.data() + start, first, size_t(length));
        out.truncate(start + length);
    }
}

bool HistoryFileWriter::Layout::isCurrent(const QString &fileName) const
{
    const QFileInfo info(fileName);
    return fileSize >= 0 && info.size() == fileSize && info.lastModified().toMSecsSinceEpoch() == modified;
}

bool HistoryFileWriter::write(const QString &fileName, const QList<Item> &items, bool clearItemsOnExit,
                              QString *error, Layout *layout)
{
    Layout unused;
    if (!layout)
        layout = &unused;
    const Layout last = std::exchange(*layout, Layout());
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };

    PrivateFile::make(fileName);
    QLockFile lock(fileName + QLatin1String(".lock"));
    if (!lock.tryLock(lockTimeoutMs)) {
        return fail(lock.error() == QLockFile::LockFailedError
                        ? QStringLiteral("another program holds the file's lock")
                        : QStringLiteral("its lock file cannot be created"));
    }

    // The old file, read where it lies: only its other sections are copied.
    QFile old(fileName);
    QByteArrayView data;
    if (old.open(QIODevice::ReadOnly) && old.size() > 0) {
        const uchar *mapped = old.map(0, old.size());
        if (!mapped)
            return fail(QStringLiteral("it cannot be read: ") + old.errorString());
        data = QByteArrayView(mapped, old.size());
    }

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    Output out(file);
    qint64 historyBegin = -1;
    qint64 historyEnd = -1;

    if (!clearItemsOnExit && last.historyBegin >= 0 && last.isCurrent(fileName)) {
        // The file as the last write left it: the same bytes around a new history section.
        out.write(data.first(last.historyBegin));
        historyBegin = out.position;
        out.write("[dynamic]\n");
        writeItems(out, items);
        historyEnd = out.position;
        out.write(data.sliced(last.historyEnd));
    } else {
        QList<Section> sections = readSections(data);
        qsizetype target = -1;
        for (qsizetype i = 0; i < sections.size() && target < 0; ++i) {
            if (sections.at(i).isHistoryGroup())
                target = i;
        }
        if (target < 0 && !clearItemsOnExit) {
            // A new section goes where QSettings sorts it: after the section General, before the
            // first section whose name sorts after it.
            target = sections.size();
            for (qsizetype i = 0; i < sections.size(); ++i) {
                const Section &section = sections.at(i);
                if (section.hasHeader && !section.name.isEmpty() && section.name > historyGroup) {
                    target = i;
                    break;
                }
            }
            Section history;
            history.name = historyGroup;
            history.hasHeader = true;
            sections.insert(target, history);
        }

        bool first = true;
        for (qsizetype i = 0; i < sections.size(); ++i) {
            Section &section = sections[i];
            section.trimEnd(data);
            const bool writesItems = i == target && !clearItemsOnExit;
            if (section.kept.isEmpty() && !writesItems)
                continue;
            // A section whose keys were all history keys goes, as QSettings drops empty groups.
            if (section.hasHeader && section.keyLines == 0 && !writesItems &&
                (section.lostLines || section.isHistoryGroup()))
                continue;
            if (!first)
                out.write("\n");
            first = false;
            // Only a section of nothing but the array can be replaced whole next time.
            const bool headerOnly = section.kept.isEmpty() ||
                                    (section.kept.size() == 1 && section.keyLines == 0 &&
                                     data.sliced(section.kept.first().begin,
                                                 section.kept.first().end - section.kept.first().begin) ==
                                         QByteArrayView("[dynamic]"));
            if (writesItems && headerOnly) {
                historyBegin = out.position;
                out.write("[dynamic]\n");
            } else {
                for (const Range &range : std::as_const(section.kept))
                    out.write(data.sliced(range.begin, range.end - range.begin));
                out.write("\n");
            }
            if (writesItems) {
                writeItems(out, items);
                if (headerOnly)
                    historyEnd = out.position;
            }
        }
    }

    if (!out.ok)
        return fail(file.errorString());
    if (!file.commit())
        return fail(file.errorString());
    const QFileInfo written(fileName);
    *layout = {written.size(), written.lastModified().toMSecsSinceEpoch(), historyBegin, historyEnd};
    return true;
}

} // namespace Morv
