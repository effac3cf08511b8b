// SPDX-License-Identifier: GPL-2.0-or-later

#include "qkeysequencewidget.h"
#include "qshortcutbutton.h"
#include "xdotoolkeys.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMetaProperty>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

// Real key presses: xdotool sends them through the X server (XTEST), so they take the same path
// as a user's keys, keyboard grab included.
void xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    QVERIFY2(process.waitForFinished(10000), "xdotool did not finish");
    QCOMPARE(process.exitCode(), 0);
}

// Records when the capture button last saw a key event.
class KeyClock : public QObject
{
public:
    QElapsedTimer clock;
    qint64 lastRelease = -1;
    qint64 lastPress = -1;
    int presses = 0;

    KeyClock() { clock.start(); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyRelease)
            lastRelease = clock.elapsed();
        else if (event->type() == QEvent::KeyPress) {
            lastPress = clock.elapsed();
            ++presses;
        }
        return false;
    }
};

} // namespace

class TestKeySequenceWidget : public QObject
{
    Q_OBJECT

private:
    // A dialog like the preferences dialog: the widget beside a line edit that can take the focus.
    QDialog *window = nullptr;
    QKeySequenceWidget *widget = nullptr;
    QShortcutButton *button = nullptr;
    QToolButton *clearButton = nullptr;
    QLineEdit *other = nullptr;
    KeyClock keyClock;

    bool recording() const { return button->isDown() && QWidget::keyboardGrabber() == button; }

    void startCapture()
    {
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(recording());
        QCOMPARE(button->text(), QStringLiteral("..."));
    }

    void waitForIdleEnd() { QTRY_VERIFY_WITH_TIMEOUT(!button->isDown(), 3000); }

private Q_SLOTS:
    void init()
    {
        window = new QDialog;
        auto *layout = new QHBoxLayout(window);
        widget = new QKeySequenceWidget(window);
        other = new QLineEdit(window);
        layout->addWidget(widget);
        layout->addWidget(other);
        button = widget->findChild<QShortcutButton *>();
        clearButton = widget->findChild<QToolButton *>();
        QVERIFY(button && clearButton);
        button->installEventFilter(&keyClock);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        button->setFocus();
        QTRY_VERIFY(button->hasFocus());
    }

    void cleanup()
    {
        delete window;
        window = nullptr;
    }

    void controlAltVIsStoredAndReportedOnceAfterTheIdleTime()
    {
        QSignalSpy changed(widget, &QKeySequenceWidget::keySequenceChanged);
        startCapture();

        xdotool({"keydown", "ctrl"});
        QTRY_COMPARE(button->text(), QStringLiteral("Ctrl + ..."));
        xdotool({"keydown", "alt"});
        QTRY_COMPARE(button->text(), QStringLiteral("Ctrl + Alt + ..."));
        xdotool({"keydown", "v"});
        QTRY_COMPARE(button->text(), QStringLiteral("Ctrl+Alt+V,Ctrl + Alt + ..."));
        xdotool({"keyup", "v"});
        xdotool({"keyup", "alt"});
        QTRY_COMPARE(button->text(), QStringLiteral("Ctrl+Alt+V,Ctrl + ..."));
        // Still held: the capture waits as long as it takes.
        QTest::qWait(800);
        QVERIFY(recording());
        QCOMPARE(changed.count(), 0);

        xdotool({"keyup", "ctrl"});
        QTRY_COMPARE(button->text(), QStringLiteral("Ctrl+Alt+V..."));
        QVERIFY(changed.wait(3000));
        // 600 ms on a coarse timer, which may fire up to 5 % early.
        const qint64 idle = keyClock.clock.elapsed() - keyClock.lastRelease;
        QVERIFY2(idle >= 560 && idle < 1500, qPrintable(QString::number(idle)));

        QCOMPARE(widget->keySequence(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V));
        QCOMPARE(changed.at(0).at(0).value<QKeySequence>(), widget->keySequence());
        QCOMPARE(button->text(), QStringLiteral("Ctrl+Alt+V"));
        QVERIFY(!button->isDown());
        QCOMPARE(QWidget::keyboardGrabber(), nullptr);
        QTest::qWait(700);
        QCOMPARE(changed.count(), 1);
    }

    void modifiersAloneKeepTheCaptureOpen()
    {
        QSignalSpy changed(widget, &QKeySequenceWidget::keySequenceChanged);
        widget->setKeySequence(QKeySequence(Qt::CTRL | Qt::Key_X));
        changed.clear();
        startCapture();

        xdotool({"keydown", "ctrl"});
        QTRY_COMPARE(button->text(), QStringLiteral("Ctrl + ..."));
        xdotool({"keyup", "ctrl"});
        QTRY_COMPARE(button->text(), QStringLiteral("..."));
        xdotool({"key", "ISO_Level3_Shift"}); // AltGr alone shows nothing either
        QTest::qWait(900);
        QCOMPARE(button->text(), QStringLiteral("..."));
        QVERIFY(recording());
        QVERIFY(widget->keySequence().isEmpty());
        QCOMPARE(changed.count(), 0);

        // Escape is a key like any other; it neither cancels the capture nor closes the dialog.
        xdotool({"key", "Escape"});
        waitForIdleEnd();
        QCOMPARE(widget->keySequence(), QKeySequence(Qt::Key_Escape));
        QCOMPARE(changed.count(), 1);
        QVERIFY(window->isVisible());
    }

    void onlyTheFirstOfFourKeysIsStored()
    {
        QSignalSpy changed(widget, &QKeySequenceWidget::keySequenceChanged);
        qint64 emittedAt = -1;
        connect(widget, &QKeySequenceWidget::keySequenceChanged, this,
                [&] { emittedAt = keyClock.clock.elapsed(); });
        startCapture();
        keyClock.presses = 0;
        xdotool({"key", "--delay", "20", "a", "b", "c", "d"});
        QTRY_COMPARE(changed.count(), 1);
        // Ended by the press of D itself, not by the idle time after it.
        QCOMPARE(keyClock.presses, 4);
        QVERIFY2(emittedAt - keyClock.lastPress < 100,
                 qPrintable(QString::number(emittedAt - keyClock.lastPress)));
        QVERIFY(!button->isDown());
        QCOMPARE(widget->keySequence(), QKeySequence(Qt::Key_A));
        QCOMPARE(button->text(), QStringLiteral("A"));
        QTest::qWait(700);
        QCOMPARE(changed.count(), 1);
    }

    void aSingleKeyEndsTheIdleTimeAfterItsPress()
    {
        startCapture();
        xdotool({"key", XdotoolKeys::byKeycode("F5")});
        QTRY_COMPARE(button->text(), QStringLiteral("F5..."));
        const qint64 pressed = keyClock.lastPress;
        waitForIdleEnd();
        const qint64 idle = keyClock.clock.elapsed() - pressed;
        QVERIFY2(idle >= 560 && idle < 1500, qPrintable(QString::number(idle)));
        QCOMPARE(widget->keySequence(), QKeySequence(Qt::Key_F5));
    }

    void shiftTabIsStoredAsShiftTab()
    {
        startCapture();
        xdotool({"key", "shift+Tab"});
        waitForIdleEnd();
        QCOMPARE(widget->keySequence(), QKeySequence(Qt::SHIFT | Qt::Key_Tab));
        // The focus stayed where it was: Tab did not move it during the capture.
        QVERIFY(button->hasFocus());
    }

    void losingTheFocusRestoresWithoutSignal()
    {
        widget->setKeySequence(QKeySequence(Qt::CTRL | Qt::Key_X));
        QSignalSpy changed(widget, &QKeySequenceWidget::keySequenceChanged);
        startCapture();
        xdotool({"keydown", "ctrl"});
        xdotool({"key", "q"});
        QTRY_COMPARE(button->text(), QStringLiteral("Ctrl+Q,Ctrl + ..."));

        // Another window takes the focus.
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QTRY_VERIFY(!button->isDown());
        xdotool({"keyup", "ctrl"});
        QCOMPARE(widget->keySequence(), QKeySequence(Qt::CTRL | Qt::Key_X));
        QCOMPARE(button->text(), QStringLiteral("Ctrl+X"));
        QCOMPARE(QWidget::keyboardGrabber(), nullptr);
        QTest::qWait(700);
        QCOMPARE(changed.count(), 0);
    }

    void spaceAndReturnDoNotStartACapture()
    {
        QSignalSpy changed(widget, &QKeySequenceWidget::keySequenceChanged);
        QSignalSpy accepted(window, &QDialog::accepted);
        xdotool({"key", "space"});
        xdotool({"key", "Return"});
        QTest::qWait(100);
        QVERIFY(!button->isDown());
        QCOMPARE(QWidget::keyboardGrabber(), nullptr);
        QCOMPARE(button->text(), QStringLiteral("..."));
        QCOMPARE(accepted.count(), 0);

        // A click does.
        startCapture();
        xdotool({"key", "space"});
        waitForIdleEnd();
        QCOMPARE(widget->keySequence(), QKeySequence(Qt::Key_Space));
        QCOMPARE(changed.count(), 1);
    }

    void aNewClickStartsOverFromWhatWasRecorded()
    {
        QSignalSpy changed(widget, &QKeySequenceWidget::keySequenceChanged);
        startCapture();
        xdotool({"key", "k"});
        QTRY_COMPARE(button->text(), QStringLiteral("K..."));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(button->text(), QStringLiteral("..."));
        QVERIFY(recording());
        // Abandoned now, the capture goes back to K (recorded before the second click).
        other->setFocus();
        QTRY_VERIFY(!button->isDown());
        QCOMPARE(widget->keySequence(), QKeySequence(Qt::Key_K));
        QCOMPARE(changed.count(), 0);
    }

    void canBeDeletedWhileCapturing()
    {
        startCapture();
        xdotool({"key", "g"});
        QTRY_COMPARE(button->text(), QStringLiteral("G..."));
        // The focus leaves the capture button while the widget is being torn down.
        delete widget;
        QCOMPARE(QWidget::keyboardGrabber(), nullptr);
        QTest::qWait(700);
    }

    void theClearButtonEmptiesTheSequence()
    {
        widget->setKeySequence(QKeySequence(Qt::CTRL | Qt::Key_X));
        QSignalSpy changed(widget, &QKeySequenceWidget::keySequenceChanged);
        QTest::mouseClick(clearButton, Qt::LeftButton);
        QVERIFY(widget->keySequence().isEmpty());
        QCOMPARE(button->text(), QStringLiteral("..."));
        QCOMPARE(changed.count(), 1);
        QVERIFY(changed.at(0).at(0).value<QKeySequence>().isEmpty());

        QTest::mouseClick(clearButton, Qt::LeftButton);
        QCOMPARE(changed.count(), 1);

        widget->setNoneText(QStringLiteral("none"));
        QCOMPARE(button->text(), QStringLiteral("none"));
    }

    void settingTheSequenceEmitsOnlyChanges()
    {
        QSignalSpy changed(widget, &QKeySequenceWidget::keySequenceChanged);
        widget->setKeySequence(QKeySequence(Qt::CTRL | Qt::Key_X));
        widget->setKeySequence(QKeySequence(Qt::CTRL | Qt::Key_X));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(button->text(), QStringLiteral("Ctrl+X"));

        // During a capture: what was recorded so far is reported, then the new sequence.
        startCapture();
        xdotool({"key", "m"});
        QTRY_COMPARE(button->text(), QStringLiteral("M..."));
        widget->setKeySequence(QKeySequence(Qt::Key_F2));
        QVERIFY(!recording());
        QCOMPARE(changed.count(), 3);
        QCOMPARE(changed.at(1).at(0).value<QKeySequence>(), QKeySequence(Qt::Key_M));
        QCOMPARE(changed.at(2).at(0).value<QKeySequence>(), QKeySequence(Qt::Key_F2));
    }

    void ampersandsAreShownSingle()
    {
        widget->setKeySequence(QKeySequence(Qt::CTRL | Qt::Key_Ampersand));
        QCOMPARE(button->text(), QStringLiteral("Ctrl+&&"));
        // What the button shows (mnemonic markers resolved).
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(button);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Ctrl+&"));
    }

    void anUnknownKeyCancelsTheCapture()
    {
        widget->setKeySequence(QKeySequence(Qt::Key_F3));
        QSignalSpy changed(widget, &QKeySequenceWidget::keySequenceChanged);
        QSignalSpy unsupported(widget, &QKeySequenceWidget::keyNotSupported);
        startCapture();
        xdotool({"key", "b"});
        QTRY_COMPARE(button->text(), QStringLiteral("B..."));
        QTest::simulateEvent(button, true, -1, Qt::NoModifier, QString(), false);
        QVERIFY(!recording());
        QCOMPARE(widget->keySequence(), QKeySequence(Qt::Key_F3));
        QCOMPARE(unsupported.count(), 1);
        QCOMPARE(changed.count(), 0);

        // Outside a capture it leaves the stored sequence alone.
        widget->setKeySequence(QKeySequence(Qt::Key_F4));
        QTest::simulateEvent(button, true, -1, Qt::NoModifier, QString(), false);
        QCOMPARE(widget->keySequence(), QKeySequence(Qt::Key_F4));
        QCOMPARE(unsupported.count(), 1);
    }

    void theClearButtonStandsWhereItIsPlaced()
    {
        QCOMPARE(widget->clearButtonShow(), QKeySequenceWidget::ShowRight);
        QVERIFY(clearButton->isVisible());
        QVERIFY(clearButton->x() > button->x());

        widget->setClearButtonShow(QKeySequenceWidget::ShowLeft);
        QTRY_VERIFY(clearButton->x() < button->x());

        // Through the property system, as a form would set it.
        const QMetaProperty property =
            widget->metaObject()->property(widget->metaObject()->indexOfProperty("clearButton"));
        QCOMPARE(property.typeName(), "QFlags<QKeySequenceWidget::ClearButton>");
        QVERIFY(property.isFlagType());
        QVERIFY(widget->setProperty("clearButton", QVariant::fromValue(QKeySequenceWidget::ClearButtonShow(
                                                       QKeySequenceWidget::NoShow))));
        QVERIFY(!clearButton->isVisible());
        QCOMPARE(widget->clearButtonShow(), QKeySequenceWidget::NoShow);
    }

    void theToolTipGoesToTheCaptureButton()
    {
        widget->setToolTip(QStringLiteral("press it"));
        QCOMPARE(button->toolTip(), QStringLiteral("press it"));
        QVERIFY(widget->toolTip().isEmpty());
        QVERIFY(clearButton->toolTip().isEmpty());
    }

    void constructorsTakeSequenceAndNoneText()
    {
        QKeySequenceWidget both(QKeySequence(Qt::Key_F9), QStringLiteral("nothing"));
        QCOMPARE(both.keySequence(), QKeySequence(Qt::Key_F9));
        QCOMPARE(both.noneText(), QStringLiteral("nothing"));
        QCOMPARE(both.findChild<QShortcutButton *>()->text(), QStringLiteral("F9"));

        // An empty none text that is not null is taken as it is.
        QKeySequenceWidget empty{QString(QLatin1String(""))};
        QCOMPARE(empty.noneText(), QString(QLatin1String("")));
        QKeySequenceWidget plain(QKeySequence(Qt::Key_F9));
        QCOMPARE(plain.noneText(), QStringLiteral("..."));
    }

    void writesTheDebugTraceOfAKeyPress()
    {
        QTest::ignoreMessage(QtDebugMsg, "update view ");
        QTest::ignoreMessage(QtDebugMsg, "qShortcut button Create");
        QTest::ignoreMessage(QtDebugMsg, "visible false");
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^q_prt QKeySequenceWidget\\(0x[0-9a-f]+\\)$"));
        QTest::ignoreMessage(QtDebugMsg, "widget constructor");
        QKeySequenceWidget traced(QKeySequence(Qt::Key_F9));

        QTest::ignoreMessage(QtDebugMsg, "key pressed");
        QTest::ignoreMessage(QtDebugMsg, "key released");
        startCapture();
        xdotool({"key", "x"});
        waitForIdleEnd();
        QTest::ignoreMessage(QtDebugMsg, "qShortcut button delete");
    }
};

QTEST_MAIN(TestKeySequenceWidget)
#include "tst_keysequencewidget.moc"
