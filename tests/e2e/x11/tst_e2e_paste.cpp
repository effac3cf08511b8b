// SPDX-License-Identifier: GPL-2.0-or-later

#include "desktop.h"
#include "pastetarget.h"
#include "x11owners.h"

#include <memory>

using namespace Desktop;

namespace {

const QString targetTitle = QStringLiteral("Paste target");

// What an X11 clipboard owner of text alone offers: Qt's text targets and the selection
// protocol's own.
bool isTextTarget(const QString &target)
{
    static const QStringList text{
        "TARGETS",     "TIMESTAMP", "MULTIPLE", "SAVE_TARGETS", "text/plain", "text/plain;charset=utf-8",
        "UTF8_STRING", "STRING",    "TEXT",     "COMPOUND_TEXT"};
    return text.contains(target);
}

} // namespace

// The real program pastes what is chosen into the window the user came from, by XTest key
// presses, with "pasteOnChoose" on; and Shift+Return puts an entry's text alone on the clipboard.
// The windows are the tests' paste-target, a Qt line edit of another process that reports the
// keys and texts it gets.
class TestE2ePaste : public QObject
{
    Q_OBJECT

    std::unique_ptr<Applet> applet;

    void start(const QByteArray &settings)
    {
        QVERIFY(writeSettings(settings));
        applet = std::make_unique<Applet>();
        QVERIFY(applet->startAndWait());
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"start"}; }));
        QVERIFY(copyAndWait("one"));
        QVERIFY(copyAndWait("two"));
    }

    // Opens the history menu from the target window, as a person at the keyboard does, and
    // chooses the entry with these keys.
    static bool chooseFrom(PasteTarget &target, const QString &keys)
    {
        return waitUntil([] { return focusedWindowTitle() == targetTitle; }) &&
               target.lines().contains("ready") && pressKeys(QStringLiteral("ctrl+alt+v")) &&
               waitUntil(menuVisible) && pressKeys(keys) && waitUntil([] { return !menuVisible(); });
    }

private Q_SLOTS:
    void init()
    {
        removeSettings();
        QVERIFY(copy("start"));
    }

    void cleanup()
    {
        if (applet && applet->isRunning())
            QCOMPARE(applet->stop(), 0);
        applet.reset();
    }

    void theChosenEntryIsPastedWhereTheUserCameFrom()
    {
        start("[General]\npasteOnChoose=true\n");
        PasteTarget target;
        QVERIFY(target.start({QStringLiteral("--title"), targetTitle}));
        QVERIFY(chooseFrom(target, QStringLiteral("Down Down Return")));
        QVERIFY(target.waitForLine(QStringLiteral("text one")));
        QCOMPARE(target.received(), (QStringList{"key Ctrl+V", "text one"}));
        QCOMPARE(focusedWindowTitle(), targetTitle);
        QCOMPARE(paste(), QByteArray("one"));
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"one", "two", "start"}; }));

        // Opened with the tray icon, the same; and a second time in a row.
        QVERIFY(click(trayIcon().center()));
        QVERIFY(waitUntil(menuVisible));
        QVERIFY(pressKeys(QStringLiteral("Down Down Return")));
        QVERIFY(target.waitForLine(QStringLiteral("text onetwo")));
    }

    // Terminals take Ctrl+V as a control character: a window of a class of the list gets
    // Ctrl+Shift+V. The instance name is the first part of WM_CLASS.
    void aTerminalGetsCtrlShiftV()
    {
        start("[General]\npasteOnChoose=true\nterminalClasses=xterm, kitty\n");
        PasteTarget terminal;
        QVERIFY(terminal.start(
            {QStringLiteral("--title"), targetTitle, QStringLiteral("-name"), QStringLiteral("kitty")}));
        QVERIFY(chooseFrom(terminal, QStringLiteral("Down Down Return")));
        QVERIFY(terminal.waitForLine(QStringLiteral("key Ctrl+Shift+V")));
        QTest::qWait(500);
        QCOMPARE(terminal.received(), QStringList{"key Ctrl+Shift+V"});
    }

    void nothingIsSentWithThePreferenceOffOrWithoutAChoice_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("keys");
        QTest::newRow("off, a choice") << QByteArray() << "Down Down Return";
        QTest::newRow("on, closed with Escape") << QByteArray("[General]\npasteOnChoose=true\n") << "Escape";
    }

    void nothingIsSentWithThePreferenceOffOrWithoutAChoice()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, keys);
        start(settings.isEmpty() ? QByteArray("[General]\nconfirmClear=true\n") : settings);
        PasteTarget target;
        QVERIFY(target.start({QStringLiteral("--title"), targetTitle}));
        QVERIFY(chooseFrom(target, keys));
        QTest::qWait(1500);
        QCOMPARE(target.received(), QStringList());
    }

    // Shift+Return: the entry's text alone, pasted as well; the history stays as it was, and the
    // program's own text is not taken as a copy.
    void shiftReturnPutsTheTextAlone()
    {
        start("[General]\npasteOnChoose=true\n");
        OwnerProcess rich;
        rich.start(QStringLiteral(SELECTION_OWNER),
                   {QStringLiteral("text/html=<b>rich</b> text"), QStringLiteral("UTF8_STRING=rich text")});
        QVERIFY(rich.waitUntilOwning());
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("rich text"); }));
        const QStringList history = storedTexts();

        PasteTarget target;
        QVERIFY(target.start({QStringLiteral("--title"), targetTitle}));
        QVERIFY(chooseFrom(target, QStringLiteral("Down shift+Return")));
        QVERIFY(target.waitForLine(QStringLiteral("text rich text")));

        const QStringList targets =
            QString::fromUtf8(paste(QStringLiteral("TARGETS"))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(targets.contains(QStringLiteral("UTF8_STRING")));
        for (const QString &offered : targets)
            QVERIFY2(isTextTarget(offered), qPrintable(targets.join(QLatin1Char(' '))));
        QCOMPARE(paste(), QByteArray("rich text"));
        QTest::qWait(1000);
        QCOMPARE(storedTexts(), history);

        // Return alone gives the entry back with every format.
        QVERIFY(chooseFrom(target, QStringLiteral("Down Return")));
        QVERIFY(waitUntil([] { return paste(QStringLiteral("text/html")) == "<b>rich</b> text"; }));
    }
};

QTEST_GUILESS_MAIN(TestE2ePaste)
#include "tst_e2e_paste.moc"
