// SPDX-License-Identifier: GPL-2.0-or-later

#include "waylanddesktop.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>

#include <memory>

#include <poll.h>
#include <unistd.h>

using namespace WaylandDesktop;

namespace {

// Noise, so that the PNG is some hundred kilobytes: more than one pipe buffer in each direction.
QByteArray pngImage()
{
    QImage image(256, 256, QImage::Format_ARGB32);
    quint32 state = 7;
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            line[x] = state | 0x80000000u;
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The settings file as it is now, down to the time of its last write.
QString settingsState()
{
    const QFileInfo info(settingsFile());
    return info.lastModified().toString(Qt::ISODateWithMs) + QString::fromLatin1(settingsBytes().toHex());
}

// A private X server beside sway (whose own Xwayland the rig leaves off), as a session with an X
// display reachable has; ended with the object.
class XServer
{
public:
    // Starts it on a free display and waits until it says which (-displayfd), as the rig does.
    bool start()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        // The write end is inherited: QProcess leaves descriptors without close-on-exec open.
        server.setStandardOutputFile(QProcess::nullDevice());
        server.setStandardErrorFile(QProcess::nullDevice());
        server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QString::number(fds[1]),
                                              QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        ::close(fds[1]);
        QByteArray number;
        QDeadlineTimer timer(deadline);
        pollfd reader{fds[0], POLLIN, 0};
        char c = 0;
        while (server.waitForStarted() && ::poll(&reader, 1, int(timer.remainingTime())) == 1 &&
               ::read(fds[0], &c, 1) == 1 && c != '\n')
            number.append(c);
        ::close(fds[0]);
        display = ':' + number;
        return c == '\n' && !number.isEmpty();
    }

    ~XServer()
    {
        server.terminate();
        if (!server.waitForFinished(deadline))
            server.kill();
        server.waitForFinished();
    }

    QByteArray display;

private:
    QProcess server;
};

} // namespace

// The whole program under Wayland: what other programs copy reaches the history and the settings
// file through the compositor's clipboard-manager protocol (the program never has the keyboard
// focus when they copy), and what the user chooses goes back byte for byte.
class TestWaylandE2eHistory : public QObject
{
    Q_OBJECT

    Keyboard keyboard;
    QByteArray png;
    std::unique_ptr<Applet> applet;

    static bool openMenu() { return callShow() && waitUntil(menuOpen); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(keyboard.plugIn());
        png = pngImage();
        QVERIFY(png.size() > 128 * 1024);
    }

    void init() { QFile::remove(settingsFile()); }

    void cleanup()
    {
        if (applet && applet->isRunning())
            QCOMPARE(applet->stop(), 0);
        applet.reset();
    }

    void capturesCopiesAndStoresThemAtOnce()
    {
        QVERIFY(copy("there before the start"));
        applet = std::make_unique<Applet>();
        QVERIFY(applet->startAndWait());
        // A first start takes what the clipboard holds.
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"there before the start"}; }));

        QVERIFY(copy("gr\xc3\xbc\xc3\x9f dich \xe2\x82\xac"));
        QVERIFY(waitUntil([] { return storedTexts().size() == 2; }));
        QList<Morv::Item> items = storedHistory();
        QCOMPARE(items.first().contentType(), Morv::PlainText);
        QCOMPARE(items.first().content().value(QStringLiteral("text/plain")),
                 QByteArray("gr\xc3\xbc\xc3\x9f dich \xe2\x82\xac"));

        QVERIFY(copy("<p>rich <b>text</b></p>", QStringLiteral("text/html")));
        QVERIFY(waitUntil([] { return storedTexts().size() == 3; }));
        items = storedHistory();
        QCOMPARE(items.first().contentType(), Morv::RichText);
        QCOMPARE(items.first().content().value(QStringLiteral("text/html")),
                 QByteArray("<p>rich <b>text</b></p>"));

        QVERIFY(copy(png, QStringLiteral("image/png")));
        QVERIFY(waitUntil([] { return storedTexts().size() == 4; }));
        items = storedHistory();
        QCOMPARE(items.first().contentType(), Morv::Binary);
        QCOMPARE(sha256(items.first().data(QStringLiteral("image/png"))), sha256(png));

        // It runs on the data-control backend, and the hot key it cannot have under Wayland is
        // reported once, without taking the program down.
        QVERIFY(applet->isRunning());
        const QByteArray errors = applet->standardError();
        QVERIFY2(errors.contains("QxtGlobalShortcut failed to register: \"Ctrl+Alt+V\""), errors.constData());
        QVERIFY2(!errors.contains("will not be seen"), errors.constData());
        QVERIFY2(!errors.contains("ERROR: AddressSanitizer"), errors.constData());
    }

    void choosingAnEntryPutsItsBytesBack()
    {
        QVERIFY(copy("plain words"));
        applet = std::make_unique<Applet>();
        QVERIFY(applet->startAndWait());
        QVERIFY(waitUntil([] { return storedTexts().size() == 1; }));
        QVERIFY(copy(png, QStringLiteral("image/png")));
        QVERIFY(waitUntil([] { return storedTexts().size() == 2; }));
        QVERIFY(copy("<i>slanted</i>", QStringLiteral("text/html")));
        QVERIFY(waitUntil([] { return storedTexts().size() == 3; }));
        const QStringList rows = storedTexts();

        // The picture, below the HTML.
        QVERIFY(openMenu());
        QVERIFY(chooseEntry(1));
        QVERIFY(waitUntil([&] { return sha256(paste(QStringLiteral("image/png"))) == sha256(png); }));
        QCOMPARE(pastedTypes(), QStringList{"image/png"});
        // Pasted again and again, the same bytes.
        QCOMPARE(sha256(paste(QStringLiteral("image/png"))), sha256(png));
        QVERIFY(waitUntil([&] { return storedTexts() == QStringList({rows[1], rows[0], rows[2]}); }));

        // The plain text at the bottom, with each of its types.
        QVERIFY(openMenu());
        QVERIFY(chooseEntry(2));
        QVERIFY(waitUntil([] { return paste() == "plain words"; }));
        QCOMPARE(paste(QStringLiteral("text/plain")), QByteArray("plain words"));
        QCOMPARE(paste(QStringLiteral("text/plain;charset=utf-8")), QByteArray("plain words"));
        QVERIFY(waitUntil([&] { return storedTexts() == QStringList({rows[2], rows[1], rows[0]}); }));
        // The program's own content is not taken in again as a new copy.
        const QString stored = settingsState();
        QVERIFY(staysSo([&] { return settingsState() == stored; }, 1500));
    }

    void instantSynchronisationSettles()
    {
        QVERIFY(writeSettings("[General]\nplatformExtensions=true\nsynchronizePSE=2\n"));
        QVERIFY(copy("first"));
        applet = std::make_unique<Applet>();
        QVERIFY(applet->startAndWait());
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"first"}; }));

        QVERIFY(copy("copied"));
        QVERIFY(waitUntil([] { return paste({}, true) == "copied"; }));
        QCOMPARE(paste(), QByteArray("copied"));
        QVERIFY(waitUntil([] { return storedTexts() == QStringList({"copied", "first"}); }));
        // Neither selection hands the content back to the other: the program falls silent.
        QString stored = settingsState();
        QVERIFY(staysSo([&] { return settingsState() == stored; }, 2000));
        QCOMPARE(storedTexts(), QStringList({"copied", "first"}));

        QVERIFY(copy("selected", {}, true));
        QVERIFY(waitUntil([] { return paste() == "selected"; }));
        QCOMPARE(paste({}, true), QByteArray("selected"));
        QVERIFY(waitUntil([] { return storedTexts() == QStringList({"selected", "copied", "first"}); }));
        stored = settingsState();
        QVERIFY(staysSo([&] { return settingsState() == stored; }, 2000));
        QCOMPARE(paste(), QByteArray("selected"));
        QCOMPARE(paste({}, true), QByteArray("selected"));
    }

    void aTerminationSignalStoresTheHistory()
    {
        // Stored only at the end; the copy to the primary selection shows when the program has
        // taken a copy in.
        QVERIFY(writeSettings(
            "[General]\nsynchronizeHistory=false\nplatformExtensions=true\nsynchronizePSE=2\n"));
        QVERIFY(copy("start"));
        applet = std::make_unique<Applet>();
        QVERIFY(applet->startAndWait());
        // The service name is taken before the history is built: copying at once could replace
        // "start" before the program has seen it.
        QVERIFY(waitUntil([] { return paste({}, true) == "start"; }));
        QVERIFY(copy("kept"));
        QVERIFY(waitUntil([] { return paste({}, true) == "kept"; }));
        QCOMPARE(storedTexts(), QStringList());

        QCOMPARE(applet->stop(SIGTERM), 0);
        QCOMPARE(storedTexts(), QStringList({"kept", "start"}));
    }

    // A Wayland session with an X display reachable, Qt's platform left to the session: where the
    // compositor offers data-control the program stays a Wayland client and watches through it.
    void staysOnWaylandWhereTheCompositorOffersDataControl()
    {
        XServer x11;
        QVERIFY(x11.start());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(x11.display));
        QVERIFY(copy("there before the start"));
        applet = std::make_unique<Applet>();
        applet->process.setProcessEnvironment(environment);
        QVERIFY(applet->startAndWait());
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"there before the start"}; }));
        QVERIFY(copy("copied on Wayland"));
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("copied on Wayland"); }));

        // Its menu is a window of sway's (an X client's would be on the X server alone).
        QVERIFY(openMenu());
        QCOMPARE(menuWindow().pid, applet->pid());
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuClosed));
        const QByteArray errors = applet->standardError();
        QVERIFY2(!errors.contains("runs on the X display"), errors.constData());
        QVERIFY2(!errors.contains("will not be seen"), errors.constData());
    }

    void aSecondInstanceLeavesTheFirstAlone()
    {
        QVERIFY(copy("first instance"));
        applet = std::make_unique<Applet>();
        QVERIFY(applet->startAndWait());
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"first instance"}; }));
        const QByteArray before = settingsBytes();

        const Result second = run(qEnvironmentVariable("MORV_CLIP_BINARY"), {});
        QCOMPARE(second.exitCode, 1);
        const qsizetype serviceWarning = second.err.indexOf("Can't register D-Bus service");
        const qsizetype instanceWarning = second.err.indexOf("An instance of morv-clip is already running!");
        QVERIFY2(serviceWarning >= 0 && instanceWarning > serviceWarning, second.err.constData());
        QCOMPARE(settingsBytes(), before);

        QVERIFY(openMenu());
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuClosed));
        QVERIFY(copy("still watched"));
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("still watched"); }));
    }
};

QTEST_GUILESS_MAIN(TestWaylandE2eHistory)
#include "tst_wayland_e2e_history.moc"
