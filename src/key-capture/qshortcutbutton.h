// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QPushButton>

class QKeySequenceWidgetPrivate;

// The button of a QKeySequenceWidget that shows the combination and, while a capture runs,
// receives the keys.
class QShortcutButton : public QPushButton
{
    Q_OBJECT

public:
    QShortcutButton(QKeySequenceWidgetPrivate *owner, QWidget *parent);
    ~QShortcutButton() override;

    QSize sizeHint() const override;

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;

private:
    QKeySequenceWidgetPrivate *const owner;
};
