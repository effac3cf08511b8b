// SPDX-License-Identifier: GPL-2.0-or-later

#include "thumbnailstore.h"

#include "atomicfile.h"
#include "contentfilestore.h"
#include "privatefile.h"
#include "storagelock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace Morv {

namespace {

// Held while files are written or removed: removeOrphans() must not take a temporary file that a
// write is filling.
std::mutex &filesMutex()
{
    static auto *mutex = new std::mutex; // never destroyed: a write may come late at exit
    return *mutex;
}

const QLatin1String iconSuffix(".icon.png");
const QLatin1String previewSuffix(".preview.png");

QLatin1String suffix(ThumbnailStore::Kind kind)
{
    return kind == ThumbnailStore::Icon ? iconSuffix : previewSuffix;
}

// The hash of a thumbnail's name ("<sha256>.icon.png"), or of a temporary file that becomes one
// (".<sha256>.icon.png.XXXXXX"); empty for any other name.
QStringView hashOf(QStringView name, bool *temporary)
{
    *temporary = name.startsWith(QLatin1Char('.'));
    QStringView rest = *temporary ? name.sliced(1) : name;
    if (rest.size() < 64 || !ContentFileStore::isHashName(rest.first(64)))
        return {};
    const QStringView hash = rest.first(64);
    rest = rest.sliced(64);
    for (const QLatin1String &kind : {iconSuffix, previewSuffix}) {
        if (!rest.startsWith(kind))
            continue;
        rest = rest.sliced(kind.size());
        if (*temporary ? rest.size() == 7 && rest.startsWith(QLatin1Char('.')) : rest.isEmpty())
            return hash;
    }
    return {};
}

bool contentFileMissing(const QByteArray &sha256)
{
    struct stat status;
    return ::stat(QFile::encodeName(ContentFileStore::filePath(sha256)).constData(), &status) != 0 &&
           errno == ENOENT;
}

bool writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    AtomicFile file(path);
    // A thumbnail lost in a crash is made again: the folder is not flushed for it.
    return file.create(error) && file.write(bytes.constData(), bytes.size(), error) &&
           file.commit(AtomicFile::FolderFlushedLater, error);
}

} // namespace

QString ThumbnailStore::folder()
{
    return ContentFileStore::folder() + QStringLiteral("/thumbnails");
}

QString ThumbnailStore::filePath(const QByteArray &sha256, Kind kind)
{
    return folder() + QLatin1Char('/') + QLatin1String(sha256) + suffix(kind);
}

QByteArray ThumbnailStore::read(const QByteArray &sha256, Kind kind)
{
    QFile file(filePath(sha256, kind));
    if (!file.open(QIODevice::ReadOnly) || file.size() > maximumFileSize)
        return QByteArray();
    return file.read(maximumFileSize);
}

bool ThumbnailStore::write(const QByteArray &sha256, const QByteArray &icon, const QByteArray &preview,
                           QString *error)
{
    if (!StorageLock::isHeld()) {
        *error = QStringLiteral("another instance stores the history");
        return false;
    }
    // Counted as used meanwhile: the removal of unused content files either took the content file
    // before (and the check below finds it gone) or leaves it until the thumbnails are written.
    ContentFileStore::retain(sha256);
    bool ok = false;
    {
        const std::lock_guard<std::mutex> lock(filesMutex());
        if (contentFileMissing(sha256))
            *error = QStringLiteral("its content file is gone");
        else
            ok = PrivateFile::makeFolder(folder(), 3, error) &&
                 writeFile(filePath(sha256, Icon), icon, error) &&
                 writeFile(filePath(sha256, Preview), preview, error);
    }
    ContentFileStore::release(sha256);
    return ok;
}

int ThumbnailStore::removeOrphans()
{
    const QString path = folder();
    const std::lock_guard<std::mutex> lock(filesMutex());
    PrivateFile::restrict(path);
    QDir dir(path);
    int removed = 0;
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        bool temporary = false;
        const QStringView hash = hashOf(name, &temporary);
        if (hash.isEmpty())
            continue; // not ours
        if (temporary || contentFileMissing(hash.toLatin1())) {
            if (dir.remove(name))
                ++removed;
        } else {
            PrivateFile::restrict(dir.filePath(name));
        }
    }
    return removed;
}

} // namespace Morv
