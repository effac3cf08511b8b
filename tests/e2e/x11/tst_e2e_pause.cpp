// SPDX-License-Identifier: GPL-2.0-or-later

#include "desktop.h"
#include "x11owners.h"

#include <QImage>

#include <memory>

using namespace Desktop;

namespace {

const QString historyInterface = QStringLiteral("org.morv.clip.History");

bool callHistory(const QString &method)
{
    return run(QStringLiteral("dbus-send"),
               {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                QStringLiteral("--dest=org.morv.morv-clip"), QStringLiteral("/org/morv/clip"),
                historyInterface + QLatin1Char('.') + method})
               .exitCode == 0;
}

// The property "paused" as dbus-send reads it: "true", "false", or empty when there is no answer.
QString pausedProperty()
{
    const Result reply = run(QStringLiteral("dbus-send"),
                             {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                              QStringLiteral("--dest=org.morv.morv-clip"), QStringLiteral("/org/morv/clip"),
                              QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                              QStringLiteral("string:") + historyInterface, QStringLiteral("string:paused")});
    if (reply.out.contains("boolean true"))
        return QStringLiteral("true");
    if (reply.out.contains("boolean false"))
        return QStringLiteral("false");
    return QString();
}

QImage trayIconImage()
{
    const Result shot =
        run(QStringLiteral("import"), {QStringLiteral("-window"), trayIconWindow(), QStringLiteral("png:-")});
    return QImage::fromData(shot.out, "PNG");
}

// The "Pause history" entry of the tray icon's context menu: the third.
bool togglePauseInTheTray()
{
    return click(trayIcon().center(), 3) && waitUntil([] { return contextMenuGeometry().isValid(); }) &&
           pressKeys(QStringLiteral("Down Down Down Return")) &&
           waitUntil([] { return !contextMenuGeometry().isValid(); });
}

} // namespace

// Pausing the history of the real program: from the tray icon's context menu and over D-Bus.
// While paused, another program's copy is not even asked for its formats, an emptied clipboard is
// not restored, and choosing entries works; the state is not kept across a restart.
class TestE2ePause : public QObject
{
    Q_OBJECT

    std::unique_ptr<Applet> applet;

    void startApplet()
    {
        applet = std::make_unique<Applet>();
        QVERIFY(applet->startAndWait());
    }

private Q_SLOTS:
    void init()
    {
        removeSettings();
        QVERIFY(copy("start"));
        startApplet();
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"start"}; }));
    }

    void cleanup()
    {
        if (applet && applet->isRunning())
            QCOMPARE(applet->stop(), 0);
        applet.reset();
    }

    void whilePausedNothingIsReadStoredOrRestored()
    {
        OwnerProcess before;
        before.start(QStringLiteral(SELECTION_OWNER), {QStringLiteral("UTF8_STRING=before")});
        QVERIFY(before.waitUntilOwning());
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("before"); }));
        const QImage normalIcon = trayIconImage();
        QVERIFY(!normalIcon.isNull());

        QCOMPARE(pausedProperty(), QStringLiteral("false"));
        QVERIFY(togglePauseInTheTray());
        QVERIFY(waitUntil([] { return pausedProperty() == QLatin1String("true"); }));
        QVERIFY(waitUntil([&] {
            const QImage shown = trayIconImage();
            return !shown.isNull() && shown != normalIcon;
        }));

        // A password copied meanwhile: nobody asks its owner for anything.
        OwnerProcess secret;
        secret.start(QStringLiteral(SELECTION_OWNER), {QStringLiteral("UTF8_STRING=hunter2")});
        QVERIFY(secret.waitUntilOwning());
        QTest::qWait(1500);
        QCOMPARE(secret.asked(), QStringList());
        // Its owner gone, the clipboard stays empty.
        secret.kill();
        secret.waitForFinished();
        QTest::qWait(1500);
        QCOMPARE(paste(), QByteArray());
        QCOMPARE(storedTexts(), (QStringList{"before", "start"}));

        // Choosing works as ever.
        QVERIFY(openMenu());
        QVERIFY(pressKeys(QStringLiteral("Down Down Return")));
        QVERIFY(waitUntil([] { return paste() == "start"; }));
        QVERIFY(waitUntil([] { return storedTexts() == QStringList{"start", "before"}; }));

        // Another copy while paused, still on the clipboard when the history resumes: it was made
        // while paused and is not read then either.
        OwnerProcess second;
        second.start(QStringLiteral(SELECTION_OWNER), {QStringLiteral("UTF8_STRING=also secret")});
        QVERIFY(second.waitUntilOwning());
        QVERIFY(togglePauseInTheTray());
        QVERIFY(waitUntil([] { return pausedProperty() == QLatin1String("false"); }));
        QVERIFY(waitUntil([&] { return trayIconImage() == normalIcon; }));
        QTest::qWait(1000);
        QCOMPARE(second.asked(), QStringList());

        // The next copy is taken.
        QVERIFY(copyAndWait("after"));
        QCOMPARE(storedTexts(), (QStringList{"after", "start", "before"}));
    }

    void overDBus()
    {
        // The interface of the show method keeps exactly that one method.
        const Result introspection =
            run(QStringLiteral("dbus-send"),
                {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                 QStringLiteral("--dest=org.morv.morv-clip"), QStringLiteral("/org/morv/clip"),
                 QStringLiteral("org.freedesktop.DBus.Introspectable.Introspect")});
        const QString xml = QString::fromUtf8(introspection.out);
        const qsizetype clip = xml.indexOf(QLatin1String("<interface name=\"org.morv.clip\">"));
        QVERIFY(clip >= 0);
        const QString clipInterface = xml.mid(clip, xml.indexOf(QLatin1String("</interface>"), clip) - clip);
        QCOMPARE(clipInterface.count(QLatin1String("<method ")), 1);
        QVERIFY(clipInterface.contains(QLatin1String("<method name=\"show\">")));
        QVERIFY(!clipInterface.contains(QLatin1String("<property")));
        QVERIFY(!clipInterface.contains(QLatin1String("<signal")));
        QVERIFY(xml.contains(QLatin1String("<interface name=\"org.morv.clip.History\">")));
        QVERIFY(xml.contains(QLatin1String("<property name=\"paused\" type=\"b\" access=\"read\"/>")));

        QVERIFY(callHistory(QStringLiteral("pause")));
        QCOMPARE(pausedProperty(), QStringLiteral("true"));
        QVERIFY(callHistory(QStringLiteral("pause")));
        QCOMPARE(pausedProperty(), QStringLiteral("true"));
        QVERIFY(copy("not kept"));
        QTest::qWait(1500);
        QCOMPARE(storedTexts(), QStringList{"start"});
        QVERIFY(callHistory(QStringLiteral("resume")));
        QCOMPARE(pausedProperty(), QStringLiteral("false"));
        QVERIFY(copyAndWait("kept"));

        // Not kept across a restart.
        QVERIFY(callHistory(QStringLiteral("pause")));
        QCOMPARE(applet->stop(), 0);
        startApplet();
        QCOMPARE(pausedProperty(), QStringLiteral("false"));
        QVERIFY(copyAndWait("after the restart"));
    }
};

QTEST_GUILESS_MAIN(TestE2ePause)
#include "tst_e2e_pause.moc"
