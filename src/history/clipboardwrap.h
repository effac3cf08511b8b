// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QClipboard>
#include <QList>
#include <QObject>

#include <array>
#include <memory>

class KSystemClipboard;
class QMimeData;
class QTimer;

namespace Morv {

// The program's only access to the platform clipboards. Gathers the platform's change
// notifications of one pass of the event loop into one per offer, emitted in the order they came,
// and drops those that the program's own writes cause while they are being made.
//
// Where the backend shares its offers (KSystemClipboard::sharedMimeData), each new offer of a pass
// is kept until its signal: while changed(mode) is emitted for it, mimeData(mode) answers that
// offer, though a newer one may have replaced it on the platform meanwhile. So two copies that
// arrive in one pass (the GUI thread was busy) are both seen, oldest first. Notifications of one
// offer are one signal. Where the backend cannot share them, a pass gives one signal per
// clipboard, in the order the clipboards first changed, and mimeData() answers the newest offer.
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

    // Whether the platform reads the primary selection at all (KSystemClipboard::setSelectionWatched).
    void setSelectionWatched(bool watched);

    // While paused, nothing other programs copy is read (KSystemClipboard::setReadingPaused) and
    // no change is reported, not even an emptied clipboard; the program's own writes work as
    // ever. Resumed, what the clipboards hold then stays unread: the next copy is reported. A
    // new process starts unpaused.
    void setPaused(bool paused);
    bool isPaused() const { return paused; }

Q_SIGNALS:
    void changed(QClipboard::Mode mode);
    void pausedChanged(bool paused);

private Q_SLOTS:
    void onChanged(QClipboard::Mode mode);
    void emitChanged();

private:
    ClipboardWrap();

    struct Change
    {
        QClipboard::Mode mode;
        std::shared_ptr<const QMimeData> offer; // null where the backend does not share offers
    };

    KSystemClipboard *clipboard;
    bool enabled = true;
    bool paused = false;
    QList<Change> pending;
    // The offer whose change is being emitted, by mode.
    std::array<std::shared_ptr<const QMimeData>, 3> delivered;
    QTimer *timer;
};

} // namespace Morv
