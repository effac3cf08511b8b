// SPDX-License-Identifier: GPL-2.0-or-later

#include "statusnotifierhost.h"
#include "waylanddesktop.h"

#include <QDBusConnectionInterface>
#include <QElapsedTimer>

#include <algorithm>

using namespace WaylandDesktop;

namespace {

// How long the program takes to answer a call that its GUI thread handles, in ms.
qint64 answerTime()
{
    QElapsedTimer clock;
    clock.start();
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.morv.morv-clip"), QStringLiteral("/org/morv/clip"),
        QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
    QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    return clock.elapsed();
}

} // namespace

// The three ways to open and close the history menu under Wayland: the D-Bus method, a key bound
// in the compositor to it (as the README tells), and the tray icon, which a StatusNotifier host
// shows for it when the session has one. Without a host the program runs all the same; without a
// desktop portal for the hot key too (with one: tst_wayland_e2e_portal).
class TestWaylandE2eMenu : public QObject
{
    Q_OBJECT

    Keyboard keyboard;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(keyboard.plugIn());
        QFile::remove(settingsFile());
        QVERIFY(copy("something copied"));
    }

    void showTogglesWithoutATrayHost()
    {
        QVERIFY(!nameHasOwner(StatusNotifier::watcherService));
        Applet applet;
        QVERIFY(applet.startAndWait());

        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        const Window menu = menuWindow();
        QCOMPARE(menu.pid, applet.pid());
        // A menu, not a window that sway tiles across the screen (the output is 1280 x 800).
        QVERIFY(menu.floating);
        QVERIFY2(menu.rect.width() < 640 && menu.rect.height() < 200,
                 qPrintable(QStringLiteral("%1 x %2").arg(menu.rect.width()).arg(menu.rect.height())));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuClosed));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        // Escape closes it as any menu; show opens it again.
        QVERIFY(pressKeys(QStringLiteral("Escape")));
        QVERIFY(waitUntil(menuClosed));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuClosed));

        QVERIFY(applet.isRunning());
        QCOMPARE(applet.stop(), 0);
    }

    // No desktop portal with global shortcuts (none at all on Debian 12; in later releases the bus
    // starts the portal's frontend, which has no backend for them here): one warning about the hot
    // key, and the program runs on, its menu opened by D-Bus.
    void withoutThePortalOneWarning()
    {
        Applet applet;
        QVERIFY(applet.startAndWait());
        QVERIFY(waitUntil(
            [&] { return applet.standardError().contains("QxtGlobalShortcut failed to register"); }));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuClosed));
        QCOMPARE(applet.stop(), 0);
        const QByteArray errors = applet.standardError();
        QCOMPARE(errors.count("QxtGlobalShortcut failed to register: \"Ctrl+Alt+V\""), 1);
        QCOMPARE(errors.count("QxtGlobalShortcut"), 2); // and the release at the end
    }

    // The README's lines for sway's configuration, for real: the key opens and closes the menu, and
    // the menu opens at the mouse pointer.
    void theReadmeSwayConfigurationWorks()
    {
        QFile readme(QStringLiteral(MORV_SOURCE_DIR "/README.md"));
        QVERIFY(readme.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString text = QString::fromUtf8(readme.readAll());
        const qsizetype intro = text.indexOf(QLatin1String("sway, in `~/.config/sway/config`:"));
        QVERIFY(intro >= 0);
        const qsizetype blockStart = text.indexOf(QLatin1String("```\n"), intro) + 4;
        const qsizetype blockEnd = text.indexOf(QLatin1String("```"), blockStart);
        QVERIFY(blockStart > intro && blockEnd > blockStart);
        const QStringList lines =
            text.mid(blockStart, blockEnd - blockStart).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QString combination;
        for (const QString &line : lines) {
            if (line.startsWith(QLatin1String("bindsym ")) &&
                line.contains(QLatin1String("org.morv.clip.show")))
                combination = line.section(QLatin1Char(' '), 1, 1);
        }
        QVERIFY2(!combination.isEmpty(), qPrintable(lines.join(QLatin1Char('\n'))));

        Applet applet;
        QVERIFY(applet.startAndWait());
        for (const QString &line : lines)
            QVERIFY2(swaymsg(line), qPrintable(line));
        const QPoint pointer(300, 200);
        QVERIFY(swaymsg(QStringLiteral("seat - cursor set %1 %2").arg(pointer.x()).arg(pointer.y())));

        QVERIFY(pressCombination(combination.toLower()));
        QVERIFY(waitUntil(menuOpen));
        const QRect menu = menuWindow().rect;
        QVERIFY2(menu.contains(pointer), qPrintable(QStringLiteral("%1,%2 %3 x %4")
                                                        .arg(menu.x())
                                                        .arg(menu.y())
                                                        .arg(menu.width())
                                                        .arg(menu.height())));
        QVERIFY(pressCombination(combination.toLower()));
        QVERIFY(waitUntil(menuClosed));

        // The entry chosen with the keyboard goes back on the clipboard.
        QVERIFY(copy("newer"));
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("newer"); }));
        QVERIFY(pressCombination(combination.toLower()));
        QVERIFY(waitUntil(menuOpen));
        QVERIFY(chooseEntry(1));
        QVERIFY(waitUntil([] { return paste() == "something copied"; }));
        QCOMPARE(applet.stop(), 0);
        QVERIFY(swaymsg(QStringLiteral("unbindsym ") + combination));
    }

    void theTrayIconThroughAStatusNotifierHost()
    {
        StatusNotifier::Host host;
        QVERIFY2(host.start(), "status-notifier-watcher (haskell-status-notifier-item-utils) is missing");

        Applet applet;
        QVERIFY(applet.startAndWait());
        QVERIFY(waitUntil([] { return StatusNotifier::registeredItem().isValid(); }));
        const StatusNotifier::Item item = StatusNotifier::registeredItem();
        QCOMPARE(qint64(QDBusConnection::sessionBus().interface()->servicePid(item.service).value()),
                 applet.pid());
        QCOMPARE(item.property(QStringLiteral("Id")).toString(), QStringLiteral("morv-clip"));
        QVERIFY(item.property(QStringLiteral("IconPixmap")).isValid());

        // A left click in the panel: the host asks the item to activate.
        QVERIFY(item.call(QStringLiteral("Activate"), {0, 0}));
        QVERIFY(waitUntil(menuOpen));
        QVERIFY(item.call(QStringLiteral("Activate"), {0, 0}));
        QVERIFY(waitUntil(menuClosed));

        // The context menu, as the host reads it to draw it: the commands.
        QStringList labels;
        for (const StatusNotifier::MenuEntry &entry : item.menuEntries()) {
            if (!entry.label.isEmpty())
                labels.append(entry.label);
        }
        QCOMPARE(labels, QStringList({"C_lear clipboard history", "_Configure...", "Pause history",
                                      "_About ...", "_Quit"}));

        // Quit from there ends the program as from any tray: status 0, the history stored.
        QVERIFY(copy("copied last"));
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("copied last"); }));
        QVERIFY(item.clickMenuEntry(QStringLiteral("_Quit")));
        QCOMPARE(applet.waitForExit(), 0);
        QCOMPARE(storedTexts().value(0), QStringLiteral("copied last"));
        QVERIFY(waitUntil([] { return !StatusNotifier::registeredItem().isValid(); }));
    }

    // A text field of the program's own pastes the entry just chosen, which the program itself
    // serves: at once, the GUI thread never waiting for the paste (Qt reads the offer there). The
    // field is the history size of the preferences, which the keyboard reaches; the sticky item
    // editor needs a click on its page, and the headless sway has no pointer.
    void ourOwnTextFieldPastesAtOnce()
    {
        QFile::remove(settingsFile());
        StatusNotifier::Host host;
        QVERIFY2(host.start(), "status-notifier-watcher (haskell-status-notifier-item-utils) is missing");
        Applet applet;
        QVERIFY(applet.startAndWait());
        for (const QByteArray &text : {QByteArray("17"), QByteArray("newer")}) {
            QVERIFY(copy(text));
            QVERIFY(waitUntil([&] { return storedTexts().value(0) == QString::fromUtf8(text); }));
        }
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        QVERIFY(chooseEntry(1));
        QVERIFY(waitUntil([] { return paste() == "17"; }));

        // The preferences, from the tray icon's context menu.
        QVERIFY(waitUntil([] { return StatusNotifier::registeredItem().isValid(); }));
        QVERIFY(StatusNotifier::registeredItem().clickMenuEntry(QStringLiteral("_Configure...")));
        const QString dialog = QStringLiteral("morv-clip Preferences");
        QVERIFY(waitUntil([&] { return windowFocused(dialog); }));

        // Into the history size, its number selected; then the paste, while the program is asked
        // again and again for something its GUI thread answers.
        QVERIFY(pressKeys(QStringLiteral("Tab")));
        QVERIFY(pressCombination(QStringLiteral("ctrl+a")));
        qint64 usual = 0;
        for (int probe = 0; probe < 5; ++probe)
            usual = std::max(usual, answerTime());
        QVERIFY(pressCombination(QStringLiteral("ctrl+v")));
        qint64 slowest = 0;
        QElapsedTimer watched;
        watched.start();
        while (watched.elapsed() < 1500)
            slowest = std::max(slowest, answerTime());
        const QString times =
            QStringLiteral("answered within %1 ms while pasting, %2 ms before").arg(slowest).arg(usual);
        qInfo("%s", qPrintable(times));

        // Accepted, the preferences store what was pasted.
        QVERIFY(pressKeys(QStringLiteral("Return")));
        QVERIFY(waitUntil([&] { return windowsTitled(dialog).isEmpty(); }));
        QVERIFY(waitUntil([] { return storedValue(QStringLiteral("historyCount")) == QLatin1String("17"); },
                          3000));
        // A paste that waited for our own offer stalled for seconds. The limit counts from what the
        // GUI thread takes anyway (a few ms; far more in the sanitizer build on a busy machine).
        QVERIFY2(slowest < usual + 100, qPrintable(times));
        QCOMPARE(applet.stop(), 0);
    }

    // Typing narrows the menu under sway too: the window stays a floating menu, no higher than the
    // entries left, and Return puts the one found back on the clipboard.
    void typingFiltersTheMenu()
    {
        QFile::remove(settingsFile());
        Applet applet;
        QVERIFY(applet.startAndWait());
        const QByteArray wanted = "A first line, long enough to be cut in the menu\nand then a Pelican\n";
        for (const QByteArray &text : {wanted, QByteArray("newer"), QByteArray("newest")}) {
            QVERIFY(copy(text));
            QVERIFY(waitUntil([&] { return storedTexts().value(0) == QString::fromUtf8(text); }));
        }

        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        const QRect unfiltered = menuWindow().rect;
        QVERIFY(typeText(QStringLiteral("pELIcan")));
        QVERIFY(waitUntil([&] { return menuWindow().rect.height() < unfiltered.height(); }));
        QVERIFY(menuWindow().floating);
        QVERIFY(menuOpen());
        QVERIFY(pressKeys(QStringLiteral("Return")));
        QVERIFY(waitUntil(menuClosed));
        QVERIFY(waitUntil([&] { return paste() == wanted; }));
        QCOMPARE(applet.stop(), 0);
    }
};

QTEST_GUILESS_MAIN(TestWaylandE2eMenu)
#include "tst_wayland_e2e_menu.moc"
