// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QList>

class QSettings;

namespace Morv {

class Item;

// The stored history (group "dynamic") and sticky items (group "sticky") of a settings file.
// Works on any QSettings object, so that damaged files can be read in tests and fuzzers without
// the process-wide preferences.
//
// Loading takes whatever is sound from a damaged file and writes one warning per problem: the
// stored item count is checked against the items present rather than trusted, a content stream
// damaged part-way keeps the formats before the damage, and an item whose content cannot be read
// at all is restored with an empty content.
class HistoryStore
{
public:
    // The history items, most recent first. "clearItemsOnExit" makes the save store none.
    static QList<Item> loadHistory(QSettings &settings);
    static void saveHistory(QSettings &settings, const QList<Item> &items, bool clearItemsOnExit);

    // The sticky items, as texts; empty texts are dropped on loading.
    static QList<Item> loadSticky(QSettings &settings);
    static void saveSticky(QSettings &settings, const QList<Item> &items);

    // Warns once when contents would be stored under another name than the type's own: some code
    // has registered an alias of the content type, and stored files would depend on it.
    static void checkStoredTypeName();
};

} // namespace Morv
