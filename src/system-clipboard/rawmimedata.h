// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMimeData>
#include <QPair>
#include <QString>

// Clipboard content exactly as its owner sent it. QMimeData::setData turns text/uri-list into a
// list of URLs and hands it back re-encoded with CRLF line ends; this one gives back every type's
// bytes unchanged, in the order they were added. The typed accessors (text(), urls(), hasHtml())
// work from those bytes as usual, with every Qt.
class RawMimeData final : public QMimeData
{
    Q_OBJECT

public:
    // Formats with their bytes, in the order the owner listed them.
    using Entries = QList<QPair<QString, QByteArray>>;
    // Texts of formats decoded ahead, see addDecodedText().
    using DecodedTexts = QHash<QString, QString>;

    RawMimeData() = default;
    explicit RawMimeData(Entries entries, DecodedTexts decodedTexts = {});

    void add(const QString &format, const QByteArray &bytes);

    // The text of a format, decoded ahead (on the thread that read it) exactly as QMimeData decodes
    // it for text(): megabytes of text then cost the GUI thread nothing to ask for.
    void addDecodedText(const QString &format, const QString &text);

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    Entries entries;
    QHash<QString, QString> decodedTexts;
};
