// SPDX-License-Identifier: GPL-2.0-or-later

#include "qmenuviewprivate.h"

#include "qmenuview.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>

namespace {

bool carriesIndex(const QAction *action)
{
    return action && action->data().canConvert<QModelIndex>();
}

} // namespace

QMenuViewPrivate::QMenuViewPrivate(QMenuView *view)
    : view(view)
{}

QMenuViewPrivate::~QMenuViewPrivate() = default;

QAction *QMenuViewPrivate::makeAction(const QModelIndex &index)
{
    const QIcon icon = qvariant_cast<QIcon>(index.data(Qt::DecorationRole));
    auto *action = new QAction(icon, QMenuView::entryText(index), this);
    action->setEnabled(index.model() && (index.flags() & Qt::ItemIsEnabled));
    action->setFont(qvariant_cast<QFont>(index.data(Qt::FontRole)));
    action->setToolTip(index.data(Qt::ToolTipRole).toString());
    action->setData(QVariant::fromValue(index));
    track(action, index);
    return action;
}

void QMenuViewPrivate::track(QAction *action, const QModelIndex &index)
{
    rows.insert(action, index);
    built.append(action);
}

void QMenuViewPrivate::trackMenu(QMenu *menu)
{
    rows.insert(menu->menuAction(), menu->menuAction()->data().value<QModelIndex>());
    built.append(menu);
}

QModelIndex QMenuViewPrivate::currentIndex(const QAction *action) const
{
    const auto row = rows.constFind(action);
    if (row == rows.constEnd())
        return action->data().value<QModelIndex>();
    return *row;
}

void QMenuViewPrivate::discardBuilt()
{
    rows.clear();
    // Later, not now: a slot of the view's triggered signal may open the menu again while the
    // chosen action is still delivering its own signal.
    for (const QPointer<QObject> &object : std::as_const(built)) {
        if (object)
            object->deleteLater();
    }
    built.clear();
}

void QMenuViewPrivate::aboutToShow()
{
    auto *menu = qobject_cast<QMenu *>(sender());
    if (menu && menu != view && carriesIndex(menu->menuAction())) {
        // A sub-menu opening for the first time. Its row may have moved since it was built; when
        // the row is gone there is nothing left to show in it.
        const QModelIndex parent = currentIndex(menu->menuAction());
        if (parent.isValid() && parent.model() == model)
            view->buildMenu(parent, menu, menu);
        disconnect(menu, &QMenu::aboutToShow, this, &QMenuViewPrivate::aboutToShow);
        return;
    }

    view->clear();
    discardBuilt();
    if (view->addLeadingEntries())
        view->addSeparator();
    if (model)
        view->buildMenu(root, view, view);
    view->addTrailingEntries();
}

void QMenuViewPrivate::triggered(QAction *action)
{
    if (!carriesIndex(action))
        return;
    const QModelIndex index = currentIndex(action);
    if (!index.isValid())
        return;
    // The modifiers of the key press or click that chose the entry: the menu chooses while it
    // handles that event.
    const Qt::KeyboardModifiers held = QGuiApplication::keyboardModifiers();
    if (alternativeModifiers != Qt::NoModifier && (held & alternativeModifiers) == alternativeModifiers)
        Q_EMIT view->alternativeTriggered(index);
    else
        Q_EMIT view->triggered(index);
}

void QMenuViewPrivate::hovered(QAction *action)
{
    if (!carriesIndex(action))
        return;
    const QString tip = currentIndex(action).data(Qt::StatusTipRole).toString();
    if (!tip.isEmpty())
        Q_EMIT view->hovered(tip);
}
