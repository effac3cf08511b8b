// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

namespace Morv {

// The files that hold the large formats of the stored history, one file per distinct content,
// named by the SHA-256 of its bytes (64 lower-case hexadecimal digits), in
// $XDG_DATA_HOME/morv/morv-clip/. Identical bytes in any item or format are stored once.
//
// They hold what the user copied, so the folder and its parent "morv" are private to the user
// (0700) and every file is created readable by the user alone (0600) before its first byte is
// written (AtomicFile): a file named by a hash is complete, whenever the process is killed.
//
// A file is given up (its format dropped, its file no longer named) only when it is proven wrong:
// absent while its folder can be read, of the wrong size, or with bytes that do not match their
// hash. Any other failure (too many open files, an I/O error, a folder not mounted yet) proves
// nothing: the reference is kept and the file tried again when it is next needed.
//
// Files in use by this process (any live LargeContent that knows its hash) are counted here, so that
// removing unused files can never take one that the history, a clipboard offer of ours or a save
// under way still needs. Every function may be called from any thread.
class ContentFileStore
{
public:
    // The folder of the content files (not created by asking).
    static QString folder();
    static QString filePath(const QByteArray &sha256);

    // Whether the text is a content file's name: 64 lower-case hexadecimal digits.
    static bool isHashName(QStringView name);

    // The SHA-256 of the bytes, as a content file is named.
    static QByteArray hash(const QByteArray &bytes);

    // What a look at a content file proved.
    enum Verdict {
        Sound,      // there, with the size (and, when read, the bytes) expected
        Wrong,      // proven missing or damaged
        Unreachable // could not be looked at now; tried again later
    };

    // Writes the bytes into the file of their hash (see above), unless a sound file of that name
    // exists already: one of the right size is read and checked against the hash first, and
    // replaced when damaged. False, with the reason, when it could not be written; nothing is left
    // behind then. The new name reaches the disk with the next syncFolder().
    static bool write(const QByteArray &sha256, const QByteArray &bytes, QString *error);
    // Flushes the folder, and so the names of the files written, to the disk.
    static bool syncFolder(QString *error);

    // Whether the file of the hash is there with the given size; the problem otherwise. Looks at
    // the file's size only; its bytes are checked when they are read.
    static Verdict check(const QByteArray &sha256, qint64 size, QString *problem);

    // The bytes of the file, checked against the size and the hash; null, with the problem and
    // the verdict, when the file is missing, unreadable or damaged.
    static QByteArray read(const QByteArray &sha256, qint64 size, QString *problem,
                           Verdict *verdict = nullptr);

    // Whether the file of the hash holds exactly these bytes (compared in place, without a copy).
    static bool holds(const QByteArray &sha256, const QByteArray &bytes);

    // A few bytes from the middle of the content, where two pictures of the same size differ
    // (their headers and ends do not): compared before whole contents are. Null when the file
    // cannot be read.
    static QByteArray sample(const QByteArray &bytes);
    static QByteArray sample(const QByteArray &sha256, qint64 size);

    // Counts a use of the file of the hash by this process; release() ends it.
    static void retain(const QByteArray &sha256);
    static void release(const QByteArray &sha256);

    // Deletes the content files that neither this process uses nor the given hashes name (the
    // settings file's references), and temporary files that a killed process left: no write() may
    // be under way meanwhile. Other files in the folder are left alone. Returns the number of files
    // deleted.
    static int removeUnused(const QSet<QByteArray> &referenced);

    // Takes the permissions of others away from the folder and the content files, where a copy or
    // an older version left them too open. At start-up.
    static void tighten();
};

} // namespace Morv
