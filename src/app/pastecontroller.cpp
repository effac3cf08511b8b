// SPDX-License-Identifier: GPL-2.0-or-later

#include "pastecontroller.h"

#include "model.h"
#include "pastekeys.h"
#include "preferences.h"

#include <QEvent>
#include <QMenu>
#include <QTimer>

namespace Morv {

PasteController::PasteController(QMenu *menu, Model *model, QObject *parent)
    : QObject(parent)
    , menu(menu)
{
    connect(menu, &QMenu::aboutToShow, this, &PasteController::menuAboutToShow);
    connect(model, &Model::chosenOnClipboard, this, &PasteController::chosenOnClipboard);
    menu->installEventFilter(this);
}

bool PasteController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == menu && event->type() == QEvent::Hide)
        menuHidden();
    return QObject::eventFilter(watched, event);
}

void PasteController::menuAboutToShow()
{
    targetTaken = false;
    pasteWhenHidden = false;
    // Off (the default), nothing of the platform is asked.
    if (!Preferences::instance()->pasteOnChoose())
        return;
    PasteKeys *keys = PasteKeys::instance();
    if (!keys->isAvailable())
        return;
    keys->rememberTarget();
    targetTaken = keys->hasTarget();
}

void PasteController::chosenOnClipboard()
{
    if (!targetTaken || !Preferences::instance()->pasteOnChoose())
        return;
    if (menu->isVisible())
        pasteWhenHidden = true;
    else
        paste();
}

void PasteController::menuHidden()
{
    if (pasteWhenHidden) {
        paste();
        return;
    }
    // A menu chooses after it has hidden itself: a choice of this closing comes before the
    // next pass of the event loop; without one, the target is let go.
    QTimer::singleShot(0, this, [this] {
        if (!menu->isVisible())
            targetTaken = false;
    });
}

void PasteController::paste()
{
    targetTaken = false;
    pasteWhenHidden = false;
    PasteKeys::instance()->paste(Preferences::instance()->terminalClasses());
}

} // namespace Morv
