// SPDX-License-Identifier: GPL-2.0-or-later

// The hot key on Wayland through the XDG GlobalShortcuts portal, driven from outside: the real
// program under sway (which has no portal of its own), the desktop portal's real frontend on the
// test's bus, and behind it a backend of the test's, which presses the key. Skipped where the
// frontend is missing or too old for the interface (Debian 12). Without a portal:
// tst_wayland_e2e_menu; the About box and the preferences dialog with the portal:
// tst_systray_portal.
#include "portaldesktop.h"
#include "waylanddesktop.h"

using namespace WaylandDesktop;
using PortalDesktop::FakeShortcutsBackend;

namespace {
const QString shortcutId = QStringLiteral("history-menu");
} // namespace

class TestWaylandE2ePortal : public QObject
{
    Q_OBJECT

    Keyboard keyboard;

private Q_SLOTS:
    void initTestCase()
    {
        const QString missing = PortalDesktop::Portal::missing();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        QVERIFY(keyboard.plugIn());
        QVERIFY(PortalDesktop::installDesktopEntry(qEnvironmentVariable("MORV_CLIP_BINARY")));
        QFile::remove(settingsFile());
    }

    void thePortalBindsTheHotKey()
    {
        PortalDesktop::Portal portal;
        QVERIFY(portal.start());
        FakeShortcutsBackend *backend = portal.backend.get();

        Applet applet;
        QVERIFY(applet.startAndWait());
        // One session, under the program's desktop entry name, with the key of the preferences.
        QVERIFY(waitUntil([&] { return backend->openSessionsWith(shortcutId).size() == 1; }));
        const FakeShortcutsBackend::Session session = backend->openSessionsWith(shortcutId).first();
        QCOMPARE(session.appId, QStringLiteral("morv-clip"));
        QCOMPARE(session.bound.size(), 1);
        QCOMPARE(session.bound.first().properties.value(QStringLiteral("preferred_trigger")).toString(),
                 QStringLiteral("CTRL+ALT+v"));
        QCOMPARE(session.bound.first().properties.value(QStringLiteral("description")).toString(),
                 QStringLiteral("Open the clipboard history"));

        // The desktop saw the key: the menu opens, and closes at the next press.
        backend->press(session.path, shortcutId);
        QVERIFY(waitUntil(menuOpen));
        QCOMPARE(menuWindow().pid, applet.pid());
        backend->press(session.path, shortcutId);
        QVERIFY(waitUntil(menuClosed));
        // Opened by the key, the menu gives back what is chosen.
        for (const QByteArray &text : {QByteArray("something copied"), QByteArray("newer")}) {
            QVERIFY(copy(text));
            QVERIFY(waitUntil([&] { return storedTexts().value(0) == QString::fromUtf8(text); }));
        }
        backend->press(session.path, shortcutId);
        QVERIFY(waitUntil(menuOpen));
        QVERIFY(chooseEntry(1));
        QVERIFY(waitUntil([] { return paste() == "something copied"; }));
        // A key of another session (another program's) is not ours.
        backend->press(session.path + QLatin1String("0"), shortcutId);
        QVERIFY(staysSo(menuClosed, 500));

        // The program's end ends its session; it wrote no warning.
        QCOMPARE(applet.stop(), 0);
        QVERIFY(waitUntil([&] { return backend->openSessionsWith(shortcutId).isEmpty(); }));
        QVERIFY2(!applet.standardError().contains("QxtGlobalShortcut"), applet.standardError().constData());

        // The next start binds again.
        Applet again;
        QVERIFY(again.startAndWait());
        QVERIFY(waitUntil([&] { return backend->openSessionsWith(shortcutId).size() == 1; }));
        backend->press(backend->openSessionsWith(shortcutId).first().path, shortcutId);
        QVERIFY(waitUntil(menuOpen));
        QCOMPARE(again.stop(), 0);
    }
};

QTEST_GUILESS_MAIN(TestWaylandE2ePortal)
#include "tst_wayland_e2e_portal.moc"
