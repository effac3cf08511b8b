// SPDX-License-Identifier: GPL-2.0-or-later

#include "pastekeys_fake.h"
#include "pastingpage.h"
#include "preferences.h"
#include "preferencesdialog.h"
#include "testenvironment.h"

#include <QTest>

using Morv::Preference;
using Morv::PreferenceKeys;
using Morv::Preferences;
using Morv::PreferencesDialog;

// The paste preferences in the preferences dialog, with fake paste keys: what the page shows,
// what OK stores, and how it looks where no keys can be sent.
class TestPastingPage : public QObject
{
    Q_OBJECT

    FakePasteKeys *keys = nullptr;

    static Preferences *preferences() { return Preferences::instance(); }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        keys = FakePasteKeys::install();
    }

    void init()
    {
        keys->reset();
        TestEnvironment::clearSettings();
    }

    void theDefaults()
    {
        QCOMPARE(preferences()->pasteOnChoose(), false);
        QCOMPARE(preferences()->terminalClasses(), (QStringList{"Gnome-terminal", "konsole", "Xfce4-terminal",
                                                                "kitty", "Alacritty", "foot", "footclient"}));
        PreferencesDialog dialog;
        QCOMPARE(dialog.toolBox->count(), 3);
        QCOMPARE(dialog.toolBox->itemText(2), QStringLiteral("Pasting"));
        QCOMPARE(dialog.toolBox->widget(2), dialog.pastingPage);
        QCOMPARE(dialog.toolBox->currentIndex(), 0);
        const Morv::PastingPage *page = dialog.pastingPage;
        QVERIFY(!page->pasteOnChooseCheckBox->isChecked());
        QVERIFY(page->pasteOnChooseCheckBox->isEnabled());
        QVERIFY(page->terminalClassesEdit->isEnabled());
        QCOMPARE(page->terminalClassesEdit->toPlainText().split(QLatin1Char('\n')),
                 preferences()->terminalClasses());
        QVERIFY(page->unavailableLabel->isHidden());
    }

    void okStoresWhatThePageShows()
    {
        preferences()->setPreference(Preference::PasteOnChoose, true);
        preferences()->setPreference(Preference::TerminalClasses, QStringList{"xterm", "URxvt"});
        {
            PreferencesDialog dialog;
            QVERIFY(dialog.pastingPage->pasteOnChooseCheckBox->isChecked());
            QCOMPARE(dialog.pastingPage->terminalClassesEdit->toPlainText(), QStringLiteral("xterm\nURxvt"));
            // Blank lines and blanks around a name are no classes.
            dialog.pastingPage->terminalClassesEdit->setPlainText(QStringLiteral("  myterm \n\n\tother\n "));
            dialog.pastingPage->pasteOnChooseCheckBox->setChecked(false);
            dialog.accept();
        }
        QSettings file(TestEnvironment::settingsFile(), QSettings::IniFormat);
        QCOMPARE(file.value(QStringLiteral("pasteOnChoose")).toBool(), false);
        QCOMPARE(PreferenceKeys::terminalClasses(file), (QStringList{"myterm", "other"}));

        // One class, and none: each read back as it was stored, not as the default list.
        for (const QString &text : {QStringLiteral("solo"), QString()}) {
            PreferencesDialog dialog;
            dialog.pastingPage->terminalClassesEdit->setPlainText(text);
            dialog.pastingPage->pasteOnChooseCheckBox->setChecked(true);
            dialog.accept();
            QSettings stored(TestEnvironment::settingsFile(), QSettings::IniFormat);
            QCOMPARE(PreferenceKeys::terminalClasses(stored),
                     text.isEmpty() ? QStringList() : QStringList{text});
            QCOMPARE(preferences()->terminalClasses(), text.isEmpty() ? QStringList() : QStringList{text});
            QCOMPARE(preferences()->pasteOnChoose(), true);
        }

        // Cancel stores nothing.
        PreferencesDialog dialog;
        dialog.pastingPage->pasteOnChooseCheckBox->setChecked(false);
        dialog.reject();
        QCOMPARE(preferences()->pasteOnChoose(), true);
    }

    // Left as they were, the keys are not written: the file keeps following the defaults.
    void untouchedValuesAreNotWritten()
    {
        PreferencesDialog().accept();
        QSettings file(TestEnvironment::settingsFile(), QSettings::IniFormat);
        QVERIFY(file.contains(QStringLiteral("historyCount")));
        QVERIFY(!file.contains(QStringLiteral("pasteOnChoose")));
        QVERIFY(!file.contains(QStringLiteral("terminalClasses")));
    }

    void whereNoKeysCanBeSent_data()
    {
        QTest::addColumn<int>("why");
        QTest::addColumn<QString>("says");
        QTest::newRow("X server without XTEST") << int(PasteKeys::Availability::NoXTest) << "XTEST";
        QTest::newRow("compositor without virtual keyboard")
            << int(PasteKeys::Availability::NoVirtualKeyboard) << "virtual keyboard";
        QTest::newRow("another platform") << int(PasteKeys::Availability::UnsupportedPlatform) << "platform";
    }

    void whereNoKeysCanBeSent()
    {
        QFETCH(int, why);
        QFETCH(QString, says);
        keys->why = PasteKeys::Availability(why);
        preferences()->setPreference(Preference::PasteOnChoose, true);
        PreferencesDialog dialog;
        const Morv::PastingPage *page = dialog.pastingPage;
        QVERIFY(!page->pasteOnChooseCheckBox->isEnabled());
        QVERIFY(!page->terminalClassesEdit->isEnabled());
        QVERIFY(!page->unavailableLabel->isHidden());
        QVERIFY2(page->unavailableLabel->text().contains(says), qPrintable(page->unavailableLabel->text()));
        // The stored values are kept as they are.
        dialog.accept();
        QCOMPARE(preferences()->pasteOnChoose(), true);
    }

    void whereTheWindowClassIsNotKnown()
    {
        keys->classKnown = false;
        PreferencesDialog dialog;
        const Morv::PastingPage *page = dialog.pastingPage;
        QVERIFY(page->pasteOnChooseCheckBox->isEnabled());
        QVERIFY(!page->terminalClassesEdit->isEnabled());
        QVERIFY(!page->unavailableLabel->isHidden());
        QVERIFY2(page->unavailableLabel->text().contains(QStringLiteral("Ctrl+V")),
                 qPrintable(page->unavailableLabel->text()));
    }
};

QTEST_MAIN(TestPastingPage)
#include "tst_pastingpage.moc"
