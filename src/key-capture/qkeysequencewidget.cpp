// SPDX-License-Identifier: GPL-2.0-or-later

#include "qkeysequencewidget.h"

#include "qkeysequencewidgetprivate.h"
#include "qshortcutbutton.h"

#include <QDebug>
#include <QToolButton>

QKeySequenceWidget::QKeySequenceWidget(QWidget *parent)
    : QWidget(parent)
    , d(new QKeySequenceWidgetPrivate(this))
{
    d->setUp(QKeySequence(), QString());
    connectParts();
}

QKeySequenceWidget::QKeySequenceWidget(const QKeySequence &seq, QWidget *parent)
    : QWidget(parent)
    , d(new QKeySequenceWidgetPrivate(this))
{
    qDebug("widget constructor");
    qDebug().nospace() << "q_prt " << this;
    d->setUp(seq, QString());
    connectParts();
}

QKeySequenceWidget::QKeySequenceWidget(const QString &noneString, QWidget *parent)
    : QWidget(parent)
    , d(new QKeySequenceWidgetPrivate(this))
{
    qDebug("widget constructor");
    qDebug().nospace() << "q_prt " << this;
    d->setUp(QKeySequence(), noneString);
    connectParts();
}

QKeySequenceWidget::QKeySequenceWidget(const QKeySequence &seq, const QString &noneString, QWidget *parent)
    : QWidget(parent)
    , d(new QKeySequenceWidgetPrivate(this))
{
    qDebug().nospace() << "q_prt " << this;
    d->setUp(seq, noneString);
    connectParts();
}

QKeySequenceWidget::~QKeySequenceWidget()
{
    delete d;
    d = nullptr;
}

void QKeySequenceWidget::connectParts()
{
    connect(d->clearToolButton, SIGNAL(clicked()), this, SLOT(clearKeySequence()));
    connect(&d->idleTimer, SIGNAL(timeout()), this, SLOT(doneRecording()));
    connect(d->captureButton, SIGNAL(clicked()), this, SLOT(captureKeySequence()));
}

QKeySequence QKeySequenceWidget::keySequence() const
{
    return d->sequence;
}

QKeySequenceWidget::ClearButtonShow QKeySequenceWidget::clearButtonShow() const
{
    return d->clearButtonPlacement;
}

QString QKeySequenceWidget::noneText() const
{
    return d->noneText;
}

QIcon QKeySequenceWidget::clearButtonIcon() const
{
    return d->clearToolButton->icon();
}

void QKeySequenceWidget::setToolTip(const QString &tip)
{
    d->captureButton->setToolTip(tip);
    d->clearToolButton->setToolTip(QString());
}

QSize QKeySequenceWidget::sizeHint() const
{
    return d->captureButton->sizeHint();
}

void QKeySequenceWidget::doneRecording()
{
    d->finishCapture();
}

void QKeySequenceWidget::captureKeySequence()
{
    d->beginCapture();
}

void QKeySequenceWidget::setKeySequence(const QKeySequence &key)
{
    if (!d->recording)
        d->previousSequence = d->sequence;
    // Ends a running capture first, reporting what it recorded so far.
    d->finishCapture();
    d->sequence = key;
    d->finishCapture();
}

void QKeySequenceWidget::clearKeySequence()
{
    setKeySequence(QKeySequence());
}

void QKeySequenceWidget::setNoneText(const QString &text)
{
    d->noneText = text;
    d->refreshText();
}

void QKeySequenceWidget::setClearButtonIcon(const QIcon &icon)
{
    d->clearToolButton->setIcon(icon);
}

void QKeySequenceWidget::setClearButtonShow(QKeySequenceWidget::ClearButtonShow show)
{
    d->clearButtonPlacement = show;
    d->placeClearButton();
}
