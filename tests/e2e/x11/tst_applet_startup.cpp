// SPDX-License-Identifier: GPL-2.0-or-later

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>

// The real program, started as a user starts it, on a private display with a tray host and a
// session bus (the rig provides them).
class TestAppletStartUp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runsItsEventLoop()
    {
        const QString binary = qEnvironmentVariable("MORV_CLIP_BINARY");
        QVERIFY2(QFile::exists(binary), qPrintable(binary));
        QProcess applet;
        applet.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        applet.start(binary, {});
        QVERIFY(applet.waitForStarted());
        // Still running after a while: it has reached its event loop and waits there.
        QVERIFY(!applet.waitForFinished(1500));
        QCOMPARE(applet.state(), QProcess::Running);
        applet.terminate();
        QVERIFY(applet.waitForFinished(10000));
    }

    void terminationSignalsEndItNormally_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void terminationSignalsEndItNormally()
    {
        QFETCH(int, signalNumber);
        QProcess applet;
        applet.start(qEnvironmentVariable("MORV_CLIP_BINARY"), {});
        QVERIFY(applet.waitForStarted());
        QVERIFY(!applet.waitForFinished(1500));
        ::kill(applet.processId(), signalNumber);
        QVERIFY(applet.waitForFinished(10000));
        QCOMPARE(applet.exitStatus(), QProcess::NormalExit);
        QCOMPARE(applet.exitCode(), 0);
    }

    void aMissingTrayIconFileDoesNotStopStartUp()
    {
        const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/morv");
        QVERIFY(QDir().mkpath(folder));
        QFile settings(folder + QStringLiteral("/morv-clip.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[General]\ntray_icon_file=/nonexistent/icon.png\n");
        settings.close();

        QProcess applet;
        applet.start(qEnvironmentVariable("MORV_CLIP_BINARY"), {});
        QVERIFY(applet.waitForStarted());
        QVERIFY(!applet.waitForFinished(1500));
        applet.terminate();
        QVERIFY(applet.waitForFinished(10000));
        QVERIFY(settings.remove());
    }
};

QTEST_GUILESS_MAIN(TestAppletStartUp)
#include "tst_applet_startup.moc"
