// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "item.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QtEndian>

// The test side of the stored format, written without Qt's stream or settings code: building
// "@Variant(...)" values byte by byte, decoding QSettings' INI escaping, and a readable form of
// loaded items for comparisons.
namespace StoredText {

inline QByteArray u32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

// A stream string: length in bytes, then UTF-16 big-endian.
inline QByteArray utf16(const QString &text)
{
    QByteArray bytes = u32(quint32(text.size() * 2));
    for (const QChar c : text)
        bytes += char(c.unicode() >> 8), bytes += char(c.unicode() & 0xff);
    return bytes;
}

inline QByteArray blob(const QByteArray &data)
{
    return data.isNull() ? u32(0xffffffff) : u32(quint32(data.size())) + data;
}

// Variant type 127, the zero-terminated type name with its length, then the entry count.
inline QByteArray header(const QByteArray &typeName, quint32 count)
{
    return u32(127) + u32(quint32(typeName.size() + 1)) + typeName + '\0' + u32(count);
}

inline QByteArray entry(const QString &format, const QByteArray &data)
{
    return utf16(format) + blob(data);
}

// An INI value holding the stream, every byte escaped as \xhh; closed by ")" unless cut.
inline QByteArray iniVariant(const QByteArray &stream, bool closed = true)
{
    QByteArray text = "\"@Variant(";
    for (const char c : stream)
        text += "\\x" + QByteArray::number(uchar(c), 16).rightJustified(2, '0');
    return text + (closed ? ")\"" : "\"");
}

// Undoes QSettings' escaping of one INI value: surrounding quotes, \0 and other octal escapes,
// \x with any number of hex digits, and the named escapes. Fails (returns a null array) on escapes
// above 0xff, which a "@Variant(" value never holds.
inline QByteArray unescape(QByteArray value)
{
    if (value.startsWith('"') && value.endsWith('"') && value.size() >= 2)
        value = value.mid(1, value.size() - 2);
    QByteArray out("");
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) != '\\') {
            out += value.at(i);
            continue;
        }
        if (++i == value.size())
            return QByteArray();
        const char c = value.at(i);
        const bool hex = c == 'x';
        if (hex || (c >= '0' && c <= '7')) {
            uint code = hex ? 0 : c - '0';
            const QByteArray digits = hex ? "0123456789abcdefABCDEF" : "01234567";
            while (i + 1 < value.size() && digits.contains(value.at(i + 1)))
                code = code * (hex ? 16 : 8) + QByteArray(1, value.at(++i)).toUInt(nullptr, 16);
            if (code > 0xff)
                return QByteArray();
            out += char(code);
            continue;
        }
        const QByteArray named = "a\ab\bf\fn\nr\rt\tv\v\"\"\\\\";
        const qsizetype at = named.indexOf(c);
        if (at < 0 || at % 2 != 0)
            return QByteArray();
        out += named.at(at + 1);
    }
    return out;
}

// The raw value of a key in a section of an INI text, still escaped.
inline QByteArray rawValue(const QByteArray &ini, const QByteArray &section, const QByteArray &key)
{
    bool inSection = false;
    for (const QByteArray &line : ini.split('\n')) {
        if (line.startsWith('['))
            inSection = line == '[' + section + ']';
        else if (inSection && line.startsWith(key + '='))
            return line.mid(key.size() + 1);
    }
    return QByteArray();
}

// "mode type {format=data, ...}" with formats sorted, data shown as text when printable ASCII,
// else in hex; null data as <null>. A large format shows as "sha256:" and the hash of its bytes,
// wherever they are kept.
inline QString describe(const Morv::Item &item)
{
    QMap<QString, QByteArray> sorted;
    for (auto it = item.content().cbegin(); it != item.content().cend(); ++it)
        sorted.insert(it.key(), it.value());
    for (auto it = item.largeContents().cbegin(); it != item.largeContents().cend(); ++it)
        sorted.insert(it.key(),
                      "sha256:" +
                          QCryptographicHash::hash(item.data(it.key()), QCryptographicHash::Sha256).toHex());
    QStringList entries;
    for (auto it = sorted.cbegin(); it != sorted.cend(); ++it) {
        const QByteArray &data = it.value();
        bool printable = true;
        for (const char c : data)
            printable = printable && c >= 0x20 && c < 0x7f;
        entries << it.key() + QLatin1Char('=') +
                       (data.isNull() ? QStringLiteral("<null>")
                        : printable   ? QString::fromLatin1(data)
                                      : QStringLiteral("0x") + QString::fromLatin1(data.toHex()));
    }
    return QStringLiteral("%1 %2 {%3}")
        .arg(int(item.mode()))
        .arg(uint(item.contentType()))
        .arg(entries.join(QLatin1String(", ")));
}

inline QStringList describe(const QList<Morv::Item> &items)
{
    QStringList result;
    for (const Morv::Item &item : items)
        result << (item.contentType() == Morv::Sticky ? item.text() : describe(item));
    return result;
}

} // namespace StoredText
