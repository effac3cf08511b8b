// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "ksystemclipboard.h"

// The clipboards as QClipboard sees them: X11 and every Qt platform whose QClipboard reports
// changes made by other programs.
class QtSystemClipboard : public KSystemClipboard
{
    Q_OBJECT

public:
    explicit QtSystemClipboard(QObject *parent = nullptr);

    const QMimeData *mimeData(QClipboard::Mode mode) const override;
    void setMimeData(QMimeData *mime, QClipboard::Mode mode) override;

private:
    static bool supports(QClipboard::Mode mode);
};
