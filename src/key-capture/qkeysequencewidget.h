// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QWidget>

class QKeySequenceWidgetPrivate;

// Records one key combination by pressing it. A click on the button starts a capture: the button
// stays down, grabs the keyboard and shows the modifiers being held; the first real key pressed
// is stored with those modifiers, and the capture ends by itself 600 ms after the keys were let
// go (or at the fourth key). A small tool button beside it clears the combination.
class QKeySequenceWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QKeySequence keySequence READ keySequence WRITE setKeySequence)
    Q_PROPERTY(ClearButtonShow clearButton READ clearButtonShow WRITE setClearButtonShow)
    Q_PROPERTY(QString noneText READ noneText WRITE setNoneText)
    Q_PROPERTY(QIcon clearButtonIcon READ clearButtonIcon WRITE setClearButtonIcon)

public:
    // Where the clear button stands; the values are used one at a time.
    enum ClearButton { NoShow = 0, ShowLeft = 1, ShowRight = 2 };
    Q_DECLARE_FLAGS(ClearButtonShow, ClearButton)
    Q_FLAG(ClearButtonShow)

    explicit QKeySequenceWidget(QWidget *parent = nullptr);
    explicit QKeySequenceWidget(const QKeySequence &seq, QWidget *parent = nullptr);
    explicit QKeySequenceWidget(const QString &noneString, QWidget *parent = nullptr);
    QKeySequenceWidget(const QKeySequence &seq, const QString &noneString, QWidget *parent = nullptr);
    ~QKeySequenceWidget() override;

    QKeySequence keySequence() const;
    ClearButtonShow clearButtonShow() const;
    QString noneText() const;
    QIcon clearButtonIcon() const;

    // The tip belongs to the capture button; the widget itself and the clear button get none.
    void setToolTip(const QString &tip);

    QSize sizeHint() const override;

Q_SIGNALS:
    void keySequenceChanged(const QKeySequence &seq);
    // A key that Qt cannot identify ended the capture; the previous combination is back.
    void keyNotSupported();

private Q_SLOTS:
    void doneRecording();
    void captureKeySequence();

public Q_SLOTS:
    void setKeySequence(const QKeySequence &key);
    void clearKeySequence();
    void setNoneText(const QString &text);
    void setClearButtonIcon(const QIcon &icon);
    void setClearButtonShow(QKeySequenceWidget::ClearButtonShow show);

private:
    void connectParts();

    friend class QKeySequenceWidgetPrivate;
    QKeySequenceWidgetPrivate *d;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(QKeySequenceWidget::ClearButtonShow)
