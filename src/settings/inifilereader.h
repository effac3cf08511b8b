// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>

namespace Morv {

// Reads the raw text of values from an INI file written by QSettings, unescaped the way QSettings
// unescapes them but not yet turned into variants. QSettings decodes "@Variant(...)" values when it
// parses the file and hands out only the result: a stream damaged anywhere becomes an empty or an
// invalid value, and the bytes are gone. The history loader reads those values again from here to
// save what comes before the damage and to say what it was.
class IniFileReader
{
public:
    // The values whose full key (section and key, joined by "/", as QSettings names them) starts
    // with prefix. Keys are case-sensitive, as in QSettings outside Windows; of a key given twice,
    // the later value counts. Values that QSettings reads as lists are left out. An unreadable file
    // gives no values.
    static QHash<QString, QString> readValues(const QString &fileName, const QString &prefix);

private:
    // One value's text as QSettings unescapes it; false when QSettings would read the value as a
    // list.
    static bool unescapeValue(QByteArrayView text, QString &value);

    // The next logical line from position on, as QSettings splits a file: blank lines and comments
    // are skipped, an escaped line break or a quoted one continues the line. equals is the offset of
    // the first unquoted "=" in the line, -1 for none. False at the end of the data.
    static bool nextLine(QByteArrayView data, qsizetype &position, QByteArrayView &line, qsizetype &equals);

    // The group a section header line ("[name]") stands for: empty for the section General.
    static QString sectionName(QByteArrayView headerLine);

    // A key or section name as QSettings unescapes it: "\\" is the separator "/", %XX and %UXXXX
    // stand for characters.
    static QString unescapeKey(QByteArrayView key);
};

} // namespace Morv
