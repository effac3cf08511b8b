// SPDX-License-Identifier: GPL-2.0-or-later

#include "clipboardwrap.h"

#include "ksystemclipboard.h"

#include <QTimer>

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
    return clipboard->mimeData(mode);
}

void ClipboardWrap::setMimeData(QMimeData *mime, QClipboard::Mode mode)
{
    // Platforms that report our own write synchronously do so inside this call.
    enabled = false;
    clipboard->setMimeData(mime, mode);
    enabled = true;
}

void ClipboardWrap::onChanged(QClipboard::Mode mode)
{
    if (!enabled)
        return;
    if (!pendingModes.contains(mode))
        pendingModes.append(mode);
    timer->start();
}

void ClipboardWrap::emitChanged()
{
    // A receiver may write to a clipboard, and a platform may report that later in this pass.
    const QList<QClipboard::Mode> modes = std::exchange(pendingModes, {});
    for (QClipboard::Mode mode : modes)
        Q_EMIT changed(mode);
}

} // namespace Morv
