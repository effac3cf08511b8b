// SPDX-License-Identifier: GPL-2.0-or-later

// The tray under Wayland on a desktop with the GlobalShortcuts portal: the portal's real frontend
// on the rig's bus, a backend of the test's behind it, the tray in this process (with the fake
// clipboard). The About box says there is a global shortcut, the preferences dialog offers the
// key, and a key chosen there is bound anew. Skipped where the frontend is missing or too old for
// the interface (Debian 12); without it, tst_aboutbox_wayland and tst_preferencesdialog_wayland.
#include "globalshortcutsportal.h"
#include "ksystemclipboard_fake.h"
#include "portaldesktop.h"
#include "preferencesdialog.h"
#include "qfilteringmenuview.h"
#include "qkeysequencewidget.h"
#include "qxtglobalshortcut.h"
#include "systray.h"
#include "testenvironment.h"
#include "waylanddesktop.h"
#include "whenshown.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

using Morv::Preferences;
using Morv::PreferencesDialog;
using Morv::Systray;
using PortalDesktop::FakeShortcutsBackend;

namespace {

const QString shortcutId = QStringLiteral("history-menu");

// The context menu's entry of that text, as the tray was built (before any translator).
QAction *contextEntry(Systray &tray, const QString &text)
{
    const QList<QAction *> actions = tray.contextMenu()->actions();
    for (QAction *action : actions) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

class TestSystrayPortal : public QObject
{
    Q_OBJECT

    WaylandDesktop::Keyboard keyboard;
    PortalDesktop::Portal portal;

    FakeShortcutsBackend *backend() { return portal.backend.get(); }

    // The session of the tray's shortcut, the first made after the backend had seen `known`
    // sessions, once the portal has bound it with the trigger.
    bool waitForBinding(qsizetype known, FakeShortcutsBackend::Session &session, const QString &trigger)
    {
        return WaylandDesktop::waitUntil([&] {
            const QList<FakeShortcutsBackend::Session> &all = backend()->sessions;
            for (qsizetype i = known; i < all.size(); ++i) {
                const FakeShortcutsBackend::Session &candidate = all.at(i);
                if (!candidate.closed && candidate.bound.size() == 1 &&
                    candidate.bound.first().id == shortcutId &&
                    candidate.bound.first().properties.value(QStringLiteral("preferred_trigger")) ==
                        trigger) {
                    session = candidate;
                    return true;
                }
            }
            return false;
        });
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        const QString missing = PortalDesktop::Portal::missing();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        TestEnvironment::setUp();
        FakeSystemClipboard::install();
        TestEnvironment::clearSettings();
        // The portal knows the program by its desktop entry; here the program is this test.
        QVERIFY(PortalDesktop::installDesktopEntry(QCoreApplication::applicationFilePath()));
        QVERIFY(portal.start());
        QVERIFY(keyboard.plugIn());
    }

    void aboutSaysYes_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("answer");
        QTest::newRow("English") << ""
                                 << "<p>Support for global keyboard shortcut: Yes";
        QTest::newRow("German") << "de"
                                << QString::fromUtf8("<p>Unterstützung für globales Tastenkürzel: Ja");
    }

    void aboutSaysYes()
    {
        QFETCH(QString, language);
        QFETCH(QString, answer);
        const qsizetype known = backend()->sessions.size();
        Systray tray;
        FakeShortcutsBackend::Session session;
        QVERIFY(waitForBinding(known, session, QStringLiteral("CTRL+ALT+v")));
        QVERIFY(QxtGlobalShortcut::isSupported());

        QTranslator translator;
        if (!language.isEmpty()) {
            QVERIFY(translator.load(
                QStringLiteral(MORV_BINARY_DIR "/translations/morv-clip_%1.qm").arg(language)));
            QCoreApplication::installTranslator(&translator);
        }
        QString informative;
        WhenShown<QMessageBox> box([&](QMessageBox *shown) {
            informative = shown->informativeText();
            QTest::keyClick(shown, Qt::Key_Return);
        });
        QAction *about = contextEntry(tray, QStringLiteral("&About ..."));
        QVERIFY(about);
        about->trigger();
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(box.shown, 1);
        QVERIFY2(informative.endsWith(answer), qPrintable(informative));
    }

    // The desktop's key toggles the menu as the X11 grab does; a disabled shortcut drops it.
    void theKeyTogglesTheMenu()
    {
        const qsizetype known = backend()->sessions.size();
        Systray tray;
        FakeShortcutsBackend::Session session;
        QVERIFY(waitForBinding(known, session, QStringLiteral("CTRL+ALT+v")));
        QFilteringMenuView *menu = tray.historyMenu();
        backend()->press(session.path, shortcutId);
        QTRY_VERIFY(menu->isVisible());
        backend()->press(session.path, shortcutId);
        QTRY_VERIFY(!menu->isVisible());
        tray.globalShortcut()->setDisabled();
        backend()->press(session.path, shortcutId);
        QTest::qWait(300);
        QVERIFY(!menu->isVisible());
    }

    // With the portal the dialog offers the key (under Wayland without it, the row is greyed out
    // with a note); a key chosen there replaces the binding: a new session asks for it and the
    // old one is closed, and only the new one opens the menu.
    void aKeyFromTheDialogIsBound()
    {
        const qsizetype known = backend()->sessions.size();
        Systray tray;
        FakeShortcutsBackend::Session old;
        QVERIFY(waitForBinding(known, old, QStringLiteral("CTRL+ALT+v")));

        bool offered = false;
        QString note;
        WhenShown<PreferencesDialog> dialog([&](PreferencesDialog *shown) {
            offered = shown->shortcutWidget->isEnabled() && shown->keyboardShortcutLabel->isEnabled();
            note = shown->keyboardShortcutLabel->toolTip();
            // A capture begins with a click; the keys come from the keyboard, through sway.
            QVERIFY(WaylandDesktop::waitUntil([&] { return shown->isActiveWindow(); }));
            QTest::mouseClick(shown->shortcutWidget->findChild<QPushButton *>(), Qt::LeftButton);
            QVERIFY(WaylandDesktop::pressCombination(QStringLiteral("ctrl+alt+b")));
            QTRY_COMPARE(shown->shortcutWidget->keySequence(), QKeySequence(QStringLiteral("Ctrl+Alt+B")));
            shown->accept();
        });
        QAction *configure = contextEntry(tray, QStringLiteral("&Configure..."));
        QVERIFY(configure);
        configure->trigger();
        QCOMPARE(dialog.shown, 1);
        QVERIFY(offered);
        QCOMPARE(note, QString());
        QCOMPARE(Preferences::instance()->shortcut(), QStringLiteral("Ctrl+Alt+B"));

        FakeShortcutsBackend::Session newer;
        QVERIFY(waitForBinding(known, newer, QStringLiteral("CTRL+ALT+b")));
        QVERIFY(newer.path != old.path);
        QVERIFY(
            WaylandDesktop::waitUntil([&] { return backend()->openSessionsWith(shortcutId).size() == 1; }));
        QFilteringMenuView *menu = tray.historyMenu();
        backend()->press(old.path, shortcutId);
        QTest::qWait(300);
        QVERIFY(!menu->isVisible());
        backend()->press(newer.path, shortcutId);
        QTRY_VERIFY(menu->isVisible());
        menu->hide();
    }
};

QTEST_MAIN(TestSystrayPortal)
#include "tst_systray_portal.moc"
