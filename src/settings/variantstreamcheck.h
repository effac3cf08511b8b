// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArrayView>
#include <QString>

namespace Morv {

// Tells whether Qt can decode a stored variant (the bytes QSettings reads inside "@Variant(...)",
// a QDataStream of version Qt_4_0) without being led by the bytes into allocating far more than they
// hold. Qt's readers trust the counts they read: a list that declares a billion elements gets room
// for a billion reserved before the first one is read, and recent Qt answers a failed reservation
// with std::bad_alloc from deep inside QSettings, where it cannot be caught safely.
//
// The check walks the stream with bounded reads of its own. It accepts the types a settings file
// normally holds (numbers, texts, byte arrays, lists and maps of them, and the program's clipboard
// contents, whose reader is bounded) when every count is paid for by the bytes left: each element
// takes at least four bytes, so all counts together may declare at most a quarter of the stream's
// length, and Qt then reserves at most a few times the stream's size. Anything else (a type the
// program never stores, nesting deeper than any settings file needs) is refused, since its reader
// cannot be checked.
class VariantStreamCheck
{
public:
    // Empty when Qt reads the stream safely, else what makes it unsafe, fit for a one-line message.
    // A stream that merely ends early or is damaged is safe: Qt's readers stop there.
    static QString problem(QByteArrayView stream);

    // The deepest nesting of lists and maps accepted.
    static constexpr int maximumDepth = 32;
};

} // namespace Morv
