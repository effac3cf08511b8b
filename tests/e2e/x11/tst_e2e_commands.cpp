// SPDX-License-Identifier: GPL-2.0-or-later

#include "desktop.h"

#include <memory>

using namespace Desktop;

namespace {

const QString welcome = QStringLiteral("Welcome to the morv-clip clipboard history applet");

// Places on the preferences dialog, from its top left corner (its layout on the rig's display).
const QPoint shortcutButton(270, 143);
const QPoint iconButton(239, 174);
const QPoint stickyPage(50, 391);

} // namespace

// The commands of the tray icon's context menu: clearing the history and the preferences.
class TestE2eCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<Applet> applet;

    // Right click on the tray icon, then the entry at this position (separator not counted).
    static bool runCommand(int entry)
    {
        const QRect icon = trayIcon();
        if (!icon.isValid() || !click(icon.center(), 3) ||
            !waitUntil([] { return contextMenuGeometry().isValid(); }))
            return false;
        QString keys = QStringLiteral("Return");
        for (int down = 0; down <= entry; ++down)
            keys.prepend(QStringLiteral("Down "));
        return pressKeys(keys);
    }

    static bool windowShown(const QString &title)
    {
        return waitUntil(
            [&] { return !visibleWindows(QLatin1Char('^') + title + QLatin1Char('$')).isEmpty(); });
    }

    static bool windowGone(const QString &title)
    {
        return waitUntil(
            [&] { return visibleWindows(QLatin1Char('^') + title + QLatin1Char('$')).isEmpty(); });
    }

    static QRect windowGeometry(const QString &title)
    {
        const QStringList windows = visibleWindows(QLatin1Char('^') + title + QLatin1Char('$'));
        return windows.isEmpty() ? QRect() : geometry(windows.first());
    }

    void start(const QByteArray &settings = {})
    {
        if (!settings.isEmpty())
            QVERIFY(writeSettings(settings));
        applet = std::make_unique<Applet>();
        QVERIFY(applet->startAndWait());
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"start"}; }));
        QVERIFY(copyAndWait("one"));
        QVERIFY(copyAndWait("two"));
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

    void clearingAsksFirst_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("cleared");
        // Cancel is the default button: Tab moves to OK.
        QTest::newRow("OK") << "Tab space" << true;
        QTest::newRow("Cancel") << "Return" << false;
        QTest::newRow("Escape") << "Escape" << false;
    }

    void clearingAsksFirst()
    {
        QFETCH(QString, answer);
        QFETCH(bool, cleared);
        start();
        QVERIFY(runCommand(0));
        QVERIFY(windowShown(QStringLiteral("Confirm")));
        QVERIFY(pressKeys(answer));
        QVERIFY(windowGone(QStringLiteral("Confirm")));

        // Clearing stores nothing by itself; the next copy stores what is left.
        QVERIFY(copyAndWait("after"));
        QCOMPARE(storedTexts(),
                 cleared ? (QStringList{"after", welcome}) : (QStringList{"after", "two", "one", "start"}));
    }

    void clearingWithoutConfirmation()
    {
        start("[General]\nconfirmClear=false\n");
        QVERIFY(runCommand(0));
        QVERIFY(waitUntil([] { return !contextMenuGeometry().isValid(); }));
        QVERIFY(copyAndWait("after"));
        QVERIFY(visibleWindows(QStringLiteral("^Confirm$")).isEmpty());
        QCOMPARE(storedTexts(), (QStringList{"after", welcome}));
    }

    // Closing the last open window does not end a program that lives in the tray.
    void closingTheAboutBoxLeavesItRunning()
    {
        start();
        QVERIFY(runCommand(3));
        QVERIFY(windowShown(QStringLiteral("About morv-clip")));
        QVERIFY(pressKeys(QStringLiteral("Return")));
        QVERIFY(windowGone(QStringLiteral("About morv-clip")));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuVisible));
        QVERIFY(applet->isRunning());
    }

    void preferencesTakeEffectAtOnce()
    {
        const QString iconFile = QDir::temp().filePath(
            QStringLiteral("morv-e2e-red-%1.png").arg(QCoreApplication::applicationPid()));
        QImage red(32, 32, QImage::Format_ARGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(iconFile));
        start();

        QVERIFY(runCommand(1));
        const QString dialogTitle = QStringLiteral("morv-clip Preferences");
        QVERIFY(windowShown(dialogTitle));
        const QPoint dialog = windowGeometry(dialogTitle).topLeft();

        // A new hot key: click the button, press the keys. The capture ends by itself 600 ms
        // after the keys are let go, which nothing outside the dialog can see: wait that long.
        QVERIFY(click(dialog + shortcutButton));
        QVERIFY(pressKeys(QStringLiteral("ctrl+alt+b")));
        QTest::qWait(1500);

        // A new tray icon, chosen in the file dialog.
        QVERIFY(click(dialog + iconButton));
        QTest::qWait(300);
        QVERIFY(pressKeys(QStringLiteral("Down Return")));
        QVERIFY(windowShown(QStringLiteral("Select icon file")));
        QVERIFY(waitUntil([] { return focusedWindowTitle() == QLatin1String("Select icon file"); }));
        QVERIFY(typeText(iconFile));
        // The file name completer may have opened its list under the name and take the first
        // Return itself, as it does for a person, who presses Return again.
        bool accepted = false;
        for (int attempt = 0; attempt < 3 && !accepted; ++attempt) {
            QVERIFY(pressKeys(QStringLiteral("Return")));
            accepted = waitUntil(
                [] { return visibleWindows(QStringLiteral("^Select icon file$")).isEmpty(); }, 3000);
        }
        QVERIFY(accepted);

        // A new sticky item.
        QVERIFY(click(dialog + stickyPage));
        QVERIFY(pressKeys(QStringLiteral("alt+a")));
        QVERIFY(windowShown(QStringLiteral("Add New Sticky Item")));
        QVERIFY(typeText(QStringLiteral("pinned text")));
        QVERIFY(pressKeys(QStringLiteral("Return")));
        QVERIFY(windowGone(QStringLiteral("Add New Sticky Item")));

        // OK, at the bottom right.
        const QRect box = windowGeometry(dialogTitle);
        QVERIFY(click(QPoint(box.right() - 138, box.bottom() - 24)));
        QVERIFY(windowGone(dialogTitle));
        QCOMPARE(storedValue(QStringLiteral("shortcut")), QStringLiteral("Ctrl+Alt+B"));
        QCOMPARE(storedValue(QStringLiteral("tray_icon_file")), iconFile);
        QCOMPARE(storedSticky(), QStringList{"pinned text"});

        // The tray shows the new icon.
        QVERIFY(waitUntil([] { return colourAtCentre(trayIconWindow()) == QColor(Qt::red); }));

        // The old key does nothing now (had it still been grabbed, the new one would close the
        // menu it opened); the new one opens the menu, with the sticky item on top.
        QVERIFY(pressKeys(QStringLiteral("ctrl+alt+v ctrl+alt+b")));
        QVERIFY(waitUntil(menuVisible));
        QVERIFY(pressKeys(QStringLiteral("Down Return")));
        QVERIFY(waitUntil([] { return !menuVisible(); }));
        QVERIFY(waitUntil([] { return paste() == "pinned text"; }));
        QFile::remove(iconFile);
    }
};

QTEST_GUILESS_MAIN(TestE2eCommands)
#include "tst_e2e_commands.moc"
