// SPDX-License-Identifier: GPL-2.0-or-later

// Plays a text window of another program, for the tests of the paste keys: one line edit that
// takes the keyboard focus. On its standard output it says "ready" once it has the focus, "key
// <keys>" for every key press it gets (in QKeySequence's portable text, "Ctrl+Shift+V"), "text
// <text>" whenever its text changes, and "focus in" or "focus out" when it gets or loses the
// keyboard focus.
//
//   paste-target [--title TITLE] [--app-id ID] [-name INSTANCE]
//
// Under X11 the window's class is Qt's: the instance name from -name (else the program's file
// name) and the class name made from it; under Wayland its app id is ID.

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QWindow>

#include <cstdio>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

class Reporter : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress: {
            const auto *press = static_cast<QKeyEvent *>(event);
            // Modifier presses on their own say nothing: the combination is what matters.
            const int key = press->key();
            if (key != Qt::Key_Control && key != Qt::Key_Shift && key != Qt::Key_Alt && key != Qt::Key_Meta)
                say(QStringLiteral("key ") +
                    QKeySequence(press->keyCombination()).toString(QKeySequence::PortableText));
            break;
        }
        case QEvent::FocusIn:
            say(QStringLiteral("focus in"));
            break;
        case QEvent::FocusOut:
            say(QStringLiteral("focus out"));
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QString title = QStringLiteral("Paste target");
    const QStringList arguments = app.arguments();
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--title"))
            title = arguments.at(i + 1);
        else if (arguments.at(i) == QLatin1String("--app-id"))
            QGuiApplication::setDesktopFileName(arguments.at(i + 1));
    }

    QLineEdit edit;
    edit.setWindowTitle(title);
    edit.setMinimumWidth(300);
    Reporter reporter;
    edit.installEventFilter(&reporter);
    QObject::connect(&edit, &QLineEdit::textChanged,
                     [](const QString &text) { say(QStringLiteral("text ") + text); });
    bool readySaid = false;
    QObject::connect(&app, &QGuiApplication::focusWindowChanged, [&](QWindow *window) {
        if (window && !readySaid) {
            readySaid = true;
            say(QStringLiteral("ready"));
        }
    });
    edit.show();
    edit.activateWindow();
    edit.setFocus();
    return app.exec();
}
