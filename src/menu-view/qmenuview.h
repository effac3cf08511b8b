// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QMenu>
#include <QModelIndex>

class QAbstractItemModel;
class QMenuViewPrivate;

// A menu that shows the rows of an item model as entries. It keeps no copy of the model: every
// time it is about to be shown it drops its entries and builds them again from the model, reading
// text, icon, tool tip, font and enabled state from the standard roles. Rows with children become
// sub-menus, filled when they first open. Choosing an entry emits the row's index: with
// triggered(), or with alternativeTriggered() when the choice was made holding the alternative
// modifiers (none unless set: then every choice is triggered()).
class QMenuView : public QMenu
{
    Q_OBJECT

public:
    explicit QMenuView(QWidget *parent = nullptr);
    ~QMenuView() override;

    // Not owned and not watched: the model must outlive the view, or be unset before it goes.
    virtual void setModel(QAbstractItemModel *model);
    QAbstractItemModel *model() const;

    // The row whose children form the top level; invalid (the default) for the top-level rows.
    virtual void setRootIndex(const QModelIndex &index);
    QModelIndex rootIndex() const;

    // The keys that, held while an entry is chosen (Shift+Return, Shift+click), make the choice an
    // alternative one. No modifier (the default) makes none.
    void setAlternativeModifiers(Qt::KeyboardModifiers modifiers);
    Qt::KeyboardModifiers alternativeModifiers() const;

Q_SIGNALS:
    // The status tip of the hovered entry, when it has one.
    void hovered(const QString &text) const;
    // The index of the chosen entry's row.
    void triggered(const QModelIndex &index) const;
    // The same for an entry chosen with the alternative modifiers held, instead of triggered().
    void alternativeTriggered(const QModelIndex &index) const;

protected:
    // Called on every opening after the menu was cleared and before the model's entries are
    // added. A subclass adds its own actions here and returns true to have them separated from
    // the model's entries.
    virtual bool addLeadingEntries();
    // Called on every opening after the model's entries were added.
    virtual void addTrailingEntries();

    // With a menu: fills it with the rows under parent. Without one: creates a sub-menu in
    // parentMenu for the row parent, which is filled when it first opens.
    void buildMenu(const QModelIndex &parent, QMenu *parentMenu, QMenu *menu);

private:
    friend class QMenuViewPrivate;

    // The display text of a row as an entry or sub-menu title shows it: ampersands escaped.
    static QString entryText(const QModelIndex &index);

    QMenuViewPrivate *d;
};
