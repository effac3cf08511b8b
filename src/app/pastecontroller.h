// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>

class QMenu;

namespace Morv {

class Model;

// With "pasteOnChoose" on, presses the paste keys in the window the user came from once a choice
// from the history menu has put its content on the clipboard and the menu has closed. The window
// is taken as the menu is about to open (PasteKeys::rememberTarget), whichever way it opens; a
// menu closed without a choice sends nothing. The keys are Ctrl+Shift+V for the window classes of
// "terminalClasses". Both preferences are read when they are needed, never kept.
class PasteController : public QObject
{
    Q_OBJECT

public:
    // Watches the menu and the model, which must outlive it.
    PasteController(QMenu *menu, Model *model, QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void menuAboutToShow();
    void chosenOnClipboard();
    void menuHidden();
    void paste();

    QMenu *const menu;
    // A target was taken as the menu opened, and no paste has used it yet.
    bool targetTaken = false;
    // A choice came while the menu was still shown: the paste waits for it to close.
    bool pasteWhenHidden = false;
};

} // namespace Morv
