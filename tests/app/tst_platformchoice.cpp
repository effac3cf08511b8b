// SPDX-License-Identifier: GPL-2.0-or-later

#include "displayprobe.h"
#include "platformchoice.h"

#include <QScopeGuard>
#include <QTest>

#include <optional>

using Morv::DisplayProbe;
using Morv::PlatformChoice;
using WaylandClipboard = DisplayProbe::WaylandClipboard;

Q_DECLARE_METATYPE(WaylandClipboard)
Q_DECLARE_METATYPE(PlatformChoice::Session)

namespace {

// Answers as told and remembers what it was asked: a question costs a connection to a display
// server at every start.
class FakeDisplayProbe : public DisplayProbe
{
public:
    WaylandClipboard wayland = WaylandClipboard::NoDataControl;
    bool x11 = true;
    mutable QByteArrayList askedWayland;
    mutable QByteArrayList askedX11;

    WaylandClipboard waylandClipboard(const QByteArray &display) const override
    {
        askedWayland.append(display);
        return wayland;
    }

    bool x11DisplayReachable(const QByteArray &display) const override
    {
        askedX11.append(display);
        return x11;
    }
};

// GNOME's session as it reaches a program: Wayland, with Xwayland's display.
PlatformChoice::Session gnomeSession()
{
    PlatformChoice::Session session;
    session.waylandDisplay = "wayland-0";
    session.sessionType = "wayland";
    session.x11Display = ":0";
    return session;
}

} // namespace

class TestPlatformChoice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decide_data()
    {
        QTest::addColumn<PlatformChoice::Session>("session");
        QTest::addColumn<WaylandClipboard>("wayland");
        QTest::addColumn<bool>("x11Reachable");
        QTest::addColumn<QByteArray>("platform");
        QTest::addColumn<QByteArrayList>("askedWayland");
        QTest::addColumn<QByteArrayList>("askedX11");

        const PlatformChoice::Session gnome = gnomeSession();
        QTest::newRow("no data-control, X reachable: xcb")
            << gnome << WaylandClipboard::NoDataControl << true << QByteArray("xcb")
            << QByteArrayList{"wayland-0"} << QByteArrayList{":0"};
        QTest::newRow("data-control: Qt's choice, X not asked")
            << gnome << WaylandClipboard::DataControl << true << QByteArray() << QByteArrayList{"wayland-0"}
            << QByteArrayList();
        QTest::newRow("compositor not reached: Qt's choice")
            << gnome << WaylandClipboard::Unknown << true << QByteArray() << QByteArrayList{"wayland-0"}
            << QByteArrayList();
        QTest::newRow("X display does not answer: Wayland all the same")
            << gnome << WaylandClipboard::NoDataControl << false << QByteArray()
            << QByteArrayList{"wayland-0"} << QByteArrayList{":0"};

        PlatformChoice::Session session = gnome;
        session.x11Display.clear();
        QTest::newRow("no X display: nothing asked") << session << WaylandClipboard::NoDataControl << true
                                                     << QByteArray() << QByteArrayList() << QByteArrayList();

        session = gnome;
        session.platformVariable = "wayland";
        QTest::newRow("QT_QPA_PLATFORM=wayland: the user's choice")
            << session << WaylandClipboard::NoDataControl << true << QByteArray() << QByteArrayList()
            << QByteArrayList();
        session.platformVariable = "offscreen";
        QTest::newRow("QT_QPA_PLATFORM=offscreen: the user's choice")
            << session << WaylandClipboard::NoDataControl << true << QByteArray() << QByteArrayList()
            << QByteArrayList();

        session = gnome;
        session.platformArgument = true;
        QTest::newRow("-platform: the user's choice") << session << WaylandClipboard::NoDataControl << true
                                                      << QByteArray() << QByteArrayList() << QByteArrayList();

        session = gnome;
        session.waylandSocket = true;
        QTest::newRow("WAYLAND_SOCKET: the connection is Qt's, not probed")
            << session << WaylandClipboard::NoDataControl << true << QByteArray() << QByteArrayList()
            << QByteArrayList();

        session = gnome;
        session.waylandDisplay.clear();
        QTest::newRow("Wayland session without WAYLAND_DISPLAY: libwayland's default socket")
            << session << WaylandClipboard::NoDataControl << true << QByteArray("xcb") << QByteArrayList{""}
            << QByteArrayList{":0"};

        session = gnome;
        session.sessionType.clear();
        QTest::newRow("WAYLAND_DISPLAY alone makes a Wayland session")
            << session << WaylandClipboard::NoDataControl << true << QByteArray("xcb")
            << QByteArrayList{"wayland-0"} << QByteArrayList{":0"};

        session = gnome;
        session.waylandDisplay.clear();
        session.sessionType = "x11";
        QTest::newRow("X11 session: nothing asked") << session << WaylandClipboard::NoDataControl << true
                                                    << QByteArray() << QByteArrayList() << QByteArrayList();
        session.sessionType.clear();
        QTest::newRow("no session type, no Wayland display: nothing asked")
            << session << WaylandClipboard::NoDataControl << true << QByteArray() << QByteArrayList()
            << QByteArrayList();
    }

    void decide()
    {
        QFETCH(PlatformChoice::Session, session);
        QFETCH(WaylandClipboard, wayland);
        QFETCH(bool, x11Reachable);
        QFETCH(QByteArray, platform);
        QFETCH(QByteArrayList, askedWayland);
        QFETCH(QByteArrayList, askedX11);

        FakeDisplayProbe probe;
        probe.wayland = wayland;
        probe.x11 = x11Reachable;
        const PlatformChoice::Decision decision = PlatformChoice::decide(session, probe);
        QCOMPARE(decision.platform, platform);
        QCOMPARE(probe.askedWayland, askedWayland);
        QCOMPARE(probe.askedX11, askedX11);
        // A switch says why and where to; staying says nothing.
        if (platform.isEmpty()) {
            QVERIFY(decision.reason.isEmpty());
        } else {
            QVERIFY2(decision.reason.contains(QLatin1String("neither ext nor wlr data-control")),
                     qPrintable(decision.reason));
            QVERIFY2(decision.reason.contains(QLatin1String("X display :0")), qPrintable(decision.reason));
            QVERIFY(!decision.reason.contains(QLatin1Char('\n')));
        }
    }

    void theSessionComesFromTheEnvironmentAndTheCommandLine()
    {
        const QList<const char *> names{"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "WAYLAND_SOCKET",
                                        "XDG_SESSION_TYPE", "DISPLAY"};
        QHash<const char *, std::optional<QByteArray>> before;
        for (const char *name : names)
            before.insert(name,
                          qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        const auto restore = qScopeGuard([&] {
            for (const char *name : names) {
                if (before.value(name))
                    qputenv(name, *before.value(name));
                else
                    qunsetenv(name);
            }
        });

        qputenv("QT_QPA_PLATFORM", "wayland");
        qputenv("WAYLAND_DISPLAY", "/run/user/1000/wayland-1");
        qputenv("WAYLAND_SOCKET", "5");
        qputenv("XDG_SESSION_TYPE", "wayland");
        qputenv("DISPLAY", ":3");
        const char *withPlatform[] = {"morv-clip", "-platform", "xcb"};
        PlatformChoice::Session session = PlatformChoice::Session::current(3, withPlatform);
        QCOMPARE(session.platformVariable, QByteArray("wayland"));
        QVERIFY(session.platformArgument);
        QCOMPARE(session.waylandDisplay, QByteArray("/run/user/1000/wayland-1"));
        QVERIFY(session.waylandSocket);
        QCOMPARE(session.sessionType, QByteArray("wayland"));
        QCOMPARE(session.x11Display, QByteArray(":3"));

        const char *doubleDash[] = {"morv-clip", "--platform", "xcb"};
        QVERIFY(PlatformChoice::Session::current(3, doubleDash).platformArgument);
        // The program's name and an option's value are no option.
        const char *otherwise[] = {"-platform", "--style", "-platform-like"};
        QVERIFY(!PlatformChoice::Session::current(3, otherwise).platformArgument);

        // Set but empty counts as unset, as Qt reads it.
        qputenv("QT_QPA_PLATFORM", "");
        qputenv("WAYLAND_SOCKET", "");
        session = PlatformChoice::Session::current(1, withPlatform);
        QVERIFY(session.platformVariable.isEmpty());
        QVERIFY(!session.platformArgument);
        QVERIFY(!session.waylandSocket);
    }

    // The real probe, in a process whose session has no display server at all: neither question
    // has an answer, and neither hangs.
    void theRealProbeWithoutDisplayServers()
    {
        const DisplayProbe probe;
        QCOMPARE(probe.waylandClipboard("morv-no-such-compositor"), WaylandClipboard::Unknown);
        QVERIFY(!probe.x11DisplayReachable(""));
        QVERIFY(!probe.x11DisplayReachable(":4095"));
    }
};

QTEST_GUILESS_MAIN(TestPlatformChoice)
#include "tst_platformchoice.moc"
