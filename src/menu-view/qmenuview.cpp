// SPDX-License-Identifier: GPL-2.0-or-later

#include "qmenuview.h"

#include "qmenuviewprivate.h"

#include <QAbstractItemModel>
#include <QIcon>

QMenuView::QMenuView(QWidget *parent)
    : QMenu(parent)
    , d(new QMenuViewPrivate(this))
{
    connect(this, &QMenu::triggered, d, &QMenuViewPrivate::triggered);
    connect(this, &QMenu::hovered, d, &QMenuViewPrivate::hovered);
    connect(this, &QMenu::aboutToShow, d, &QMenuViewPrivate::aboutToShow);
}

QMenuView::~QMenuView()
{
    QMenuView::setModel(nullptr);
    delete d;
    d = nullptr;
}

void QMenuView::setModel(QAbstractItemModel *model)
{
    d->model = model;
}

QAbstractItemModel *QMenuView::model() const
{
    return d->model;
}

void QMenuView::setRootIndex(const QModelIndex &index)
{
    d->root = index;
}

QModelIndex QMenuView::rootIndex() const
{
    return d->root;
}

void QMenuView::setAlternativeModifiers(Qt::KeyboardModifiers modifiers)
{
    d->alternativeModifiers = modifiers;
}

Qt::KeyboardModifiers QMenuView::alternativeModifiers() const
{
    return d->alternativeModifiers;
}

bool QMenuView::addLeadingEntries()
{
    return false;
}

void QMenuView::addTrailingEntries() {}

void QMenuView::buildMenu(const QModelIndex &parent, QMenu *parentMenu, QMenu *menu)
{
    if (menu) {
        const int rowCount = d->model->rowCount(parent);
        for (int row = 0; row < rowCount; ++row) {
            const QModelIndex index = d->model->index(row, 0, parent);
            if (d->model->hasChildren(index))
                buildMenu(index, menu, nullptr);
            else
                menu->addAction(d->makeAction(index));
        }
        return;
    }

    const QIcon icon = qvariant_cast<QIcon>(parent.data(Qt::DecorationRole));
    auto *subMenu = new QMenu(entryText(parent), this);
    subMenu->setIcon(icon);
    parentMenu->addMenu(subMenu);
    subMenu->menuAction()->setData(QVariant::fromValue(parent));
    subMenu->setEnabled(parent.model() && (parent.flags() & Qt::ItemIsEnabled));
    d->trackMenu(subMenu);
    connect(subMenu, &QMenu::aboutToShow, d, &QMenuViewPrivate::aboutToShow);
}

QString QMenuView::entryText(const QModelIndex &index)
{
    // A model's text is shown as it is, as in every other view: an "&" in it (copied text often has
    // one) must not turn the next letter into a mnemonic that chooses the entry.
    QString text = index.data(Qt::DisplayRole).toString();
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    return text;
}
