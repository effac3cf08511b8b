// SPDX-License-Identifier: GPL-2.0-or-later

#include "desktop.h"

#include <memory>

using namespace Desktop;

namespace {
// Stores the history only when the program ends, so that the file shows what the teardown wrote.
const QByteArray storeAtExitOnly = "[General]\nsynchronizeHistory=false\n";
} // namespace

// One instance per session, and every way the program ends keeps the history.
class TestE2eLifecycle : public QObject
{
    Q_OBJECT

    // Lets the program see a copy before it is ended: it captures a copy in the event loop pass
    // after the clipboard's notice, and the hot key's press, which reaches it over the same
    // connection to the X server later, opens and closes the menu only after that pass.
    static bool copyAndLetItSee(const QByteArray &text)
    {
        return copy(text) && pressKeys(QStringLiteral("ctrl+alt+v")) && waitUntil(menuVisible) &&
               pressKeys(QStringLiteral("ctrl+alt+v")) && waitUntil([] { return !menuVisible(); });
    }

    // The entry at this row of the history menu, chosen with the keyboard.
    static bool chooseEntry(int row)
    {
        QString keys = QStringLiteral("Return");
        for (int down = 0; down <= row; ++down)
            keys.prepend(QStringLiteral("Down "));
        return pressKeys(QStringLiteral("ctrl+alt+v")) && waitUntil(menuVisible) && pressKeys(keys) &&
               waitUntil([] { return !menuVisible(); });
    }

private Q_SLOTS:
    void init()
    {
        removeSettings();
        QVERIFY(copy("start"));
    }

    void aSecondInstanceLeavesTheFirstAlone()
    {
        QVERIFY(writeSettings(storeAtExitOnly));
        Applet first;
        QVERIFY(first.startAndWait());
        QVERIFY(copyAndLetItSee("alpha"));
        const QByteArray before = settingsBytes();

        // Had the second one built a history, it would have taken the clipboard into its empty
        // stored history and written it to the file on its way out.
        const Result second = run(qEnvironmentVariable("MORV_CLIP_BINARY"), {});
        QCOMPARE(second.exitCode, 1);
        const int serviceWarning = second.err.indexOf("Can't register D-Bus service");
        const int instanceWarning = second.err.indexOf("An instance of morv-clip is already running!");
        QVERIFY2(serviceWarning >= 0 && instanceWarning > serviceWarning, second.err.constData());
        QCOMPARE(settingsBytes(), before);

        // The first one still answers, still holds the key, and keeps its history.
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuVisible));
        QVERIFY(pressKeys(QStringLiteral("ctrl+alt+v")));
        QVERIFY(waitUntil([] { return !menuVisible(); }));
        QCOMPARE(first.stop(), 0);
        QCOMPARE(storedTexts(), (QStringList{"alpha", "start"}));
    }

    void terminationSignalsStoreTheHistory_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void terminationSignalsStoreTheHistory()
    {
        QFETCH(int, signalNumber);
        QVERIFY(writeSettings(storeAtExitOnly));
        Applet applet;
        QVERIFY(applet.startAndWait());
        QVERIFY(copyAndLetItSee("kept"));
        QCOMPARE(storedTexts(), QStringList());
        QCOMPARE(applet.stop(signalNumber), 0);
        QCOMPARE(storedTexts(), (QStringList{"kept", "start"}));

        // After a restart the menu shows it again: its second entry is the older copy, which no
        // other program offers any more.
        Applet restarted;
        QVERIFY(restarted.startAndWait());
        QVERIFY(chooseEntry(1));
        QVERIFY(waitUntil([] { return paste() == "start"; }));
        QCOMPARE(restarted.stop(), 0);
    }

    void aSignalEndsItAlsoWhileADialogIsOpen_data()
    {
        // The entry of the context menu, counted without its separator.
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("title");
        QTest::newRow("preferences") << 1 << "morv-clip Preferences";
        QTest::newRow("About box") << 2 << "About morv-clip";
        QTest::newRow("clear confirmation") << 0 << "Confirm";
    }

    // The session ends while the user has a dialog open: the dialog's own event loop must not
    // keep the program alive, and the history is stored as on any other exit.
    void aSignalEndsItAlsoWhileADialogIsOpen()
    {
        QFETCH(int, entry);
        QFETCH(QString, title);
        QVERIFY(writeSettings(storeAtExitOnly));
        Applet applet;
        QVERIFY(applet.startAndWait());
        QVERIFY(copyAndLetItSee("copied before the dialog"));

        QVERIFY(click(trayIcon().center(), 3));
        QVERIFY(waitUntil([] { return contextMenuGeometry().isValid(); }));
        QString keys = QStringLiteral("Return");
        for (int down = 0; down <= entry; ++down)
            keys.prepend(QStringLiteral("Down "));
        QVERIFY(pressKeys(keys));
        QVERIFY(waitUntil(
            [&] { return !visibleWindows(QLatin1Char('^') + title + QLatin1Char('$')).isEmpty(); }));

        QCOMPARE(applet.stop(SIGTERM), 0);
        QCOMPARE(storedTexts(), (QStringList{"copied before the dialog", "start"}));
    }

    void quitFromTheContextMenu()
    {
        QVERIFY(writeSettings(storeAtExitOnly));
        Applet applet;
        QVERIFY(applet.startAndWait());
        QVERIFY(copyAndLetItSee("before quitting"));

        const QRect icon = trayIcon();
        QVERIFY(click(icon.center(), 3));
        QVERIFY(waitUntil([] { return contextMenuGeometry().isValid(); }));
        const QRect menu = contextMenuGeometry();
        // Quit is the last entry.
        QVERIFY(click(QPoint(menu.center().x(), menu.bottom() - 10)));
        QCOMPARE(applet.waitForExit(), 0);
        QCOMPARE(storedTexts(), (QStringList{"before quitting", "start"}));
        QVERIFY(!nameHasOwner(QStringLiteral("org.morv.morv-clip")));
    }
};

QTEST_GUILESS_MAIN(TestE2eLifecycle)
#include "tst_e2e_lifecycle.moc"
