// SPDX-License-Identifier: GPL-2.0-or-later

#include "variantstreamcheck.h"

#include "clipboardcontent.h"
#include "contentstreamreader.h"
#include "legacyclipboardcontent.h"

#include <QDataStream>
#include <QIODevice>
#include <QMetaType>
#include <QtEndian>

namespace Morv {

namespace {

// The variant types of streams of version Qt_4_0 that the check reads. QMetaType gives these
// types the same numbers, so a type named in a user-type entry maps onto them too.
enum StreamType : quint32 {
    Invalid = 0,
    Bool = 1,
    Int = 2,
    UInt = 3,
    LongLong = 4,
    ULongLong = 5,
    Double = 6,
    Char = 7,
    Map = 8,
    List = 9,
    String = 10,
    StringList = 11,
    ByteArray = 12,
    Hash = 28,
    User = 127, // followed by the type's name
};

// The length that stands for a null text or byte array.
constexpr quint32 nullLength = 0xffffffff;
// The fewest bytes one element of a list takes: a variant its type, a text its length.
constexpr qint64 elementBytes = 4;

class Walker
{
public:
    explicit Walker(QByteArrayView bytes)
        : bytes(bytes)
        , budget(bytes.size())
    {}

    // How far a read got: through the value, to where Qt's reader stops too (the stream ends or
    // is damaged: safe), or to something unsafe (problem says what).
    enum Step { Read, Stopped, Unsafe };

    Step variant(int depth)
    {
        quint32 type = 0;
        if (!number(type))
            return Stopped;
        if (type == User) {
            QByteArray name;
            if (block(Bytes, &name) != Read)
                return Stopped;
            // The name is stored with its terminating zero; Qt looks up what comes before it.
            if (const qsizetype end = name.indexOf('\0'); end >= 0)
                name.truncate(end);
            const QMetaType metaType = name.isEmpty() ? QMetaType() : QMetaType::fromName(name);
            if (!metaType.isValid())
                return Stopped; // Qt gives up on an unknown name
            if (metaType == QMetaType::fromType<ClipboardContent>() ||
                metaType == QMetaType::fromType<LegacyClipboardContent>())
                return content();
            if (metaType.id() == User || !isKnown(quint32(metaType.id()))) {
                problem =
                    QStringLiteral("a value of type %1, which this program does not store and cannot check")
                        .arg(ContentStreamReader::printable(QString::fromLatin1(name)));
                return Unsafe;
            }
            type = quint32(metaType.id());
        }
        if (!isKnown(type)) {
            problem = QStringLiteral(
                          "a value of variant type %1, which this program does not store and cannot check")
                          .arg(type);
            return Unsafe;
        }
        return value(type, depth);
    }

    QString problem;

private:
    static bool isKnown(quint32 type) { return type <= ByteArray || type == Hash; }

    Step value(quint32 type, int depth)
    {
        switch (type) {
        case Invalid:
            // Streams older than Qt 5 carry an empty text for an invalid value.
            return block(Text);
        case Bool:
            return skip(1);
        case Char:
            return skip(2);
        case Int:
        case UInt:
            return skip(4);
        case LongLong:
        case ULongLong:
        case Double:
            return skip(8);
        case String:
            return block(Text);
        case ByteArray:
            return block(Bytes);
        default:
            break;
        }

        // The containers.
        if (depth >= VariantStreamCheck::maximumDepth) {
            problem = QStringLiteral("lists or maps nested more than %1 deep")
                          .arg(VariantStreamCheck::maximumDepth);
            return Unsafe;
        }
        quint32 count = 0;
        if (!number(count))
            return Stopped;
        const bool isMap = type == Map || type == Hash;
        // A map entry is a text and a variant.
        const qint64 bytesEach = isMap ? 2 * elementBytes : elementBytes;
        const qint64 left = bytes.size() - position;
        if (qint64(count) * bytesEach > left || qint64(count) * bytesEach > budget) {
            const char *what = type == List         ? "a list of %1 values"
                               : type == StringList ? "a list of %1 texts"
                                                    : "a map of %1 entries";
            problem = QStringLiteral("%1 in %2")
                          .arg(QString::fromLatin1(what).arg(count),
                               left == 1 ? QStringLiteral("1 byte") : QStringLiteral("%1 bytes").arg(left));
            return Unsafe;
        }
        budget -= qint64(count) * bytesEach;
        for (quint32 i = 0; i < count; ++i) {
            Step step = Read;
            if (isMap) {
                step = block(Text);
                if (step == Read)
                    step = variant(depth + 1);
            } else if (type == StringList) {
                step = block(Text);
            } else {
                step = variant(depth + 1);
            }
            if (step != Read)
                return step;
        }
        return Read;
    }

    // A clipboard content: its reader keeps to the bytes there are.
    Step content()
    {
        const QByteArray rest = QByteArray::fromRawData(bytes.data() + position, bytes.size() - position);
        QDataStream stream(rest);
        stream.setVersion(QDataStream::Qt_4_0);
        ClipboardContent unused;
        if (!ContentStreamReader::readEntries(stream, unused).isEmpty())
            return Stopped;
        position += stream.device()->pos();
        return Read;
    }

    bool number(quint32 &value)
    {
        if (bytes.size() - position < 4)
            return false;
        value = qFromBigEndian<quint32>(bytes.data() + position);
        position += 4;
        return true;
    }

    Step skip(qsizetype size)
    {
        if (bytes.size() - position < size)
            return Stopped;
        position += size;
        return Read;
    }

    enum BlockKind { Bytes, Text };

    // A length and that many bytes (UTF-16 for a text, so an even number), or the null length.
    // Qt's readers of texts and byte arrays read a long one in pieces of a megabyte, so a length
    // beyond the end costs little: they stop there.
    Step block(BlockKind kind, QByteArray *data = nullptr)
    {
        quint32 length = 0;
        if (!number(length))
            return Stopped;
        if (length == nullLength)
            return Read;
        if (qint64(length) > bytes.size() - position || (kind == Text && length % 2 != 0))
            return Stopped;
        if (data)
            *data = QByteArray(bytes.data() + position, qsizetype(length));
        position += qsizetype(length);
        return Read;
    }

    const QByteArrayView bytes;
    qsizetype position = 0;
    // What the counts read so far may still declare, in bytes.
    qint64 budget;
};

} // namespace

QString VariantStreamCheck::problem(QByteArrayView stream)
{
    Walker walker(stream);
    return walker.variant(0) == Walker::Unsafe ? walker.problem : QString();
}

} // namespace Morv
