// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QRandomGenerator>

// Bytes that do not compress, as a picture's do not: the same ones for the same variant, others
// for every other.
inline QByteArray noise(quint32 variant, qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(variant);
    const qsizetype words = size / qsizetype(sizeof(quint32));
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), words);
    for (qsizetype i = words * qsizetype(sizeof(quint32)); i < size; ++i)
        bytes[i] = char(random.bounded(256));
    return bytes;
}
