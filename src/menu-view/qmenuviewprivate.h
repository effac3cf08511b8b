// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>

class QAbstractItemModel;
class QAction;
class QMenu;
class QMenuView;

// The state of a QMenuView and the slots that react to its menu signals.
class QMenuViewPrivate : public QObject
{
    Q_OBJECT

public:
    explicit QMenuViewPrivate(QMenuView *view);
    ~QMenuViewPrivate() override;

    // A new entry for the row, owned by this object.
    QAction *makeAction(const QModelIndex &index);

    // Remembers where the row of an entry or sub-menu is, so that a choice made after the model
    // changed under the open menu still finds the row the user saw.
    void track(QAction *action, const QModelIndex &index);
    void trackMenu(QMenu *menu);

    // The row an action stands for now: invalid when the row is gone. Actions that were not built
    // here (a subclass's own) answer the index they carry.
    QModelIndex currentIndex(const QAction *action) const;

    QMenuView *const view;
    QAbstractItemModel *model = nullptr;
    QPersistentModelIndex root;
    Qt::KeyboardModifiers alternativeModifiers;

public Q_SLOTS:
    void aboutToShow();
    void triggered(QAction *action);
    void hovered(QAction *action);

private:
    // Drops what the last opening built. The history menu lives as long as the session, so the
    // entries of every earlier opening must not pile up until it is destroyed.
    void discardBuilt();

    QHash<const QAction *, QPersistentModelIndex> rows;
    QList<QPointer<QObject>> built;
};
