// SPDX-License-Identifier: GPL-2.0-or-later

#include "qshortcutbutton.h"

#include "qkeysequencewidgetprivate.h"

#include <QDebug>
#include <QKeyEvent>

QShortcutButton::QShortcutButton(QKeySequenceWidgetPrivate *owner, QWidget *parent)
    : QPushButton(parent)
    , owner(owner)
{
    qDebug("qShortcut button Create");
    qDebug().nospace() << "parent----" << parent;
    qDebug().nospace() << "visible " << isVisible();
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
}

QShortcutButton::~QShortcutButton()
{
    qDebug("qShortcut button delete");
}

QSize QShortcutButton::sizeHint() const
{
    return QPushButton::sizeHint();
}

bool QShortcutButton::event(QEvent *e)
{
    if (owner->recording) {
        switch (e->type()) {
        case QEvent::ShortcutOverride:
            // Claimed, so that no shortcut, mnemonic or default button of the window takes the
            // key: it must arrive here as a key press.
            e->accept();
            return true;
        case QEvent::FocusOut:
            owner->abandonCapture();
            return true;
        case QEvent::KeyPress:
            keyPressEvent(static_cast<QKeyEvent *>(e));
            return true;
        default:
            break;
        }
    }
    return QPushButton::event(e);
}

void QShortcutButton::keyPressEvent(QKeyEvent *e)
{
    qDebug("key pressed");
    const int key = e->key();

    // A key Qt cannot identify cannot be stored: the capture is cancelled. Outside a capture such
    // a key must not touch the stored combination, so it only goes on to the button.
    if (key == -1 && owner->recording) {
        owner->abandonCapture();
        Q_EMIT owner->q->keyNotSupported();
    }

    if (!owner->recording) {
        // Neither starts a capture from the keyboard: a capture begins with a click only.
        if (key == Qt::Key_Space || key == Qt::Key_Return)
            return;
        QPushButton::keyPressEvent(e);
        return;
    }

    e->accept();
    owner->heldModifiers = int(e->modifiers()) & QKeySequenceWidgetPrivate::ModifierBits;

    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_Menu:
        owner->rearmIdleTimer();
        owner->refreshText();
        return;
    case Qt::Key_AltGr:
    case 0:
        return;
    default:
        break;
    }

    // Shift+Tab arrives as Backtab; the combination to remember is Shift with Tab.
    int combination = key | owner->heldModifiers;
    if (key == Qt::Key_Backtab && (owner->heldModifiers & Qt::ShiftModifier))
        combination = Qt::Key_Tab | owner->heldModifiers;

    if (owner->keyCount == 0)
        owner->sequence = QKeySequence(QKeyCombination::fromCombined(combination));
    ++owner->keyCount;
    if (owner->keyCount >= QKeySequenceWidgetPrivate::MaximumKeys) {
        owner->finishCapture();
        return;
    }
    owner->rearmIdleTimer();
    owner->refreshText();
}

void QShortcutButton::keyReleaseEvent(QKeyEvent *e)
{
    qDebug("key released");
    if (e->key() == -1)
        return;
    if (!owner->recording) {
        QAbstractButton::keyReleaseEvent(e);
        return;
    }

    e->accept();
    const int now = int(e->modifiers()) & QKeySequenceWidgetPrivate::ModifierBits;
    // The release of an ordinary key changes nothing, and a modifier pressed since the last key
    // press is not taken up here.
    if ((owner->heldModifiers & now) == owner->heldModifiers)
        return;
    owner->heldModifiers = now;
    owner->rearmIdleTimer();
    owner->refreshText();
}
