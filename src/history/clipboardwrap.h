// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QClipboard>
#include <QList>
#include <QObject>

class KSystemClipboard;
class QMimeData;
class QTimer;

namespace Morv {

// The program's only access to the platform clipboards. Gathers the platform's change
// notifications of one pass of the event loop into one per clipboard, emitted in the order the
// clipboards first changed, and drops those that the program's own writes cause while they are
// being made. (Keeping only the last clipboard of a pass lost copies: programs that set the
// clipboard and the selection in one go had their clipboard copy dropped.)
class ClipboardWrap : public QObject
{
    Q_OBJECT

public:
    static ClipboardWrap *instance();

    ~ClipboardWrap() override;

    // The current offer of a clipboard, or null; the caller does not own it.
    const QMimeData *mimeData(QClipboard::Mode mode) const;

    // Publishes the data (ownership passes to the platform clipboard) with notifications muted.
    void setMimeData(QMimeData *mime, QClipboard::Mode mode);

Q_SIGNALS:
    void changed(QClipboard::Mode mode);

private Q_SLOTS:
    void onChanged(QClipboard::Mode mode);
    void emitChanged();

private:
    ClipboardWrap();

    KSystemClipboard *clipboard;
    bool enabled = true;
    QList<QClipboard::Mode> pendingModes;
    QTimer *timer;
};

} // namespace Morv
