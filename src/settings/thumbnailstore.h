// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

namespace Morv {

// Small pictures made from the pictures of the stored history, kept beside their content files so
// that a start need not decode every picture again. Each picture has two, in the folder
// "thumbnails" of the content folder (see ContentFileStore), named by the SHA-256 of the content
// file they were made from: "<sha256>.icon.png", the menu icon (a few KB), and
// "<sha256>.preview.png", the larger preview of the tool tip.
//
// Like the content files, they are private to the user (folder 0700, files 0600), written whole
// (AtomicFile) and only by the instance that stores the history (StorageLock), and only while
// their content file is there. They are a cache and are never trusted: one that is missing or does
// not read back as expected is made again, and one whose content file is gone is deleted by
// removeOrphans(), which the removal of unused content files calls. Every function may be called
// from any thread.
class ThumbnailStore
{
public:
    enum Kind { Icon, Preview };

    // Larger files are not read: a thumbnail is never this large.
    static constexpr qint64 maximumFileSize = 1024 * 1024;

    static QString folder();
    static QString filePath(const QByteArray &sha256, Kind kind);

    // The bytes of a thumbnail; null when there is none (or it is too large to be one).
    static QByteArray read(const QByteArray &sha256, Kind kind);

    // Writes both thumbnails of the content file of the hash, replacing older ones. False, with the
    // reason, when this process does not store the history, the content file is not there (any
    // more), or a file could not be written (nothing is left behind then).
    static bool write(const QByteArray &sha256, const QByteArray &icon, const QByteArray &preview,
                      QString *error);

    // Deletes the thumbnails whose content file is missing from a readable folder, and the
    // temporary files a killed write left behind; takes the permissions of others away from the
    // folder and the files. Returns the number of files deleted.
    static int removeOrphans();
};

} // namespace Morv
