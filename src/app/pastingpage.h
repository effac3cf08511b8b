// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "ui_pastingpage.h"

#include <QWidget>

namespace Morv {

// The page of the preferences dialog for pasting into the window the user came from
// ("pasteOnChoose") and the window classes that paste with Ctrl+Shift+V ("terminalClasses"). It
// shows the stored values when it is built; save() writes them. Where no keys can be sent to
// other windows (PasteKeys::availability) both are disabled, and the page says why.
class PastingPage
    : public QWidget
    , public Ui::PastingPage
{
    Q_OBJECT

public:
    explicit PastingPage(QWidget *parent = nullptr);

    // Writes the preferences the user changed (through Preferences::setPreference; the dialog
    // syncs).
    void save();

private:
    QString unavailableReason() const;
};

} // namespace Morv
