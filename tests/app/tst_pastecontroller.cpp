// SPDX-License-Identifier: GPL-2.0-or-later

#include "item.h"
#include "ksystemclipboard_fake.h"
#include "model.h"
#include "pastekeys_fake.h"
#include "qfilteringmenuview.h"
#include "systray.h"
#include "testenvironment.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using Morv::Item;
using Morv::Preferences;
using Morv::Systray;

// When the tray asks for the paste keys, with fakes for the clipboard and the keys: the target is
// taken as the history menu opens, the keys follow a choice that put content on the clipboard
// once the menu has closed, and nothing at all happens with "pasteOnChoose" off.
class TestPasteController : public QObject
{
    Q_OBJECT

    FakeSystemClipboard *clipboard = nullptr;
    FakePasteKeys *keys = nullptr;
    std::unique_ptr<Systray> tray;

    QFilteringMenuView *menu() const { return tray->historyMenu(); }

    static void set(const QString &key, const QVariant &value)
    {
        Preferences::instance()->setValue(key, value);
    }

    void openMenu()
    {
        tray->shortcut_activated();
        QTRY_VERIFY(menu()->isVisible());
    }

    // Opens the menu and chooses the row with the keyboard, with these modifiers on Return.
    void choose(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        openMenu();
        for (int down = 0; down <= row; ++down)
            QTest::keyClick(menu(), Qt::Key_Down);
        QTest::keyClick(menu(), Qt::Key_Return, modifiers);
        QTRY_VERIFY(!menu()->isVisible());
        // Whatever follows the closing comes in the next passes of the event loop.
        QTest::qWait(50);
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        clipboard = FakeSystemClipboard::install();
        keys = FakePasteKeys::install();
    }

    void init()
    {
        clipboard->reset();
        TestEnvironment::clearSettings();
        Preferences::instance()->saveHistory(
            {Item(QClipboard::Clipboard, Morv::RichText,
                  {{QStringLiteral("text/plain"), "one"}, {QStringLiteral("text/html"), "<b>one</b>"}}),
             Item(QClipboard::Clipboard, Morv::PlainText, {{QStringLiteral("text/plain"), "two"}})});
        keys->reset();
    }

    void cleanup() { tray.reset(); }

    void offByDefaultNothingIsAsked()
    {
        tray = std::make_unique<Systray>();
        choose(1);
        QCOMPARE(clipboard->content(QClipboard::Clipboard).value(QStringLiteral("text/plain")),
                 QByteArray("two"));
        QCOMPARE(keys->remembered, 0);
        QVERIFY(keys->pastes.isEmpty());
    }

    void aChoicePastesIntoTheWindowTakenAtTheOpening()
    {
        set(QStringLiteral("pasteOnChoose"), true);
        set(QStringLiteral("terminalClasses"), QStringList{"myterm", "other"});
        tray = std::make_unique<Systray>();
        QSignalSpy finished(keys, &PasteKeys::finished);
        choose(1);
        QCOMPARE(keys->remembered, 1);
        QCOMPARE(keys->pastes, (QList<QStringList>{{"myterm", "other"}}));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), true);

        // As plain text too.
        choose(1, Qt::ShiftModifier);
        QStringList formats = clipboard->content(QClipboard::Clipboard).keys();
        formats.sort();
        QCOMPARE(formats, (QStringList{"text/plain", "text/plain;charset=utf-8"}));
        QCOMPARE(keys->remembered, 2);
        QCOMPARE(keys->pastes.size(), 2);
    }

    void noChoiceNoKeys()
    {
        set(QStringLiteral("pasteOnChoose"), true);
        tray = std::make_unique<Systray>();
        openMenu();
        QTest::keyClick(menu(), Qt::Key_Escape);
        QTRY_VERIFY(!menu()->isVisible());
        openMenu();
        tray->shortcut_activated(); // closed by the toggle
        QTest::qWait(50);
        QCOMPARE(keys->remembered, 2);
        QVERIFY(keys->pastes.isEmpty());

        // The preference read at the choice: switched off meanwhile, no keys.
        openMenu();
        set(QStringLiteral("pasteOnChoose"), false);
        QTest::keyClick(menu(), Qt::Key_Down);
        QTest::keyClick(menu(), Qt::Key_Return);
        QTRY_VERIFY(!menu()->isVisible());
        QTest::qWait(50);
        QVERIFY(keys->pastes.isEmpty());
    }

    void noTargetOrNoWayNoKeys()
    {
        set(QStringLiteral("pasteOnChoose"), true);
        tray = std::make_unique<Systray>();
        keys->targetFound = false; // the menu was opened from the desktop, or from a window of ours
        choose(0);
        QVERIFY(keys->pastes.isEmpty());

        keys->targetFound = true;
        keys->why = PasteKeys::Availability::NoVirtualKeyboard;
        const int remembered = keys->remembered;
        choose(0);
        QCOMPARE(keys->remembered, remembered);
        QVERIFY(keys->pastes.isEmpty());
    }

    // A paste key pastes the clipboard: an entry that went back to the selection alone is not
    // pasted.
    void aChoiceOnTheSelectionAloneIsNotPasted()
    {
        set(QStringLiteral("pasteOnChoose"), true);
        set(QStringLiteral("platformExtensions"), true);
        Preferences::instance()->saveHistory(
            {Item(QClipboard::Selection, Morv::PlainText, {{QStringLiteral("text/plain"), "selected"}})});
        tray = std::make_unique<Systray>();
        choose(0);
        QCOMPARE(clipboard->content(QClipboard::Selection).value(QStringLiteral("text/plain")),
                 QByteArray("selected"));
        QVERIFY(keys->pastes.isEmpty());
    }
};

QTEST_MAIN(TestPasteController)
#include "tst_pastecontroller.moc"
