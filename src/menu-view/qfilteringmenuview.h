// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "qmenuview.h"

#include <QList>
#include <QString>

class QAction;

// A QMenuView that narrows its entries as the user types. While it is open, typed characters build
// a filter text: only the entries whose filter role (the display text by default) contains it,
// ignoring case, stay shown, and the first of them becomes the active entry. The filter text is
// shown in a first, disabled entry; Backspace takes back its last character, Escape clears it (a
// second Escape closes the menu), and a filter that matches nothing shows one disabled entry that
// says so. Space chooses the active entry as before while nothing has been typed. Arrow keys,
// Return and the mouse work on the entries that remain, which still carry the model's own
// indexes. Text from input methods and compose keys is typed as well. Every opening starts
// without a filter.
//
// Only the top level is filtered: a row with children stays or goes with its own text.
class QFilteringMenuView : public QMenuView
{
    Q_OBJECT

public:
    explicit QFilteringMenuView(QWidget *parent = nullptr);
    ~QFilteringMenuView() override;

    // The role whose text the filter is matched against; Qt::DisplayRole by default. A model that
    // shows shortened texts offers the whole text through a role of its own.
    void setFilterRole(int role);
    int filterRole() const;

    QString filterText() const;
    // Filters the entries of the open menu as if the text had been typed.
    void setFilterText(const QString &text);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

Q_SIGNALS:
    // The entries shown have changed to those that match the text (empty: all of them).
    void filterTextChanged(const QString &text);
    // The entries shown have changed: after each change of the filter, and when what an input
    // method is composing appears in the filter entry or leaves it. An open menu whose size is
    // fixed is fitted to them here.
    void shownEntriesChanged();

protected:
    bool addLeadingEntries() override;
    void addTrailingEntries() override;

    void actionEvent(QActionEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    struct Entry
    {
        QAction *action;
        // Case-folded when the entry is first searched.
        QString text;
        bool folded = false;
    };

    void applyFilter(const QString &previous);
    void addFilterEntries();
    void showFilterEntry();

    int role = Qt::DisplayRole;
    // Set while applyFilter shows and hides entries: the menu lays itself out once afterwards.
    bool holdingLayout = false;
    QString filter;
    // What an input method is composing, shown after the filter until it is committed.
    QString preedit;
    // The entries of the current opening with the text they are matched against.
    QList<Entry> entries;
    // Owned by the menu; rebuilt, like the model's entries, at every opening.
    QAction *filterEntry = nullptr;
    QAction *filterSeparator = nullptr;
    QAction *noMatchEntry = nullptr;
};
