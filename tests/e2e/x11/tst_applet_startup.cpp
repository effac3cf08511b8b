// SPDX-License-Identifier: GPL-2.0-or-later

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
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

    // A stored value that has Qt reserve gigabytes when QSettings decodes it, which recent Qt
    // answers with std::bad_alloc from the first look into the history. The program mends the file
    // before QSettings reads it, says so once, keeps the original and every sound item.
    void aSettingsFileQtCannotReadSafelyIsMended()
    {
        const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/morv");
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + QStringLiteral("/morv-clip.ini");
        const QByteArray sound = "\"@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1aQHash<QString,QByteArray>"
                                 "\\0\\0\\0\\0\\x1\\0\\0\\0\\x14\\0t\\0"
                                 "\\x65\\0x\\0t\\0/\\0p\\0l\\0\\x61\\0i\\0n\\0\\0\\0\\tsound %1)\"";
        const QByteArray original = "[dynamic]\n"
                                    "items\\1\\content=" +
                                    QByteArray(sound).replace("%1", "one") +
                                    "\n"
                                    "items\\1\\contentType=0\nitems\\1\\mode=0\n"
                                    "items\\2\\content=\"@Variant(\\0\\0\\0\\t<ph>i</p>)\"\n"
                                    "items\\2\\contentType=0\nitems\\2\\mode=0\n"
                                    "items\\3\\content=" +
                                    QByteArray(sound).replace("%1", "two") +
                                    "\n"
                                    "items\\3\\contentType=0\nitems\\3\\mode=0\n"
                                    "items\\size=3\n";
        {
            QFile settings(file);
            QVERIFY(settings.open(QIODevice::WriteOnly));
            settings.write(original);
        }

        QProcess applet;
        applet.start(qEnvironmentVariable("MORV_CLIP_BINARY"), {});
        QVERIFY(applet.waitForStarted());
        QVERIFY(!applet.waitForFinished(1500));
        applet.terminate();
        QVERIFY(applet.waitForFinished(10000));
        QCOMPARE(applet.exitStatus(), QProcess::NormalExit);
        QCOMPARE(applet.exitCode(), 0);

        const QString errors = QString::fromUtf8(applet.readAllStandardError());
        const QRegularExpression mended(
            QRegularExpression::escape(file) +
                QStringLiteral(": \"dynamic/items/2/content\" holds a list of [0-9]+ values in "
                               "[0-9]+ bytes, which Qt cannot read safely; the value is left "
                               "out \\(the original file is kept in (.*)\\)$"),
            QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = mended.match(errors);
        QVERIFY2(match.hasMatch(), qPrintable(errors));
        QCOMPARE(errors.count(QLatin1String("cannot read safely")), 1);
        QFile kept(match.captured(1));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), original);

        // Stored again at exit: both sound items, nothing of the damaged value.
        QFile settings(file);
        QVERIFY(settings.open(QIODevice::ReadOnly));
        const QByteArray stored = settings.readAll();
        QVERIFY2(stored.contains("sound one") && stored.contains("sound two"), stored.constData());
        QVERIFY(!stored.contains("<ph>"));
        settings.close();
        QVERIFY(settings.remove());
        QVERIFY(kept.remove());
    }
};

QTEST_GUILESS_MAIN(TestAppletStartUp)
#include "tst_applet_startup.moc"
