// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace Morv {

// Reads the raw text of values from an INI file written by QSettings, unescaped the way QSettings
// unescapes them but not yet turned into variants. QSettings decodes "@Variant(...)" values when it
// parses the file and hands out only the result: a stream damaged anywhere becomes an empty or an
// invalid value, and the bytes are gone. The history loader reads those values again from here to
// save what comes before the damage and to say what it was, and SettingsFileCheck finds here the
// values that must not reach Qt's decoder at all.
class IniFileReader
{
public:
    // The values whose full key (section and key, joined by "/", as QSettings names them) starts
    // with prefix. Keys are case-sensitive, as in QSettings outside Windows; of a key given twice,
    // the later value counts. Values that QSettings reads as lists are left out. An unreadable file
    // gives no values.
    static QHash<QString, QString> readValues(const QString &fileName, const QString &prefix);

    // A range of the file's bytes.
    struct Span
    {
        qsizetype begin = 0;
        qsizetype end = 0;
    };

    // One line of the file that QSettings reads as a value, and where its parts are.
    struct Assignment
    {
        QString key;          // section and key, joined by "/"
        QStringList elements; // the value's text, or the elements of a list
        bool isList = false;
        Span line;               // the whole logical line, without its line break
        QList<Span> rawElements; // the text of each element, quotes and escapes included
    };

    // Every assignment of an INI file's bytes, in the order of the file; a key given twice is
    // there twice (QSettings decodes both).
    static QList<Assignment> readAssignments(QByteArrayView data);

private:
    // One value's text as QSettings unescapes it: the single value, or the elements of a list (then
    // isList is set). rawElements gets the offsets of each element's text in text.
    static QStringList unescapeValue(QByteArrayView text, bool &isList, QList<Span> &rawElements);

    // The next logical line from position on, as QSettings splits a file: blank lines and comments
    // are skipped, an escaped line break or a quoted one continues the line. equals is the offset of
    // the first unquoted "=" in the line, -1 for none. False at the end of the data.
    static bool nextLine(QByteArrayView data, qsizetype &position, QByteArrayView &line, qsizetype &equals);

    // The prefix a section header line ("[name]") gives its keys, as QSettings reads it: "name/",
    // empty for the section General, "/" for a section without a name.
    static QString sectionPrefix(QByteArrayView headerLine);

    // A key or section name as QSettings unescapes it: "\\" is the separator "/", %XX and %UXXXX
    // stand for characters.
    static QString unescapeKey(QByteArrayView key);
};

} // namespace Morv
