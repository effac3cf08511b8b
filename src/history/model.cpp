// SPDX-License-Identifier: GPL-2.0-or-later

#include "model.h"

#include "clipboardwrap.h"
#include "itemmimedata.h"
#include "itempresentation.h"
#include "preferences.h"

#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace Morv {

namespace {

// Whether a clipboard offers the item's content already. Copying it there again would change
// nothing for the user, and on platforms that report the program's own writes as later events the
// two clipboards would copy to each other for ever. The format list is looked at first, so that a
// large offer elsewhere is not fetched for nothing.
bool alreadyOffered(const Item &item, QClipboard::Mode mode)
{
    const QMimeData *mime = ClipboardWrap::instance()->mimeData(mode);
    if (!mime || Item::isSecret(mime))
        return false;
    const QStringList formats = mime->formats();
    for (const QString &format : item.formats()) {
        if (!formats.contains(format))
            return false;
    }
    return Item(mode).hasSameContent(item);
}

// What a paste without formatting gives of an item: its text; for links one per line, a file by
// its path.
QString plainTextOf(const Item &item)
{
    if (item.contentType() != Url)
        return item.text();
    QStringList lines;
    for (const QString &line : item.text().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QUrl url(line.trimmed());
        lines.append(url.isLocalFile() ? url.toLocalFile() : line.trimmed());
    }
    return lines.join(QLatin1Char('\n'));
}

// Our own offer of a row's text alone, which a platform may report later as a change.
bool isOwnTextOnly(const QMimeData *mime)
{
    const auto *own = qobject_cast<const ItemMimeData *>(mime);
    return own && own->isTextOnly();
}

} // namespace

Model::Model(QObject *parent)
    : QAbstractListModel(parent)
{
    boldFont.setWeight(QFont::Bold);

    Preferences *preferences = Preferences::instance();
    sticky = preferences->loadSticky();
    dynamic = preferences->loadHistory();
    // Leftovers of a crash; in the background, once the loaded history holds on to its files.
    preferences->removeUnusedContentFiles();
    for (const Item &item : std::as_const(dynamic))
        ItemPresentation::prepare(item);

    watchSelectionAsPreferred();
    if (sticky.isEmpty() && dynamic.isEmpty()) {
        clipboard_changed(QClipboard::Clipboard);
        if (dynamic.isEmpty())
            clearHistory();
    }

    // Only now: a notification already pending in the wrapper must not repeat the capture above
    // as if it were a new copy.
    connect(ClipboardWrap::instance(), &ClipboardWrap::changed, this, &Model::clipboard_changed);
}

Model::~Model()
{
    Preferences *preferences = Preferences::instance();
    if (preferences->clearItemsOnExit()) {
        // Our own offer would keep its content files on the disk while the clipboard holds it,
        // which under X11 is until the very end of the process: nothing of the history stays.
        ClipboardWrap *clipboard = ClipboardWrap::instance();
        for (const QClipboard::Mode mode : {QClipboard::Clipboard, QClipboard::Selection}) {
            if (qobject_cast<const ItemMimeData *>(clipboard->mimeData(mode)))
                clipboard->setMimeData(nullptr, mode);
        }
    }
    preferences->saveHistory(dynamic);
    preferences->saveSticky(sticky);
}

int Model::rowCount(const QModelIndex &parent) const
{
    // A list: rows have no children (views that ask a row for its children must get none).
    if (parent.isValid())
        return 0;
    return int(sticky.size() + dynamic.size());
}

const Item *Model::itemAt(int row) const
{
    if (row < 0)
        return nullptr;
    if (row < sticky.size())
        return &sticky.at(row);
    row -= int(sticky.size());
    return row < dynamic.size() ? &dynamic.at(row) : nullptr;
}

QVariant Model::data(const QModelIndex &index, int role) const
{
    // An index kept from before rows were removed can point past the end.
    const Item *item = index.isValid() && index.model() == this ? itemAt(index.row()) : nullptr;
    if (!item)
        return QString();

    switch (role) {
    case Qt::DisplayRole:
        return ItemPresentation::displayText(*item);
    case Qt::DecorationRole:
        return ItemPresentation::itemIcon(*item);
    case Qt::ToolTipRole:
        return ItemPresentation::toolTip(*item);
    case Qt::FontRole:
        return index == currentIndex ? boldFont : normalFont;
    case TextRole:
        return item->text();
    case Qt::SizeHintRole:
    case Qt::TextAlignmentRole:
    case Qt::BackgroundRole:
    case Qt::ForegroundRole:
    case Qt::CheckStateRole:
    case Qt::InitialSortOrderRole:
        // Views take these as sizes, flags, brushes and states: an empty text would read as a zero
        // size or a black brush. No value lets them use their own.
        return QVariant();
    default:
        return QString();
    }
}

Qt::ItemFlags Model::flags(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this || !itemAt(index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsEditable | Qt::ItemIsEnabled;
}

void Model::clipboard_changed(QClipboard::Mode mode)
{
    Preferences *preferences = Preferences::instance();
    if (mode != QClipboard::Clipboard && !preferences->platformExtensions())
        return;

    // What a password manager marks as secret is never read, kept, stored or copied across. When
    // it withdraws the offer later, the emptied clipboard is restored as usual.
    const QMimeData *offer = ClipboardWrap::instance()->mimeData(mode);
    if (Item::isSecret(offer) || isOwnTextOnly(offer))
        return;

    const Item item(mode);
    if (!item.isValid()) {
        restoreEmptied(mode);
        return;
    }

    if (preferences->synchronizePSEInstantly() && !alreadyOffered(item, Item::oppositeMode(mode)))
        item.toClipboard(OtherMode);

    const int stickyRow = int(sticky.indexOf(item));
    if (stickyRow >= 0) {
        currentIndex = index(stickyRow);
        return;
    }

    const int duplicate = int(dynamic.indexOf(item));
    if (duplicate >= 0) {
        moveToTop(duplicate);
        return;
    }

    const int first = int(sticky.size());
    beginInsertRows(QModelIndex(), first, first);
    dynamic.prepend(item);
    endInsertRows();
    ItemPresentation::prepare(item);

    // Never below 1: the preferences read a hand-edited limit below it as the default.
    const int limit = preferences->historyCount();
    const int size = int(dynamic.size());
    if (size > limit) {
        beginRemoveRows(QModelIndex(), first + limit, first + size - 1);
        dynamic.erase(dynamic.begin() + limit, dynamic.end());
        endRemoveRows();
    }

    moveToTop(0);
}

void Model::restoreEmptied(QClipboard::Mode mode)
{
    // The program that owned the clipboard has exited: put back the newest content of that
    // clipboard, without reordering the history.
    for (int j = 0; j < dynamic.size(); ++j) {
        if (dynamic.at(j).mode() == mode) {
            dynamic.at(j).toClipboard(OwnMode);
            currentIndex = index(int(sticky.size()) + j);
            return;
        }
    }
}

void Model::moveToTop(int dynamicIndex)
{
    const int first = int(sticky.size());
    if (dynamicIndex != 0) {
        beginMoveRows(QModelIndex(), first + dynamicIndex, first + dynamicIndex, QModelIndex(), first);
        dynamic.move(dynamicIndex, 0);
        endMoveRows();
    }
    currentIndex = index(first);

    Preferences *preferences = Preferences::instance();
    // In the background: with large images in the history a save writes hundreds of megabytes,
    // and the next copy must not wait for it.
    if (preferences->synchronizeHistory())
        preferences->saveHistoryInBackground(dynamic);
}

void Model::indexTriggered(const QModelIndex &index)
{
    // The menu may have been built before rows were removed: its index can point past the end.
    if (!index.isValid() || index.model() != this)
        return;
    const int row = index.row();
    const Item *item = itemAt(row);
    if (!item)
        return;

    const ClipboardTargets targets = choiceTargets();
    const bool onClipboard = isOnClipboard(*item, targets);
    item->toClipboard(targets);

    currentIndex = this->index(row);
    const int first = int(sticky.size());
    if (row >= first)
        moveToTop(row - first);
    if (onClipboard)
        Q_EMIT chosenOnClipboard();
}

void Model::indexTriggeredAsPlainText(const QModelIndex &index)
{
    if (!index.isValid() || index.model() != this)
        return;
    const Item *item = itemAt(index.row());
    if (!item)
        return;
    const QByteArray text = plainTextOf(*item).toUtf8();
    if (text.isEmpty())
        return;
    const Item textItem(item->mode(), PlainText,
                        ClipboardContent{{QStringLiteral("text/plain"), text},
                                         {QStringLiteral("text/plain;charset=utf-8"), text}});
    const ClipboardTargets targets = choiceTargets();
    const bool onClipboard = isOnClipboard(*item, targets);
    ClipboardWrap *clipboard = ClipboardWrap::instance();
    clipboard->setMimeData(new ItemMimeData(textItem, ItemMimeData::Use::TextOnly), item->mode());
    if (targets & OtherMode)
        clipboard->setMimeData(new ItemMimeData(textItem, ItemMimeData::Use::TextOnly),
                               Item::oppositeMode(item->mode()));

    // What the clipboard holds now is no row's content.
    currentIndex = QPersistentModelIndex();
    if (onClipboard)
        Q_EMIT chosenOnClipboard();
}

ClipboardTargets Model::choiceTargets()
{
    ClipboardTargets targets = OwnMode;
    if (Preferences::instance()->synchronizePSEOnSelect())
        targets |= OtherMode;
    return targets;
}

bool Model::isOnClipboard(const Item &item, ClipboardTargets targets)
{
    return item.mode() == QClipboard::Clipboard ||
           ((targets & OtherMode) && Item::oppositeMode(item.mode()) == QClipboard::Clipboard);
}

void Model::clearHistory()
{
    const int first = int(sticky.size());
    const bool hadContentFiles = std::any_of(
        dynamic.cbegin(), dynamic.cend(), [](const Item &item) { return !item.largeContents().isEmpty(); });
    if (!dynamic.isEmpty()) {
        beginRemoveRows(QModelIndex(), first, first + int(dynamic.size()) - 1);
        dynamic.clear();
        endRemoveRows();
    }

    const ClipboardContent welcome{
        {QStringLiteral("text/plain"), tr("Welcome to the morv-clip clipboard history applet").toUtf8()}};
    beginInsertRows(QModelIndex(), first, first);
    dynamic.append(Item(QClipboard::Clipboard, PlainText, welcome));
    endInsertRows();
    currentIndex = index(first);

    // A user who clears the history expects the copies gone from the disk: the settings file must
    // stop naming their content files before these can go, whether the history is synchronised or
    // not.
    if (hadContentFiles)
        Preferences::instance()->saveHistoryInBackground(dynamic);
}

void Model::watchSelectionAsPreferred()
{
    ClipboardWrap::instance()->setSelectionWatched(Preferences::instance()->platformExtensions());
}

void Model::reloadSticky()
{
    if (!sticky.isEmpty()) {
        beginRemoveRows(QModelIndex(), 0, int(sticky.size()) - 1);
        sticky.clear();
        endRemoveRows();
    }

    QList<Item> loaded = Preferences::instance()->loadSticky();
    if (!loaded.isEmpty()) {
        beginInsertRows(QModelIndex(), 0, int(loaded.size()) - 1);
        sticky = std::move(loaded);
        endInsertRows();
    }
}

} // namespace Morv
