#pragma once

#include <QList>

class QSettings;

namespace Morv {

class Item;

// The stored history (group "dynamic") and sticky items (group "sticky") of a settings file.
// Works on any QSettings object, so that damaged files can be read in tests and fuzzers without
// the process-wide preferences.
class HistoryStore
{
public:
    // The history items, most recent first. "clearItemsOnExit" makes the save store none.
    static QList<Item> loadHistory(QSettings &settings);
    static void saveHistory(QSettings &settings, const QList<Item> &items, bool clearItemsOnExit);

    // The sticky items, as texts; empty texts are dropped on loading.
    static QList<Item> loadSticky(QSettings &settings);
    static void saveSticky(QSettings &settings, const QList<Item> &items);
};

} // namespace Morv
