// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs answer(widget) from the event loop as soon as a visible top-level widget of type T shows
// up: the way to talk to a dialog that the code under test runs with exec().
template<typename T>
class WhenShown
{
public:
    explicit WhenShown(std::function<void(T *)> answer)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, answer] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                T *found = qobject_cast<T *>(widget);
                if (found && found->isVisible()) {
                    timer.stop();
                    ++shown;
                    answer(found);
                    return;
                }
            }
        });
        timer.start(20);
    }

    int shown = 0;

private:
    QTimer timer;
};
