// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QMimeData>
#include <QPair>
#include <QString>

// Clipboard content exactly as its owner sent it. QMimeData::setData turns text/uri-list into a
// list of URLs and hands it back re-encoded with CRLF line ends; this one gives back every type's
// bytes unchanged, in the order they were added. The typed accessors (text(), urls(), hasHtml())
// work from those bytes as usual.
class RawMimeData final : public QMimeData
{
    Q_OBJECT

public:
    void add(const QString &format, const QByteArray &bytes);

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    QList<QPair<QString, QByteArray>> entries;
};
