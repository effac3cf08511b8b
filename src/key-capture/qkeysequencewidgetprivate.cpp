// SPDX-License-Identifier: GPL-2.0-or-later

#include "qkeysequencewidgetprivate.h"

#include "qshortcutbutton.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QToolButton>

QKeySequenceWidgetPrivate::QKeySequenceWidgetPrivate(QKeySequenceWidget *widget)
    : q(widget)
{}

QKeySequenceWidgetPrivate::~QKeySequenceWidgetPrivate() = default;

void QKeySequenceWidgetPrivate::setUp(const QKeySequence &seq, const QString &noneString)
{
    layout = new QHBoxLayout(q);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);

    clearToolButton = new QToolButton(q);
    clearToolButton->setText(QStringLiteral("x"));
    layout->addWidget(clearToolButton);

    captureButton = new QShortcutButton(this, q);

    noneText = noneString.isNull() ? QStringLiteral("...") : noneString;
    q->setKeySequence(QKeySequence());
    sequence = seq;

    captureButton->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(captureButton);

    clearButtonPlacement = QKeySequenceWidget::ShowRight;

    clearToolButton->setIcon(QIcon::fromTheme(QStringLiteral("dialog-cancel"),
                                              QIcon(QStringLiteral(":/icons/dialog-cancel.png"))));
    clearToolButton->setFocusPolicy(Qt::NoFocus);

    refreshText();
    placeClearButton();
}

void QKeySequenceWidgetPrivate::placeClearButton()
{
    qDebug("update view ");
    switch (int(clearButtonPlacement)) {
    case QKeySequenceWidget::NoShow:
        clearToolButton->hide();
        break;
    case QKeySequenceWidget::ShowLeft:
        clearToolButton->show();
        layout->setDirection(QBoxLayout::LeftToRight);
        break;
    case QKeySequenceWidget::ShowRight:
        clearToolButton->show();
        layout->setDirection(QBoxLayout::RightToLeft);
        break;
    default:
        layout->setDirection(QBoxLayout::LeftToRight);
        break;
    }
}

void QKeySequenceWidgetPrivate::refreshText()
{
    // An ampersand would be taken for a mnemonic marker and disappear from the button.
    QString text = sequence.toString(QKeySequence::NativeText).replace(QLatin1Char('&'), QLatin1String("&&"));
    if (recording) {
        if (heldModifiers) {
            if (!text.isEmpty())
                text += QLatin1Char(',');
            if (heldModifiers & Qt::MetaModifier)
                text += QLatin1String("Meta + ");
            if (heldModifiers & Qt::ControlModifier)
                text += QLatin1String("Ctrl + ");
            if (heldModifiers & Qt::AltModifier)
                text += QLatin1String("Alt + ");
            if (heldModifiers & Qt::ShiftModifier)
                text += QLatin1String("Shift + ");
        }
        text += QLatin1String("...");
    }
    if (text.isEmpty())
        text = noneText;
    captureButton->setText(text);
}

void QKeySequenceWidgetPrivate::beginCapture()
{
    keyCount = 0;
    heldModifiers = 0;
    previousSequence = sequence;
    sequence = QKeySequence();
    recording = true;
    captureButton->setDown(true);
    captureButton->grabKeyboard();
    if (!QWidget::keyboardGrabber())
        qWarning("Failed to grab the keyboard! Most likely qt's nograb option is active");
    refreshText();
}

void QKeySequenceWidgetPrivate::finishCapture()
{
    idleTimer.stop();
    recording = false;
    captureButton->releaseKeyboard();
    captureButton->setDown(false);
    if (sequence != previousSequence)
        Q_EMIT q->keySequenceChanged(sequence);
    refreshText();
}

void QKeySequenceWidgetPrivate::abandonCapture()
{
    sequence = previousSequence;
    finishCapture();
}

void QKeySequenceWidgetPrivate::rearmIdleTimer()
{
    if (keyCount != 0 && heldModifiers == 0)
        idleTimer.start(IdleInterval);
    else
        idleTimer.stop();
}
