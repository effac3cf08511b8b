// SPDX-License-Identifier: GPL-2.0-or-later

#include "inifilereader.h"

#include <QFile>
#include <QStringDecoder>

#include <array>

namespace Morv {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The characters that end, continue or quote a line, or start an assignment or a comment.
bool isSpecial(char c)
{
    static constexpr auto table = [] {
        std::array<bool, 256> special{};
        for (const char c : {'=', '\n', '\r', '\\', '"', ';'})
            special[uchar(c)] = true;
        return special;
    }();
    return table[uchar(c)];
}

int hexValue(char c)
{
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// The escapes that stand for one character.
char simpleEscape(char c)
{
    switch (c) {
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'v':
        return '\v';
    case '"':
    case '?':
    case '\'':
    case '\\':
        return c;
    default:
        return 0;
    }
}

void chopTrailingSpaces(QString &text, qsizetype limit)
{
    qsizetype n = text.size();
    while (n > limit && (text.at(n - 1) == QLatin1Char(' ') || text.at(n - 1) == QLatin1Char('\t')))
        --n;
    text.truncate(n);
}

} // namespace

QHash<QString, QString> IniFileReader::readValues(const QString &fileName, const QString &prefix)
{
    QHash<QString, QString> values;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return values;
    const QByteArray contents = file.readAll();
    for (Assignment &assignment : readAssignments(contents)) {
        if (!assignment.key.startsWith(prefix))
            continue;
        // A later line with the same key replaces an earlier one, as in QSettings.
        if (assignment.isList)
            values.remove(assignment.key);
        else
            values.insert(assignment.key, assignment.elements.constFirst());
    }
    return values;
}

QList<IniFileReader::Assignment> IniFileReader::readAssignments(QByteArrayView data)
{
    QList<Assignment> assignments;
    qsizetype position = data.startsWith("\xef\xbb\xbf") ? 3 : 0;
    QString section; // the prefix of the keys of the current section
    QByteArrayView line;
    qsizetype equals = -1;
    while (nextLine(data, position, line, equals)) {
        if (line.startsWith('[')) {
            section = sectionPrefix(line);
            continue;
        }
        if (equals < 0)
            continue; // a comment or a line that is no assignment
        Assignment assignment;
        assignment.key = section + unescapeKey(line.first(equals).trimmed());
        const qsizetype lineBegin = line.data() - data.data();
        assignment.line = {lineBegin, lineBegin + line.size()};
        const qsizetype valueBegin = lineBegin + equals + 1;
        assignment.elements =
            unescapeValue(line.sliced(equals + 1), assignment.isList, assignment.rawElements);
        for (Span &element : assignment.rawElements) {
            element.begin += valueBegin;
            element.end += valueBegin;
        }
        assignments.append(std::move(assignment));
    }
    return assignments;
}

bool IniFileReader::nextLine(QByteArrayView data, qsizetype &position, QByteArrayView &line,
                             qsizetype &equals)
{
    const qsizetype size = data.size();
    bool inQuotes = false;
    equals = -1;

    qsizetype start = position;
    while (start < size && isSpace(data.at(start)))
        ++start;

    qsizetype i = start;
    bool done = false;
    const char *const bytes = data.data();
    while (i < size && !done) {
        // Values can be megabytes long: ordinary characters are skipped in a tight loop.
        while (i < size && !isSpecial(bytes[i]))
            ++i;
        if (i >= size)
            break;
        const char c = bytes[i++];
        switch (c) {
        case '=':
            if (!inQuotes && equals < 0)
                equals = i - 1;
            break;
        case '\n':
        case '\r':
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                done = true;
            }
            break;
        case '\\':
            // An escaped line break continues the line.
            if (i < size) {
                const char next = data.at(i++);
                if (i < size) {
                    const char after = data.at(i);
                    if ((next == '\n' && after == '\r') || (next == '\r' && after == '\n'))
                        ++i;
                }
            }
            break;
        case '"':
            inQuotes = !inQuotes;
            break;
        case ';':
            if (i == start + 1) {
                // A comment: skip it and go on with the next line.
                while (i < size && data.at(i) != '\n' && data.at(i) != '\r')
                    ++i;
                while (i < size && isSpace(data.at(i)))
                    ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                done = true;
            }
            break;
        default:
            break;
        }
    }

    position = i;
    line = data.sliced(start, i - start);
    if (equals >= 0)
        equals -= start;
    return !line.isEmpty();
}

QString IniFileReader::sectionPrefix(QByteArrayView headerLine)
{
    qsizetype close = headerLine.indexOf(']');
    if (close < 0)
        close = headerLine.size();
    const QByteArrayView name = headerLine.first(close).sliced(1).trimmed();
    if (name.compare("general", Qt::CaseInsensitive) == 0)
        return QString();
    // "[]" is no General: its keys read as "/key", apart from the keys of General.
    if (name.compare("%general", Qt::CaseInsensitive) == 0)
        return QString::fromLatin1(name.sliced(1)) + QLatin1Char('/');
    return unescapeKey(name) + QLatin1Char('/');
}

QString IniFileReader::unescapeKey(QByteArrayView key)
{
    const QString decoded = QString::fromUtf8(key);
    const qsizetype size = decoded.size();
    QString result;
    result.reserve(size);
    qsizetype i = 0;
    while (i < size) {
        const QChar c = decoded.at(i);
        if (c == QLatin1Char('\\')) {
            result += QLatin1Char('/');
            ++i;
            continue;
        }
        if (c != QLatin1Char('%') || i == size - 1) {
            result += c;
            ++i;
            continue;
        }
        // %XX, or %UXXXX for characters beyond Latin-1
        qsizetype first = i + 1;
        qsizetype digits = 2;
        if (decoded.at(first) == QLatin1Char('U')) {
            ++first;
            digits = 4;
        }
        bool ok = false;
        const ushort code =
            first + digits <= size ? QStringView(decoded).sliced(first, digits).toUShort(&ok, 16) : 0;
        if (!ok) {
            result += QLatin1Char('%');
            ++i;
            continue;
        }
        result += QChar(code);
        i = first + digits;
    }
    return result;
}

QStringList IniFileReader::unescapeValue(QByteArrayView text, bool &isList, QList<Span> &rawElements)
{
    QStringList elements;
    rawElements.clear();
    QString value;
    const qsizetype size = text.size();
    QStringDecoder fromUtf8(QStringDecoder::Utf8);
    isList = false;
    bool inQuotes = false;
    bool quoted = false;
    // Whether the end of the text trims the last element: not after an escape cut short.
    bool trim = true;
    qsizetype i = 0;
    // Spaces before this position came from escapes or quotes and stay.
    qsizetype keep = 0;

    const auto skipSpaces = [&] {
        while (i < size && (text.at(i) == ' ' || text.at(i) == '\t'))
            ++i;
    };
    // The value, or the element, that ends at i.
    const auto finish = [&] {
        if (trim && !quoted)
            chopTrailingSpaces(value, keep);
        elements.append(value);
        rawElements.last().end = i;
    };
    skipSpaces();
    rawElements.append({i, i});

    while (i < size) {
        const char c = text.at(i);
        if (c == '\\') {
            if (++i >= size) {
                trim = false; // a lone backslash at the end: nothing more, not even trimming
                break;
            }
            const char escaped = text.at(i++);
            if (const char plain = simpleEscape(escaped)) {
                value += QLatin1Char(plain);
            } else if (escaped == 'x' || (escaped >= '0' && escaped <= '7')) {
                // Hexadecimal and octal escapes take every digit that follows; the value wraps at
                // 16 bits, as in QSettings.
                const bool hex = escaped == 'x';
                char16_t code = hex ? 0 : char16_t(escaped - '0');
                if (hex && i >= size) {
                    trim = false;
                    break;
                }
                if (hex && !isHexDigit(text.at(i))) {
                    keep = value.size(); // "\x" without digits stands for nothing
                    continue;
                }
                while (i < size &&
                       (hex ? isHexDigit(text.at(i)) : (text.at(i) >= '0' && text.at(i) <= '7'))) {
                    code =
                        char16_t(hex ? (code << 4) + hexValue(text.at(i)) : (code << 3) + (text.at(i) - '0'));
                    ++i;
                }
                value += QChar(code);
                if (i >= size) {
                    trim = false;
                    break;
                }
            } else if (escaped == '\n' || escaped == '\r') {
                if (i < size && (text.at(i) == '\n' || text.at(i) == '\r') && text.at(i) != escaped)
                    ++i;
            }
            // Any other escaped character is dropped.
            keep = value.size();
            continue;
        }
        if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipSpaces();
                keep = value.size();
            }
            continue;
        }
        if (c == ',' && !inQuotes) {
            // QSettings reads the value as a list.
            isList = true;
            finish();
            value.clear();
            quoted = false;
            ++i;
            skipSpaces();
            rawElements.append({i, i});
            keep = 0;
            continue;
        }
        qsizetype j = i + 1;
        while (j < size && text.at(j) != '\\' && text.at(j) != '"' && text.at(j) != ',')
            ++j;
        value += fromUtf8(text.sliced(i, j - i));
        i = j;
    }
    finish();
    return elements;
}

} // namespace Morv
