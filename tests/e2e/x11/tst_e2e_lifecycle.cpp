// SPDX-License-Identifier: GPL-2.0-or-later

#include "desktop.h"
#include "noise.h"
#include "x11owners.h"

#include <QBuffer>
#include <QImage>

#include <memory>

using namespace Desktop;

namespace {
// Stores the history only when the program ends, so that the file shows what the teardown wrote.
const QByteArray storeAtExitOnly = "[General]\nsynchronizeHistory=false\n";

// A picture whose PNG is larger than what the settings file keeps inline.
QByteArray noisePicture()
{
    QImage image(120, 90, QImage::Format_RGB32);
    const QByteArray bytes = noise(17, image.sizeInBytes());
    std::copy(bytes.cbegin(), bytes.cend(), image.bits());
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// A session bus of its own, as a second login session of the same user has.
class OtherSessionBus
{
public:
    OtherSessionBus()
    {
        daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                     QStringLiteral("--print-address")});
        if (daemon.waitForStarted(deadline))
            waitUntil([this] { return daemon.canReadLine() || !daemon.waitForReadyRead(100); });
        address = QString::fromUtf8(daemon.readLine()).trimmed();
    }

    ~OtherSessionBus()
    {
        daemon.kill();
        daemon.waitForFinished();
    }

    bool nameHasOwner(const QString &name) const
    {
        return run(QStringLiteral("dbus-send"),
                   {QStringLiteral("--bus=") + address, QStringLiteral("--print-reply"),
                    QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                    QStringLiteral("org.freedesktop.DBus.NameHasOwner"), QStringLiteral("string:") + name})
            .out.contains("boolean true");
    }

    QString address;

private:
    QProcess daemon;
};
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

    void anotherInstanceNeverTakesWhatOnlyOurOfferHolds_data()
    {
        QTest::addColumn<bool>("ownSessionBus");
        // Started in the same session: it finds the name taken and ends at once.
        QTest::newRow("same session") << false;
        // Started in another session of the same user (another bus, the same home): it runs, and
        // sees a copy that the first one stores.
        QTest::newRow("another session") << true;
    }

    // The first instance holds a picture that only its clipboard offer still names: chosen from
    // the history and then cut from it. Whatever another instance does, the picture stays on the
    // disk while the offer lives, and goes when the first instance ends.
    void anotherInstanceNeverTakesWhatOnlyOurOfferHolds()
    {
        QFETCH(bool, ownSessionBus);
        QVERIFY(writeSettings("[General]\nhistoryCount=1\nplatformExtensions=true\n"));
        Applet first;
        QVERIFY(first.startAndWait());
        const QByteArray png = noisePicture();
        QVERIFY(png.size() > 20000);
        QVERIFY(copy(png, QStringLiteral("image/png")));
        const QString file = contentFile(sha256(png));
        QVERIFY(waitUntil([&] { return QFile::exists(file) && storedTexts() == QStringList{QString()}; }));
        const SelectionProbe probe;
        QVERIFY(probe.isValid());
        const xcb_window_t copier = probe.clipboardOwner();
        QVERIFY(chooseEntry(0));
        QVERIFY(waitUntil([&] { return probe.clipboardOwner() != copier; }));
        QVERIFY(copy("selected", QString(), QStringLiteral("primary")));
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{QStringLiteral("selected")}; }));
        QVERIFY(QFile::exists(file));

        if (!ownSessionBus) {
            QCOMPARE(run(qEnvironmentVariable("MORV_CLIP_BINARY"), {}).exitCode, 1);
        } else {
            OtherSessionBus bus;
            QVERIFY(!bus.address.isEmpty());
            Applet second;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address);
            second.process.setProcessEnvironment(environment);
            second.process.setProcessChannelMode(QProcess::SeparateChannels);
            QVERIFY(second.start());
            QVERIFY(waitUntil([&] { return bus.nameHasOwner(QStringLiteral("org.morv.morv-clip")); }));
            QVERIFY(copy("selected again", QString(), QStringLiteral("primary")));
            QVERIFY(waitUntil([] { return storedTexts() == QStringList{QStringLiteral("selected again")}; }));
            QCOMPARE(second.stop(), 0);
            const QByteArray said = second.process.readAllStandardError();
            QVERIFY2(said.count("in memory only") == 1, said.constData());
        }
        QVERIFY(QFile::exists(file));
        QCOMPARE(sha256(paste(QStringLiteral("image/png"))), sha256(png));

        // The offer goes with the first instance, and so does its file.
        QCOMPARE(first.stop(), 0);
        QVERIFY(!QFile::exists(file));
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
        QTest::newRow("About box") << 3 << "About morv-clip";
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
