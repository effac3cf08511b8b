// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "clipboardcontent.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QDataStream;

namespace Morv {

// Reads stored clipboard contents from the bytes of a QDataStream (version Qt_4_0, big-endian) as
// QSettings writes them inside "@Variant(...)": the variant type 127, the type's name, then the
// hash's entry count and per entry the MIME type (UTF-16) and its bytes, each behind a 32-bit length.
//
// Unlike Qt's own reader, which empties the whole hash at the first fault, this one keeps the
// entries read before a fault and says what the fault was. It never trusts a declared length: a
// length larger than the bytes left is a fault, found before anything is allocated for it.
class ContentStreamReader
{
public:
    struct Result
    {
        ClipboardContent content;  // the entries read before any fault
        QString problem;           // empty when the stream was sound
        bool isContent = false;    // the stream names the content type or one of its former names
        bool isLegacyName = false; // ... one of its former names
    };

    // Reads a whole variant stream (what follows "@Variant(" in the settings file).
    static Result readVariant(QByteArrayView bytes);

    // Reads the entry count and the entries from the stream's current position into content.
    // Returns the fault, or an empty string when the entries were all sound.
    static QString readEntries(QDataStream &stream, ClipboardContent &content);

    // A piece of damaged data fit for a one-line message: control characters replaced, cut short.
    static QString printable(const QString &text);
};

} // namespace Morv
