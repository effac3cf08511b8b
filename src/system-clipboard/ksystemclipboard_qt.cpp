// SPDX-License-Identifier: GPL-2.0-or-later

#include "ksystemclipboard_qt.h"

#include <QGuiApplication>
#include <QMimeData>

QtSystemClipboard::QtSystemClipboard(QObject *parent)
    : KSystemClipboard(parent)
{
    connect(QGuiApplication::clipboard(), &QClipboard::changed, this, &KSystemClipboard::changed);
}

bool QtSystemClipboard::supports(QClipboard::Mode mode)
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    switch (mode) {
    case QClipboard::Clipboard:
        return true;
    case QClipboard::Selection:
        return clipboard->supportsSelection();
    case QClipboard::FindBuffer:
        return clipboard->supportsFindBuffer();
    }
    return false;
}

const QMimeData *QtSystemClipboard::mimeData(QClipboard::Mode mode) const
{
    if (!supports(mode))
        return nullptr;
    return QGuiApplication::clipboard()->mimeData(mode);
}

void QtSystemClipboard::setMimeData(QMimeData *mime, QClipboard::Mode mode)
{
    if (!supports(mode)) {
        delete mime;
        return;
    }
    QGuiApplication::clipboard()->setMimeData(mime, mode);
}
