// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "clipboardcontent.h"

#include <QString>

class QDataStream;

namespace Morv {

// A clipboard content stored by earlier versions of the program under the names
// "ClipboardContent" or "Morv::ClipboardContent" instead of "QHash<QString,QByteArray>". The stream
// layout is the same; only the name differs.
//
// The two names belong to this type, not to ClipboardContent, on purpose: QSettings stores a value
// under an alias of its type whenever one is registered (a different one from run to run when
// there are several), so the content type must never get one. Holding both names here lets old
// files load, and makes later attempts to register them for ClipboardContent (a
// Q_DECLARE_METATYPE, a qRegisterMetaType with a name) fail harmlessly, keeping the stored name
// stable.
struct LegacyClipboardContent
{
    ClipboardContent content;
    QString problem; // what was wrong with the stored bytes; empty when they were sound

    // Registers ClipboardContent under its own name (stored values are looked up by it) and this
    // type under the two former names, with a conversion to ClipboardContent. Runs during static
    // initialisation, before any code could register the names for ClipboardContent; calling it
    // again does nothing.
    static void registerMetaTypes();
};

// Reads the entries the way ContentStreamReader does: those before a fault are kept.
QDataStream &operator>>(QDataStream &stream, LegacyClipboardContent &legacy);
// Writes the entries in the same layout. The meta-type system streams a type only when it has both
// operators; the program itself stores contents only as ClipboardContent.
QDataStream &operator<<(QDataStream &stream, const LegacyClipboardContent &legacy);

} // namespace Morv
