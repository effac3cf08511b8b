// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "inifilereader.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace Morv {

// QSettings decodes the values in its "@Variant(...)" notation with Qt's own readers as soon as
// something looks into the section that holds them (a lookup, childGroups(), any write), and
// those readers trust the counts they read: a damaged count has them reserve gigabytes, which
// recent Qt answers with std::bad_alloc from inside QSettings, where it cannot be caught safely.
// So every settings file is checked here before a QSettings object reads it: each such value (a
// whole value or an element of a list) goes through VariantStreamCheck, and a file holding any that
// Qt could not read safely is mended. The original bytes are kept first, in a file beside it whose
// name the warning gives; then an unsafe value is left out of the file (its line goes, so a
// preference reads as its default and a history item as having no such value), and an unsafe
// element of a list becomes "@Invalid()", so that the other elements stay.
class SettingsFileCheck
{
public:
    struct Unsafe
    {
        QString key;               // as QSettings names it
        QString problem;           // what VariantStreamCheck found
        IniFileReader::Span bytes; // what goes: the whole line, or the raw text of one element
        bool isElement = false;    // an element of a list: replaced by "@Invalid()", not removed
    };

    // The values of a settings file's bytes that QSettings must not decode.
    static QList<Unsafe> unsafeValues(QByteArrayView contents);
    // The bytes with those values taken out.
    static QByteArray withoutUnsafeValues(QByteArrayView contents, const QList<Unsafe> &unsafe);

    // Makes the file safe for QSettings to read; to be called before every QSettings object for it is
    // made or synced. A file unchanged since it was last found safe is not read again. Takes the
    // lock QSettings writes under only when the file must be mended. False, with the reason, when
    // the file holds unsafe values and could not be mended: QSettings must not read it then.
    static bool makeSafe(const QString &fileName, QString *error = nullptr);

    // For a writer that holds the file's lock and has read its bytes: the bytes QSettings may read.
    // When values had to go, the original is kept beside the file first, and one warning per value
    // says so; nullopt, with the reason, when it could not be kept.
    static std::optional<QByteArray> mended(const QString &fileName, const QByteArray &contents,
                                            QString *error = nullptr);

    // The name the original of a mended file is kept under: beside it, with ".damaged-" and the
    // date and time.
    static QString keptCopyName(const QString &fileName);
};

} // namespace Morv
