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

    // Exposed for the tests: one value's text as QSettings unescapes it; false when QSettings
    // would read the value as a list.
    static bool unescapeValue(QByteArrayView text, QString &value);

private:
    static bool nextLine(QByteArrayView data, qsizetype &position, QByteArrayView &line, qsizetype &equals);
    static QString unescapeKey(QByteArrayView key);
};

} // namespace Morv
