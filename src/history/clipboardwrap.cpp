// SPDX-License-Identifier: GPL-2.0-or-later

#include "clipboardwrap.h"

#include "ksystemclipboard.h"

#include <QTimer>

#include <QMimeData>

#include <algorithm>
#include <memory>
#include <utility>

namespace Morv {

ClipboardWrap *ClipboardWrap::instance()
{
    // Destroyed at process exit, after the entry point has returned.
    static const std::unique_ptr<ClipboardWrap> wrap(new ClipboardWrap);
    return wrap.get();
}

ClipboardWrap::ClipboardWrap()
    : QObject(nullptr)
    , clipboard(KSystemClipboard::instance())
    , timer(new QTimer)
{
    connect(clipboard, &KSystemClipboard::changed, this, &ClipboardWrap::onChanged);
    connect(timer, &QTimer::timeout, this, &ClipboardWrap::emitChanged);
    timer->setInterval(0);
    timer->setSingleShot(true);
}

ClipboardWrap::~ClipboardWrap()
{
    delete timer;
}

const QMimeData *ClipboardWrap::mimeData(QClipboard::Mode mode) const
{
    if (const std::shared_ptr<const QMimeData> &offer = delivered.at(size_t(mode)))
        return offer.get();
    return clipboard->mimeData(mode);
}

void ClipboardWrap::setMimeData(QMimeData *mime, QClipboard::Mode mode)
{
    // From now on the clipboard holds ours, also for a receiver of the change being emitted.
    delivered.at(size_t(mode)).reset();
    // Platforms that report our own write synchronously do so inside this call.
    enabled = false;
    clipboard->setMimeData(mime, mode);
    enabled = true;
}

void ClipboardWrap::setSelectionWatched(bool watched)
{
    clipboard->setSelectionWatched(watched);
}

void ClipboardWrap::setPaused(bool pause)
{
    if (pause == paused)
        return;
    paused = pause;
    if (paused) {
        // Changes of this pass not emitted yet were not taken either.
        pending.clear();
        timer->stop();
    }
    clipboard->setReadingPaused(paused);
    Q_EMIT pausedChanged(paused);
}

void ClipboardWrap::onChanged(QClipboard::Mode mode)
{
    if (!enabled || paused)
        return;
    std::shared_ptr<const QMimeData> offer = clipboard->sharedMimeData(mode);
    // An emptied clipboard that has a new owner already is not empty: restoring the history over
    // that owner would steal its copy.
    if (offer && !offer->formats().isEmpty()) {
        pending.removeIf([mode](const Change &change) {
            return change.mode == mode && change.offer && change.offer->formats().isEmpty();
        });
    }
    const bool known = std::any_of(pending.cbegin(), pending.cend(), [&](const Change &change) {
        return change.mode == mode && (!offer || change.offer == offer);
    });
    if (!known)
        pending.append({mode, std::move(offer)});
    timer->start();
}

void ClipboardWrap::emitChanged()
{
    // A receiver may write to a clipboard, and a platform may report that later in this pass.
    const QList<Change> changes = std::exchange(pending, {});
    for (const Change &change : changes) {
        delivered.at(size_t(change.mode)) = change.offer;
        Q_EMIT changed(change.mode);
        delivered.at(size_t(change.mode)).reset();
    }
}

} // namespace Morv
