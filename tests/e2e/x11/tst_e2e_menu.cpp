// SPDX-License-Identifier: GPL-2.0-or-later

#include "desktop.h"

#include <memory>

using namespace Desktop;

// The three ways to open and close the history menu, as another program, the keyboard and the
// mouse use them.
class TestE2eMenu : public QObject
{
    Q_OBJECT

    std::unique_ptr<Applet> applet;

    static bool menuClosed() { return !menuVisible(); }

    // The menu opened where the pointer is.
    static bool menuOpenAt(const QPoint &point) { return menuVisible() && menuGeometry().topLeft() == point; }

private Q_SLOTS:
    void initTestCase()
    {
        removeSettings();
        QVERIFY(copy("something copied"));
        applet = std::make_unique<Applet>();
        QVERIFY(applet->startAndWait());
    }

    void cleanupTestCase() { QCOMPARE(applet->stop(), 0); }

    void init() { QVERIFY(menuClosed()); }

    void cleanup()
    {
        if (menuVisible())
            QVERIFY(callShow() && waitUntil(menuClosed));
    }

    void dbusShowToggles()
    {
        const QPoint point(400, 300);
        QVERIFY(movePointer(point));
        QVERIFY(callShow());
        QVERIFY(waitUntil([&] { return menuOpenAt(point); }));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuClosed));

        // Again, somewhere else.
        QVERIFY(movePointer(QPoint(120, 500)));
        QVERIFY(callShow());
        QVERIFY(waitUntil([] { return menuOpenAt(QPoint(120, 500)); }));
    }

    // Other programs reach the one method and nothing else: not QObject's own slots, such as
    // deleteLater, which would let any program on the bus take the object away.
    void onlyShowIsPublished()
    {
        const Result introspection =
            run(QStringLiteral("dbus-send"),
                {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                 QStringLiteral("--dest=org.morv.morv-clip"), QStringLiteral("/org/morv/clip"),
                 QStringLiteral("org.freedesktop.DBus.Introspectable.Introspect")});
        QCOMPARE(introspection.exitCode, 0);
        const QByteArray xml = introspection.out;
        const qsizetype start = xml.indexOf("<interface name=\"org.morv.clip\">");
        QVERIFY2(start >= 0, xml.constData());
        const QByteArray interface = xml.mid(start, xml.indexOf("</interface>", start) - start);
        QCOMPARE(interface.count("<method "), 1);
        QVERIFY2(interface.contains("<method name=\"show\""), interface.constData());
        QVERIFY(!interface.contains("<signal") && !interface.contains("<property"));

        const Result deletion =
            run(QStringLiteral("dbus-send"),
                {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                 QStringLiteral("--dest=org.morv.morv-clip"), QStringLiteral("/org/morv/clip"),
                 QStringLiteral("org.morv.clip.deleteLater")});
        QVERIFY(deletion.exitCode != 0);
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuVisible));
    }

    void hotKeyToggles()
    {
        const QPoint point(640, 200);
        QVERIFY(movePointer(point));
        QVERIFY(pressKeys(QStringLiteral("ctrl+alt+v")));
        QVERIFY(waitUntil([&] { return menuOpenAt(point); }));
        QVERIFY(pressKeys(QStringLiteral("ctrl+alt+v")));
        QVERIFY(waitUntil(menuClosed));

        // All three run the same toggle: what one opened, another closes.
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuVisible));
        QVERIFY(pressKeys(QStringLiteral("ctrl+alt+v")));
        QVERIFY(waitUntil(menuClosed));
    }

    void leftClickOnTheTrayIconToggles()
    {
        const QRect icon = trayIcon();
        QVERIFY(icon.isValid());
        // The menu opens with its top edge at the pointer, so it covers the icon below that
        // line: the second click goes to the part above it, as a person clicks what they see.
        const QPoint low(icon.center().x(), icon.bottom() - 3);
        const QPoint high(icon.center().x(), icon.top() + 3);
        QVERIFY(click(low));
        QVERIFY(waitUntil([&] { return menuVisible() && menuGeometry().top() == low.y(); }));
        QVERIFY(click(high));
        QVERIFY(waitUntil(menuClosed));
        QTest::qWait(600); // two clicks closer than this make a double click
        QVERIFY(click(low));
        QVERIFY(waitUntil([&] { return menuVisible() && menuGeometry().top() == low.y(); }));
    }

    void otherClicksDoNotOpenIt_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("clicks");
        QTest::newRow("middle click") << 2 << 1;
        QTest::newRow("double click") << 1 << 2;
    }

    void otherClicksDoNotOpenIt()
    {
        QFETCH(int, button);
        QFETCH(int, clicks);
        const QRect icon = trayIcon();
        QVERIFY(icon.isValid());
        QVERIFY(click(icon.center(), button, clicks));
        // The hot key's press comes after the clicks over the same connection to the X server:
        // it opens the menu only if the clicks left it closed.
        QVERIFY(pressKeys(QStringLiteral("ctrl+alt+v")));
        QVERIFY(waitUntil(menuVisible, 5000));
        QVERIFY(pressKeys(QStringLiteral("ctrl+alt+v")));
        QVERIFY(waitUntil(menuClosed));
    }
};

QTEST_GUILESS_MAIN(TestE2eMenu)
#include "tst_e2e_menu.moc"
