// SPDX-License-Identifier: GPL-2.0-or-later

#include "globalshortcutsportal.h"
#include "ksystemclipboard_fake.h"
#include "qxtglobalshortcut.h"
#include "systray.h"
#include "testenvironment.h"
#include "whenshown.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTranslator>

// The About box where no program can grab a key system-wide and the session's portal offers no
// global shortcuts: Qt's offscreen platform, and a Wayland compositor (the same test runs in
// both). Its last line says there is no support for a global shortcut, in the user's language; the
// rest reads as under X11 (tst_systray). With the portal it says yes (tst_wayland_e2e_portal).
class TestAboutBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QGuiApplication::platformName() != QLatin1String("xcb"));
        TestEnvironment::setUp();
        FakeSystemClipboard::install();
        TestEnvironment::clearSettings();
    }

    void saysNoGlobalShortcut_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("opening");
        QTest::addColumn<QString>("answer");
        QTest::newRow("English") << ""
                                 << "Lightweight, clipboard history applet."
                                 << "Support for global keyboard shortcut: No";
        QTest::newRow("German") << "de"
                                << "Leichtgewichtiges Applet"
                                << QString::fromUtf8("Unterstützung für globales Tastenkürzel: Nein");
    }

    void saysNoGlobalShortcut()
    {
        QFETCH(QString, language);
        QFETCH(QString, opening);
        QFETCH(QString, answer);
        QVERIFY(!QxtGlobalShortcut::isSupported());
        QTranslator translator;
        if (!language.isEmpty()) {
            QVERIFY(translator.load(
                QStringLiteral(MORV_BINARY_DIR "/translations/morv-clip_%1.qm").arg(language)));
            QCoreApplication::installTranslator(&translator);
        }
        // Setting the stored shortcut fails here, with a warning: at once where the session has no
        // portal at all, once it has answered where it has one without global shortcuts.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("failed to register")));
        Morv::Systray tray;
        QTRY_VERIFY_WITH_TIMEOUT(
            GlobalShortcutsPortal::instance()->state() != GlobalShortcutsPortal::State::Checking, 30000);

        QString text, informative;
        WhenShown<QMessageBox> box([&](QMessageBox *shown) {
            text = shown->text();
            informative = shown->informativeText();
            QTest::keyClick(shown, Qt::Key_Return);
        });
        const QList<QAction *> entries = tray.contextMenu()->actions();
        QCOMPARE(entries.size(), 6);
        entries.at(4)->trigger();
        QCoreApplication::removeTranslator(&translator);

        QCOMPARE(box.shown, 1);
        QCOMPARE(text, QStringLiteral("<h1>morv-clip</strong> " MORV_PROJECT_VERSION "</h1>"));
        QVERIFY2(informative.startsWith(opening), qPrintable(informative));
        QVERIFY2(informative.contains(QStringLiteral("https://morv.org/morv-clip")), qPrintable(informative));
        QVERIFY2(informative.endsWith(QStringLiteral("<p>") + answer), qPrintable(informative));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("failed to unregister")));
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
