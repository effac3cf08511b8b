#include "historystore.h"

#include "item.h"

#include <QMetaType>
#include <QSettings>

namespace Morv {

namespace {
const QString historyGroup = QStringLiteral("dynamic");
const QString stickyGroup = QStringLiteral("sticky");
const QString itemsArray = QStringLiteral("items");
const QString modeKey = QStringLiteral("mode");
const QString contentTypeKey = QStringLiteral("contentType");
const QString contentKey = QStringLiteral("content");
const QString textKey = QStringLiteral("text");

ClipboardContent toContent(const QVariant &stored)
{
    const QMetaType contentType = QMetaType::fromType<ClipboardContent>();
    if (stored.metaType() == contentType)
        return stored.value<ClipboardContent>();
    ClipboardContent content;
    if (!QMetaType::convert(stored.metaType(), stored.constData(), contentType, &content))
        return ClipboardContent();
    return content;
}
} // namespace

QList<Item> HistoryStore::loadHistory(QSettings &settings)
{
    QList<Item> items;
    settings.beginGroup(historyGroup);
    const int size = settings.beginReadArray(itemsArray);
    for (int i = 0; i < size; ++i) {
        settings.setArrayIndex(i);
        const auto mode = static_cast<QClipboard::Mode>(settings.value(modeKey).toUInt());
        const auto type = static_cast<ContentType>(settings.value(contentTypeKey).toUInt());
        items.append(Item(mode, type, toContent(settings.value(contentKey))));
    }
    settings.endArray();
    settings.endGroup();
    return items;
}

void HistoryStore::saveHistory(QSettings &settings, const QList<Item> &items, bool clearItemsOnExit)
{
    settings.beginGroup(historyGroup);
    settings.remove(itemsArray);
    if (!clearItemsOnExit) {
        settings.beginWriteArray(itemsArray);
        for (int i = 0; i < items.size(); ++i) {
            settings.setArrayIndex(i);
            const Item &item = items.at(i);
            settings.setValue(modeKey, int(item.mode()));
            settings.setValue(contentTypeKey, int(item.contentType()));
            settings.setValue(contentKey, QVariant::fromValue(item.content()));
        }
        settings.endArray();
    }
    settings.endGroup();
}

QList<Item> HistoryStore::loadSticky(QSettings &settings)
{
    QList<Item> items;
    settings.beginGroup(stickyGroup);
    const int size = settings.beginReadArray(itemsArray);
    for (int i = 0; i < size; ++i) {
        settings.setArrayIndex(i);
        const Item item(settings.value(textKey).toString());
        if (item.isValid())
            items.append(item);
    }
    settings.endArray();
    settings.endGroup();
    return items;
}

void HistoryStore::saveSticky(QSettings &settings, const QList<Item> &items)
{
    settings.beginGroup(stickyGroup);
    settings.remove(itemsArray);
    settings.beginWriteArray(itemsArray);
    for (int i = 0; i < items.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(textKey, items.at(i).text());
    }
    settings.endArray();
    settings.endGroup();
}

} // namespace Morv
