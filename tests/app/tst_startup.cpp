// SPDX-License-Identifier: GPL-2.0-or-later

#include "preferences.h"
#include "singleapplication.h"
#include "startup.h"

#include <QDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

using Morv::Preferences;

class TestStartUp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QStandardPaths::setTestModeEnabled(true);
        Morv::StartUp::setIdentity();
        Morv::StartUp::setApplicationDefaults();
    }

    void identity()
    {
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("morv-clip"));
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("morv-clip"));
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral(MORV_PROJECT_VERSION));
        QCOMPARE(QCoreApplication::organizationDomain(), QStringLiteral("morv.org"));
        QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("morv"));
        QCOMPARE(QSettings::defaultFormat(), QSettings::IniFormat);
        QVERIFY(!QGuiApplication::quitOnLastWindowClosed());
        QVERIFY(qobject_cast<Morv::SingleApplication *>(QCoreApplication::instance()));
    }

    void windowIconFromTheTrayIconPreference()
    {
        Morv::StartUp::setWindowIconFromPreferences();
        const QIcon icon = QGuiApplication::windowIcon();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.pixmap(128, 128).size(), QSize(128, 128));
    }

    void aMissingIconFileGivesAnEmptyIcon()
    {
        Preferences::instance()->setValue(QStringLiteral("tray_icon_file"),
                                          QStringLiteral("/nonexistent/icon.png"));
        Morv::StartUp::setWindowIconFromPreferences();
        QVERIFY(QGuiApplication::windowIcon().pixmap(32, 32).isNull());
        Preferences::instance()->remove(QStringLiteral("tray_icon_file"));
    }

    void closingTheLastWindowDoesNotQuit()
    {
        bool quitRequested = false;
        connect(qApp, &QCoreApplication::aboutToQuit, this, [&] { quitRequested = true; });
        QDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTimer::singleShot(0, &dialog, &QDialog::reject);
        dialog.exec();
        QTest::qWait(100);
        QVERIFY(!quitRequested);
    }

    void preferencesCreatedTooEarlyAreCaught()
    {
#ifdef QT_NO_DEBUG
        QSKIP("the check is an assertion of debug builds");
#else
        // Before the identity is set the store would bind to another file: a debug build stops.
        QProcess early;
        early.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--preferences-before-identity")});
        QVERIFY(early.waitForFinished(20000));
        QCOMPARE(early.exitStatus(), QProcess::CrashExit);
        QVERIFY(early.readAllStandardError().contains("created before the application identity"));
#endif
    }
};

int main(int argc, char *argv[])
{
    Morv::SingleApplication app(argc, argv, Morv::SingleApplication::NoInstanceCheck);
    if (app.arguments().contains(QStringLiteral("--preferences-before-identity"))) {
        Preferences::instance();
        return 0;
    }
    TestStartUp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
