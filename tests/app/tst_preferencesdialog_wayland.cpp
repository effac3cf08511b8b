// SPDX-License-Identifier: GPL-2.0-or-later

#include "preferences.h"
#include "preferencesdialog.h"
#include "testenvironment.h"
#include "translator.h"
#include "waylanddesktop.h"

#include <QApplication>
#include <QTranslator>

using Morv::Preferences;
using Morv::PreferencesDialog;

namespace {

const QString note = QStringLiteral(
    "On Wayland, apps can't handle global shortcuts.\n Set the shortcut in your compositor to call D-Bus "
    "instead,\n e.g.: 'qdbus6 org.morv.morv-clip /org/morv/clip show'");

QString storedShortcut()
{
    Preferences::instance()->sync();
    return Preferences::instance()->value(QStringLiteral("shortcut")).toString();
}

} // namespace

// The preferences dialog on a Wayland display, where no program can have a global hot key: the
// shortcut row is there but disabled, its label tells what to do instead, and OK keeps the stored
// combination as it is.
class TestPreferencesDialogWayland : public QObject
{
    Q_OBJECT

    WaylandDesktop::Keyboard keyboard;

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        TestEnvironment::setUp();
        QVERIFY(keyboard.plugIn());
    }

    void init() { TestEnvironment::clearSettings(); }

    void theShortcutRowIsDisabledWithTheNote()
    {
        Preferences::instance()->setValue(QStringLiteral("shortcut"), QStringLiteral("Ctrl+Shift+F5"));
        PreferencesDialog dialog;
        QVERIFY(!dialog.keyboardShortcutLabel->isEnabled());
        QVERIFY(!dialog.shortcutWidget->isEnabled());
        QCOMPARE(dialog.keyboardShortcutLabel->toolTip(), note);
        // It still shows what is stored.
        QCOMPARE(dialog.shortcutWidget->keySequence(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F5));
        // Nothing else is disabled for it.
        for (QWidget *other : std::initializer_list<QWidget *>{
                 dialog.historyComboBox, dialog.displaySizeComboBox, dialog.trimCheckBox,
                 dialog.buttonIconImage, dialog.platformExtensionsCheckBox, dialog.confirmOnClear})
            QVERIFY2(other->isEnabled(), qPrintable(other->objectName()));
    }

    void okWithTheKeyboardKeepsTheShortcut_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("written");
        QTest::newRow("never set") << QVariant() << "Ctrl+Alt+V";
        QTest::newRow("a combination of the user's")
            << QVariant(QStringLiteral("Ctrl+Shift+F5")) << "Ctrl+Shift+F5";
        QTest::newRow("cleared") << QVariant(QString()) << "";
    }

    // The dialog as a window of the compositor's, accepted with the Return key.
    void okWithTheKeyboardKeepsTheShortcut()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, written);
        if (stored.isValid())
            Preferences::instance()->setValue(QStringLiteral("shortcut"), stored);
        Preferences::instance()->sync();

        PreferencesDialog dialog;
        dialog.show();
        QVERIFY(WaylandDesktop::waitUntil(
            [] { return WaylandDesktop::windowFocused(QStringLiteral("morv-clip Preferences")); }));
        // Qt has taken the keyboard focus too. This process is the client: while wtype runs it
        // reads nothing from sway, and keys that come in one batch with the focus can be lost.
        QVERIFY(WaylandDesktop::waitUntil([&] { return dialog.isActiveWindow(); }));
        QVERIFY(WaylandDesktop::pressKeys(QStringLiteral("Return")));
        QVERIFY(WaylandDesktop::waitUntil([&] { return !dialog.isVisible(); }));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(Preferences::instance()->contains(QStringLiteral("shortcut")));
        QCOMPARE(storedShortcut(), written);
    }

    // Last: the translators stay installed for the rest of the process.
    void theNoteIsTranslated()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(Morv::Translator::translateApplication(QStringLiteral("morv-clip")));
        PreferencesDialog dialog;
        const QString tip = dialog.keyboardShortcutLabel->toolTip();
        QVERIFY2(tip.startsWith(QStringLiteral("Unter Wayland können Programme keine globalen Tastenkürzel")),
                 qPrintable(tip));
        // The same three lines, and the command as it is to be typed.
        QCOMPARE(tip.count(QLatin1Char('\n')), 2);
        QVERIFY(tip.contains(QLatin1String("\n "), Qt::CaseSensitive));
        QVERIFY(tip.endsWith(QLatin1String("'qdbus6 org.morv.morv-clip /org/morv/clip show'")));
    }
};

QTEST_MAIN(TestPreferencesDialogWayland)
#include "tst_preferencesdialog_wayland.moc"
