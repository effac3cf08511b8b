// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

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
    // The history items, most recent first. The small formats of an item are in its value
    // "content" (the stream of a ClipboardContent), the large ones in content files listed in its
    // value "contentFiles", one "<format> <SHA-256> <size>" each (see ContentFileStore). A listed
    // file proven missing or of the wrong size drops its format, and an item left without any
    // format is dropped, with one warning each; a file that cannot be looked at now stays listed,
    // with a warning. The text is the value "text" where the formats do not give it back, else
    // the UTF-8 of "text/plain" (or of "text/plain;charset=utf-8").
    static QList<Item> loadHistory(QSettings &settings);

    // Writes the content files of the items that are not written yet, then the items; an item none
    // of whose formats can be given any more is left out. With "clearItemsOnExit" no items (and no
    // content files) are written. False, with the reason, when
    // a content file could not be written: the settings are not touched then.
    static bool saveHistory(QSettings &settings, const QList<Item> &items, bool clearItemsOnExit,
                            QString *error = nullptr);

    // Writes the content files of the items that are not written yet.
    static bool storeContents(const QList<Item> &items, QString *error = nullptr);

    // The hashes of every content file the stored history lists, sound or not.
    static QSet<QByteArray> contentFileHashes(QSettings &settings);

    // The sticky items, as texts; empty texts are dropped on loading.
    static QList<Item> loadSticky(QSettings &settings);
    static void saveSticky(QSettings &settings, const QList<Item> &items);

    // Warns once when contents would be stored under another name than the type's own: some code
    // has registered an alias of the content type, and stored files would depend on it.
    static void checkStoredTypeName();
};

} // namespace Morv
