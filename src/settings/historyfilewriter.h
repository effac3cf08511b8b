// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace Morv {

class Item;

// Writes the stored history (the array "items" of the group "dynamic") into a settings file
// without going through QSettings, in exactly the text QSettings writes for it, and leaves the
// rest of the file as it is.
//
// QSettings can only rewrite a whole file from the values it holds, and it turns each stored
// content into text inside its write while holding the file's lock: with a history of large images
// that is hundreds of megabytes of escaping on the thread that saves. This writer streams the new
// history item by item and copies every other line of the file unchanged, so it can run on a
// thread of its own. It takes the same lock file QSettings takes for its writes, so neither
// overwrites what the other has just written, and it replaces the file atomically.
//
// Only what QSettings would remove before writing the array is replaced: every key at or below
// "dynamic/items", wherever the file holds it (a hand-edited file may spread it over other
// sections). Sections left empty are dropped, as QSettings drops them. For a file written by
// QSettings the result is byte for byte what QSettings would have written.
class HistoryFileWriter
{
public:
    // The file the last write left, and where it put the history section. When the file is still
    // that one at the next write, the section is replaced without reading the file line by line:
    // the escaped contents of a large history take seconds to read.
    struct Layout
    {
        qint64 fileSize = -1;
        qint64 modified = -1; // milliseconds since the epoch
        // -1 when the section holds more than the array (or there is none): it is then read anew.
        qint64 historyBegin = -1;
        qint64 historyEnd = -1;

        // Whether the file is still the one the last write left.
        bool isCurrent(const QString &fileName) const;
    };

    // Writes the items, or with clearItemsOnExit no items at all, as the history of the file.
    // A file that does not exist yet is created (private to the user). Returns false, with the
    // reason in error, when the file could not be written; it is then left unchanged. A layout
    // given is used and updated.
    static bool write(const QString &fileName, const QList<Item> &items, bool clearItemsOnExit,
                      QString *error = nullptr, Layout *layout = nullptr);

    // One value as QSettings writes the text of a variant of a user type ("@Variant(" and the
    // stream's bytes taken as Latin-1, then ")"): escaped, and quoted where needed.
    static void appendEscapedValue(QByteArrayView latin1, QByteArray &out);
};

} // namespace Morv
