// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "qkeysequencewidget.h"

#include <QKeySequence>
#include <QString>
#include <QTimer>

class QHBoxLayout;
class QShortcutButton;
class QToolButton;

// The state of a QKeySequenceWidget and its capture state machine. The capture button reads and
// drives it directly while it records.
class QKeySequenceWidgetPrivate
{
public:
    // Shift, Control, Alt and Meta: the modifiers a combination can hold.
    static constexpr int ModifierBits = 0x1E000000;
    static constexpr int IdleInterval = 600;
    static constexpr int MaximumKeys = 4;

    explicit QKeySequenceWidgetPrivate(QKeySequenceWidget *widget);
    virtual ~QKeySequenceWidgetPrivate();

    void setUp(const QKeySequence &seq, const QString &noneString);
    void placeClearButton();
    void refreshText();

    void beginCapture();
    void finishCapture();
    void abandonCapture();
    void rearmIdleTimer();

    QKeySequenceWidget *const q;
    QKeySequence sequence;
    QKeySequence previousSequence;
    QString noneText;
    QTimer idleTimer;
    int keyCount = 0;
    int heldModifiers = 0;
    QHBoxLayout *layout = nullptr;
    QToolButton *clearToolButton = nullptr;
    QShortcutButton *captureButton = nullptr;
    QKeySequenceWidget::ClearButtonShow clearButtonPlacement = QKeySequenceWidget::ShowRight;
    bool recording = false;
};
