// SPDX-License-Identifier: GPL-2.0-or-later

#include "qfilteringmenuview.h"

#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyle>
#include <QTest>

namespace {

// The role with each row's whole text, as a model that shows shortened texts offers it.
constexpr int wholeTextRole = Qt::UserRole + 1;

QStandardItem *row(const QString &shown, const QString &whole = QString())
{
    auto *item = new QStandardItem(shown);
    item->setData(whole.isEmpty() ? shown : whole, wholeTextRole);
    return item;
}

} // namespace

// The menu that narrows its entries as the user types, over an ordinary model, driven by key
// events as the keyboard sends them.
class TestFilteringMenuView : public QObject
{
    Q_OBJECT

    QStandardItemModel model;

    // Rows: a short shown text and a longer whole text; "Gamma" is disabled.
    void fill()
    {
        model.clear();
        model.appendRow(row(QStringLiteral("Alpha"), QStringLiteral("Alpha, and then a SECRET word")));
        model.appendRow(row(QStringLiteral("Beta"), QStringLiteral("Beta with nothing special")));
        QStandardItem *gamma = row(QStringLiteral("Gamma"), QStringLiteral("Gamma has a secret too"));
        gamma->setEnabled(false);
        model.appendRow(gamma);
        model.appendRow(row(QStringLiteral("Delta"), QStringLiteral("Delta: a Secret, the last one")));
    }

    static void open(QMenu &menu)
    {
        menu.popup(QPoint(100, 100));
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
    }

    static void type(QWidget *widget, const QString &text)
    {
        for (const QChar c : text)
            QTest::keyClick(widget, c.toLatin1());
    }

    // What the user sees, top to bottom: separators as "|", disabled entries in brackets.
    static QStringList shown(const QMenu &menu)
    {
        QStringList result;
        for (const QAction *action : menu.actions()) {
            if (!action->isVisible())
                continue;
            if (action->isSeparator())
                result << QStringLiteral("|");
            else
                result << (action->isEnabled() ? action->text()
                                               : QLatin1Char('[') + action->text() + QLatin1Char(']'));
        }
        return result;
    }

    static QString active(const QMenu &menu)
    {
        return menu.activeAction() ? menu.activeAction()->text() : QString();
    }

    static QModelIndex chosenIndex(const QSignalSpy &spy, int n = 0)
    {
        return spy.at(n).at(0).value<QModelIndex>();
    }

private Q_SLOTS:
    void init()
    {
        QApplication::closeAllWindows();
        fill();
    }

    void typingKeepsTheRowsWhoseWholeTextMatches()
    {
        QFilteringMenuView view;
        view.setModel(&model);
        view.setFilterRole(wholeTextRole);
        QCOMPARE(view.filterRole(), wholeTextRole);
        QSignalSpy changes(&view, &QFilteringMenuView::filterTextChanged);
        open(view);
        // Until something is typed the menu is the plain view of the model.
        QCOMPARE(shown(view), (QStringList{"Alpha", "Beta", "[Gamma]", "Delta"}));

        // Beyond the shown text, in other case; the disabled row stays shown but is not chosen.
        type(&view, QStringLiteral("sEcReT"));
        QCOMPARE(view.filterText(), QStringLiteral("sEcReT"));
        QCOMPARE(shown(view), (QStringList{"[sEcReT]", "|", "Alpha", "[Gamma]", "Delta"}));
        QCOMPARE(active(view), QStringLiteral("Alpha"));
        QCOMPARE(changes.count(), 6);
        QCOMPARE(changes.last().at(0).toString(), QStringLiteral("sEcReT"));

        // The first remaining entry is active at each change, also when it is not the first row.
        type(&view, QStringLiteral(", t"));
        QCOMPARE(shown(view), (QStringList{"[sEcReT, t]", "|", "Delta"}));
        QCOMPARE(active(view), QStringLiteral("Delta"));

        // The display text is the default role.
        QFilteringMenuView plain;
        plain.setModel(&model);
        open(plain);
        type(&plain, QStringLiteral("et"));
        QCOMPARE(shown(plain), (QStringList{"[et]", "|", "Beta"}));
        plain.close();
        view.close();
    }

    void backspaceEditsAndEscapeClearsThenCloses()
    {
        QFilteringMenuView view;
        view.setModel(&model);
        view.setFilterRole(wholeTextRole);
        open(view);

        type(&view, QStringLiteral("betx"));
        QCOMPARE(shown(view), (QStringList{"[betx]", "|", "[No match]"}));
        QVERIFY(!view.activeAction());
        QTest::keyClick(&view, Qt::Key_Backspace);
        QCOMPARE(shown(view), (QStringList{"[bet]", "|", "Beta"}));
        QCOMPARE(active(view), QStringLiteral("Beta"));

        // Escape clears the filter and keeps the menu open, with every entry back.
        QTest::keyClick(&view, Qt::Key_Escape);
        QVERIFY(view.isVisible());
        QCOMPARE(view.filterText(), QString());
        QCOMPARE(shown(view), (QStringList{"Alpha", "Beta", "[Gamma]", "Delta"}));
        QCOMPARE(active(view), QStringLiteral("Alpha"));

        // Backspace with nothing typed does nothing; a second Escape closes the menu.
        QTest::keyClick(&view, Qt::Key_Backspace);
        QVERIFY(view.isVisible());
        QTest::keyClick(&view, Qt::Key_Escape);
        QTRY_VERIFY(!view.isVisible());

        // Backspace takes back a whole character, also one outside the basic plane.
        open(view);
        const QString emoji = QString::fromUcs4(U"a\U0001F600");
        view.setFilterText(emoji);
        QTest::keyClick(&view, Qt::Key_Backspace);
        QCOMPARE(view.filterText(), QStringLiteral("a"));
        view.close();
    }

    void arrowsReturnAndClicksChooseAmongTheRemainingRows()
    {
        QFilteringMenuView view;
        view.setModel(&model);
        view.setFilterRole(wholeTextRole);
        QSignalSpy chosen(&view, &QMenuView::triggered);

        open(view);
        type(&view, QStringLiteral("secret"));
        // Down skips the disabled Gamma and the hidden Beta; Up from the first remaining entry
        // wraps around past the filter entry.
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(active(view), QStringLiteral("Delta"));
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(active(view), QStringLiteral("Alpha"));
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(active(view), QStringLiteral("Delta"));
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(chosen.count(), 1);
        // The model's own index of the row, not a position in the filtered menu.
        QCOMPARE(chosenIndex(chosen), model.index(3, 0));
        view.close();

        open(view);
        type(&view, QStringLiteral("BETA"));
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(chosen.count(), 2);
        QCOMPARE(chosenIndex(chosen, 1), model.index(1, 0));
        view.close();

        open(view);
        type(&view, QStringLiteral("delta"));
        QAction *delta = view.activeAction();
        QVERIFY(delta);
        QTest::mouseClick(&view, Qt::LeftButton, {}, view.actionGeometry(delta).center());
        QCOMPARE(chosen.count(), 3);
        QCOMPARE(chosenIndex(chosen, 2), model.index(3, 0));
        view.close();

        // Return with nothing left chooses nothing; the disabled entries are no model rows.
        open(view);
        type(&view, QStringLiteral("zz"));
        QTest::keyClick(&view, Qt::Key_Return);
        QTest::keyClick(&view, Qt::Key_Down);
        QTest::keyClick(&view, Qt::Key_Return);
        for (QAction *action : view.actions()) {
            if (action->isVisible()) {
                QVERIFY(!action->data().canConvert<QModelIndex>());
                action->setEnabled(true);
                action->trigger();
            }
        }
        QCOMPARE(chosen.count(), 3);
        view.close();
    }

    void onlyTextWithoutCommandModifiersIsTyped()
    {
        QFilteringMenuView view;
        view.setModel(&model);
        QSignalSpy changes(&view, &QFilteringMenuView::filterTextChanged);
        open(view);

        QTest::keyClick(&view, Qt::Key_Shift, Qt::ShiftModifier);
        QTest::keyClick(&view, Qt::Key_Control, Qt::ControlModifier);
        QTest::keyClick(&view, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&view, Qt::Key_A, Qt::AltModifier);
        QTest::keyClick(&view, Qt::Key_A, Qt::MetaModifier);
        QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
        QTest::keyClick(&view, Qt::Key_F2);
        QTest::keyClick(&view, Qt::Key_Delete);
        QCOMPARE(changes.count(), 0);
        // Tab moves through the entries as before.
        QTest::keyClick(&view, Qt::Key_Tab);
        QTest::keyClick(&view, Qt::Key_Tab);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(active(view), QStringLiteral("Beta"));

        // Shift gives capitals, and a blank between words is typed like any character.
        QTest::keyClick(&view, 'D', Qt::ShiftModifier);
        type(&view, QStringLiteral("elta "));
        QCOMPARE(view.filterText(), QStringLiteral("Delta "));
        QCOMPARE(shown(view), (QStringList{"[Delta ]", "|", "[No match]"}));
        view.close();

        // With nothing typed, Space does what it does in any menu of the style: it chooses the
        // active entry or nothing, and starts no filter.
        QSignalSpy chosen(&view, &QMenuView::triggered);
        open(view);
        QTest::keyClick(&view, Qt::Key_Down);
        QTest::keyClick(&view, Qt::Key_Space);
        QCOMPARE(view.filterText(), QString());
        QCOMPARE(chosen.count(),
                 view.style()->styleHint(QStyle::SH_Menu_SpaceActivatesItem, nullptr, &view) ? 1 : 0);
        view.close();
    }

    void inputMethodsAndComposeKeysTypeToo()
    {
        model.appendRow(row(QStringLiteral("Crème brûlée")));
        model.appendRow(row(QStringLiteral("東京タワー")));
        QFilteringMenuView view;
        view.setModel(&model);
        open(view);
        QVERIFY(view.testAttribute(Qt::WA_InputMethodEnabled));
        QCOMPARE(view.inputMethodQuery(Qt::ImEnabled).toBool(), true);

        // A composed letter arrives as committed text, not as a key with text.
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("è"));
        QApplication::sendEvent(&view, &composed);
        QCOMPARE(shown(view), (QStringList{"[è]", "|", "Crème brûlée"}));

        // What an input method is still composing is shown but does not filter yet.
        QSignalSpy shownChanges(&view, &QFilteringMenuView::shownEntriesChanged);
        QInputMethodEvent composing(QStringLiteral("とう"), {});
        QApplication::sendEvent(&view, &composing);
        QCOMPARE(view.filterText(), QStringLiteral("è"));
        QCOMPARE(shown(view), (QStringList{"[èとう]", "|", "Crème brûlée"}));
        QCOMPARE(shownChanges.count(), 1);
        QCOMPARE(view.inputMethodQuery(Qt::ImCursorRectangle).toRect(),
                 view.actionGeometry(view.actions().first()));

        QTest::keyClick(&view, Qt::Key_Escape);
        QInputMethodEvent committed;
        committed.setCommitString(QStringLiteral("東京"));
        QApplication::sendEvent(&view, &committed);
        QCOMPARE(shown(view), (QStringList{"[東京]", "|", "東京タワー"}));
        QCOMPARE(shownChanges.count(), 3);

        // An emoji sequence, joined by a format character, is typed whole.
        QInputMethodEvent emoji;
        emoji.setCommitString(QString::fromUtf8("\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb"));
        QApplication::sendEvent(&view, &emoji);
        QCOMPARE(view.filterText(), QStringLiteral("東京") + emoji.commitString());
        QTest::keyClick(&view, Qt::Key_Escape);

        // Composing from an empty filter shows the filter entry at once.
        view.close();
        open(view);
        QInputMethodEvent first(QStringLiteral("と"), {});
        QApplication::sendEvent(&view, &first);
        QCOMPARE(shown(view).mid(0, 2), (QStringList{"[と]", "|"}));
        QCOMPARE(view.filterText(), QString());
        view.close();

        // Key events that carry such text directly are typed as well.
        open(view);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("タ"));
        QApplication::sendEvent(&view, &press);
        QCOMPARE(shown(view), (QStringList{"[タ]", "|", "東京タワー"}));
        view.close();
    }

    void aFilterDoesNotSurviveClosing()
    {
        QFilteringMenuView view;
        view.setModel(&model);
        QSignalSpy chosen(&view, &QMenuView::triggered);
        connect(&view, &QMenuView::triggered, &view, &QWidget::close);

        open(view);
        type(&view, QStringLiteral("bet"));
        QTest::keyClick(&view, Qt::Key_Return);
        QTRY_VERIFY(!view.isVisible());
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(view.filterText(), QString());

        open(view);
        QCOMPARE(shown(view), (QStringList{"Alpha", "Beta", "[Gamma]", "Delta"}));
        type(&view, QStringLiteral("zz"));
        view.hide();
        QCOMPARE(view.filterText(), QString());
        open(view);
        QCOMPARE(shown(view), (QStringList{"Alpha", "Beta", "[Gamma]", "Delta"}));
        // Nothing of the earlier openings is left in the menu.
        QCOMPARE(view.actions().count(), 4);
        view.close();
    }

    void ampersandsInTheFilterAreShown()
    {
        model.appendRow(row(QStringLiteral("Tom & Jerry")));
        QFilteringMenuView view;
        view.setModel(&model);
        open(view);
        type(&view, QStringLiteral("m & j"));
        QCOMPARE(shown(view), (QStringList{"[m && j]", "|", "Tom && Jerry"}));
        view.close();
    }

    // The entries are matched against the texts of the rows as the menu showed them when it
    // opened; a change of the model under the open menu appears at the next opening.
    void aModelChangedUnderTheOpenMenu()
    {
        QFilteringMenuView view;
        view.setModel(&model);
        view.setFilterRole(wholeTextRole);
        QSignalSpy chosen(&view, &QMenuView::triggered);
        open(view);
        model.insertRow(0, row(QStringLiteral("Epsilon with a secret")));
        type(&view, QStringLiteral("secret"));
        QCOMPARE(shown(view), (QStringList{"[secret]", "|", "Alpha", "[Gamma]", "Delta"}));
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosenIndex(chosen).data().toString(), QStringLiteral("Alpha"));
        QCOMPARE(chosenIndex(chosen).row(), 1);
    }
};

QTEST_MAIN(TestFilteringMenuView)
#include "tst_filteringmenuview.moc"
