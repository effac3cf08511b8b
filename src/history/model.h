// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "item.h"

#include <QAbstractListModel>
#include <QClipboard>
#include <QFont>
#include <QList>
#include <QPersistentModelIndex>

namespace Morv {

// The rows of the history menu: the sticky items first, then the history, newest first. Captures
// every clipboard change the wrapper reports, keeps the history free of duplicates and within
// "historyCount" items, puts content back when a clipboard is emptied and puts a chosen row back
// on the clipboard. Changes of the row set are announced only with the begin/end insert, remove
// and move calls; the row on the clipboard (bold) is read again by views when they rebuild.
class Model : public QAbstractListModel
{
    Q_OBJECT

public:
    // The item's whole text, for searching: the display text may show only its beginning.
    static constexpr int TextRole = Qt::UserRole;

    // Loads the stored sticky items and history. On a first start (both empty) it takes what the
    // clipboard holds now, or shows the welcome item when it holds nothing.
    explicit Model(QObject *parent = nullptr);
    // Stores the history and the sticky items.
    ~Model() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Replaces the sticky rows by the sticky items now stored in the settings.
    void reloadSticky();
    // Has the platform read the selection and the find buffer only while "platformExtensions" is
    // on: what the user selects with the mouse is not fetched for nothing. At construction and
    // after the preferences changed.
    void watchSelectionAsPreferred();

public Q_SLOTS:
    // Replaces the history by the welcome item; the sticky rows stay.
    void clearHistory();
    // Puts the row's content on the clipboard (and the opposite one with selection
    // synchronisation); a chosen history row becomes the newest.
    void indexTriggered(const QModelIndex &index);
    // Puts only the row's text on the clipboard (as "text/plain" and "text/plain;charset=utf-8";
    // links as one per line, files as their paths), for a paste without formatting, to the same
    // clipboards as indexTriggered. The history stays as it is, no row is current any more, and
    // the text coming back from the platform is not taken as a copy. A row without text puts
    // nothing.
    void indexTriggeredAsPlainText(const QModelIndex &index);

Q_SIGNALS:
    // A choice has put content on the clipboard proper (not only on the selection): the paste
    // keys paste it now.
    void chosenOnClipboard();

private Q_SLOTS:
    void clipboard_changed(QClipboard::Mode mode);

private:
    void moveToTop(int dynamicIndex);
    void restoreEmptied(QClipboard::Mode mode);
    const Item *itemAt(int row) const;
    // Where a choice of the item writes, and whether that includes the clipboard proper.
    static ClipboardTargets choiceTargets();
    static bool isOnClipboard(const Item &item, ClipboardTargets targets);

    QList<Item> sticky;
    QList<Item> dynamic;
    QPersistentModelIndex currentIndex;
    QFont normalFont;
    QFont boldFont;
};

} // namespace Morv
