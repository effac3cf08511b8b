// SPDX-License-Identifier: GPL-2.0-or-later

// Without an X11 display (here Qt's offscreen platform, as under Wayland) there is no hot key:
// every grab fails with a warning and nothing else happens.
#include "qxtglobalshortcut.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestGlobalShortcutOffscreen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failsSoftly()
    {
        QVERIFY(QGuiApplication::platformName() != QLatin1String("xcb"));
        QVERIFY(!QxtGlobalShortcut::isSupported());
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: \"Ctrl+Alt+V\"");
        auto shortcut = std::make_unique<QxtGlobalShortcut>(QKeySequence(QStringLiteral("Ctrl+Alt+V")));
        QSignalSpy spy(shortcut.get(), &QxtGlobalShortcut::activated);
        // The failed combination is still the one set, and the one to release next.
        QCOMPARE(shortcut->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+V")));

        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to unregister: \"Ctrl+Alt+V\"");
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: \"Meta+F1\"");
        QVERIFY(!shortcut->setShortcut(QKeySequence(Qt::META | Qt::Key_F1)));
        shortcut->setDisabled();
        QVERIFY(!shortcut->isEnabled());
        shortcut->setEnabled();
        QVERIFY(shortcut->isEnabled());
        QCoreApplication::processEvents();

        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to unregister: \"Meta+F1\"");
        shortcut.reset();
        QCOMPARE(spy.count(), 0);
    }
};

QTEST_MAIN(TestGlobalShortcutOffscreen)
#include "tst_globalshortcut_offscreen.moc"
