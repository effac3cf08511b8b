// SPDX-License-Identifier: GPL-2.0-or-later

#include "contentstreamreader.h"

#include "legacyclipboardcontent.h"

#include <QDataStream>
#include <QIODevice>
#include <QMetaType>
#include <QtEndian>

#include <limits>

namespace Morv {

namespace {

// QVariant's user type in streams of version Qt_4_0.
constexpr quint32 streamedUserType = 127;
// The length that stands for a null string or byte array.
constexpr quint32 nullLength = 0xffffffff;

// Reads a 32-bit length and that many bytes. The length is checked against what is left before
// anything is allocated, so a damaged length costs nothing. Returns the fault, if any.
QString readBlock(QDataStream &stream, const QString &what, QByteArray &bytes, bool &isNull)
{
    QIODevice *device = stream.device();
    isNull = false;
    if (device->bytesAvailable() < qint64(sizeof(quint32)))
        return QStringLiteral("the stream ends inside the length of %1").arg(what);
    quint32 length = 0;
    stream >> length;
    if (length == nullLength) {
        isNull = true;
        bytes = QByteArray();
        return QString();
    }
    const qint64 left = device->bytesAvailable();
    if (qint64(length) > left || length > quint32(std::numeric_limits<int>::max()))
        return QStringLiteral("%1 declares %2 bytes, more than the %3 left").arg(what).arg(length).arg(left);
    bytes = QByteArray(qsizetype(length), Qt::Uninitialized);
    if (stream.readRawData(bytes.data(), int(length)) != int(length))
        return QStringLiteral("%1 could not be read").arg(what);
    return QString();
}

} // namespace

QString ContentStreamReader::readEntries(QDataStream &stream, ClipboardContent &content)
{
    if (!stream.device() || stream.device()->bytesAvailable() < qint64(sizeof(quint32)))
        return QStringLiteral("the stream ends before the number of formats");
    quint32 count = 0;
    stream >> count;

    // Every entry takes at least two lengths, so a damaged count ends at the end of the bytes.
    for (quint32 i = 0; i < count; ++i) {
        const QString where = QStringLiteral("format %1 of %2").arg(i + 1).arg(count);
        QByteArray raw;
        bool isNull = false;
        QString problem = readBlock(stream, QStringLiteral("the name"), raw, isNull);
        if (!problem.isEmpty())
            return where + QStringLiteral(": ") + problem;
        if (raw.size() % 2 != 0)
            return where + QStringLiteral(": the name has an odd length of %1 bytes").arg(raw.size());
        QString name;
        if (!isNull) {
            name = QString(raw.size() / 2, Qt::Uninitialized);
            qFromBigEndian<char16_t>(raw.constData(), name.size(), name.data());
        }

        QByteArray data;
        problem = readBlock(stream, QStringLiteral("the data"), data, isNull);
        if (!problem.isEmpty())
            return where + QStringLiteral(" (") + printable(name) + QStringLiteral("): ") + problem;
        content.insert(name, data);
    }
    return QString();
}

ContentStreamReader::Result ContentStreamReader::readVariant(QByteArrayView bytes)
{
    Result result;
    const QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QDataStream stream(data);
    stream.setVersion(QDataStream::Qt_4_0);

    if (data.size() < qsizetype(sizeof(quint32))) {
        result.problem = QStringLiteral("the stream ends before the type of the value");
        return result;
    }
    quint32 variantType = 0;
    stream >> variantType;
    if (variantType != streamedUserType) {
        result.problem =
            QStringLiteral("it holds a value of variant type %1, not a clipboard content").arg(variantType);
        return result;
    }

    QByteArray name;
    bool isNull = false;
    result.problem = readBlock(stream, QStringLiteral("the type name"), name, isNull);
    if (!result.problem.isEmpty())
        return result;
    // The name is stored with its terminating zero; QVariant looks up what comes before it.
    const qsizetype end = name.indexOf('\0');
    if (end >= 0)
        name.truncate(end);
    const QMetaType type = name.isEmpty() ? QMetaType() : QMetaType::fromName(name);
    if (!type.isValid()) {
        result.problem =
            QStringLiteral("its type \"%1\" is unknown").arg(printable(QString::fromLatin1(name)));
        return result;
    }
    if (type != QMetaType::fromType<ClipboardContent>() &&
        type != QMetaType::fromType<LegacyClipboardContent>()) {
        result.problem =
            QStringLiteral("it holds a %1, not a clipboard content").arg(QLatin1String(type.name()));
        return result;
    }

    result.isContent = true;
    result.isLegacyName = type == QMetaType::fromType<LegacyClipboardContent>();
    result.problem = readEntries(stream, result.content);
    return result;
}

QString ContentStreamReader::printable(const QString &text)
{
    constexpr qsizetype limit = 60;
    QString result;
    for (const QChar c : QStringView(text).left(limit))
        result += c.isPrint() ? c : QLatin1Char('?');
    if (text.size() > limit)
        result += QLatin1String("...");
    return result;
}

} // namespace Morv
