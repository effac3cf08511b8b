// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

namespace Morv {

// Replaces a file so that, whenever the process is killed, the file's name gives either the old
// content or the new one, complete: the new content goes into a temporary file beside it
// (".<name>.XXXXXX", readable by the user alone from its creation), which is flushed to the disk
// and then renamed over the file; the folder, which records the new name, is flushed last
// (at once, or once for many files with flushFolder()). A temporary file not committed is
// removed when the object goes.
class AtomicFile
{
public:
    explicit AtomicFile(const QString &fileName);
    ~AtomicFile();

    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Creates the temporary file; false, with the reason, when it cannot be created.
    bool create(QString *error);
    // The temporary file, for writers that work on a path of their own (they must not change its
    // permissions).
    QString temporaryName() const;
    bool write(const char *data, qint64 size, QString *error);

    enum FolderFlush { FlushFolder, FolderFlushedLater };
    // Flushes the temporary file and renames it over the file.
    bool commit(FolderFlush folderFlush, QString *error);

    static bool flushFolder(const QString &folder, QString *error);
    // The shell pattern of the temporary files that a killed process leaves beside the file.
    static QString leftoverPattern(const QString &fileName);

private:
    const QByteArray path;
    QByteArray temporary;
    int fd = -1;
    bool committed = false;
};

} // namespace Morv
