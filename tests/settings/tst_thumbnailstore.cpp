// SPDX-License-Identifier: GPL-2.0-or-later

#include "contentfilestore.h"
#include "item.h"
#include "noise.h"
#include "preferences.h"
#include "storagelock.h"
#include "testenvironment.h"
#include "thumbnailstore.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>

using Morv::ContentFileStore;
using Morv::Preferences;
using Morv::ThumbnailStore;

namespace {

QStringList thumbnails()
{
    return QDir(ThumbnailStore::folder()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QString name(const QByteArray &sha256, ThumbnailStore::Kind kind)
{
    return QFileInfo(ThumbnailStore::filePath(sha256, kind)).fileName();
}

uint permissions(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0xffff;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A stored picture: its content file written.
QByteArray storedContent(quint32 variant)
{
    const QByteArray bytes = noise(variant, 6000);
    const QByteArray sha256 = ContentFileStore::hash(bytes);
    QString error;
    if (!ContentFileStore::write(sha256, bytes, &error))
        qWarning("%s", qPrintable(error));
    return sha256;
}

Morv::Item itemOf(const QByteArray &sha256)
{
    return Morv::Item(QClipboard::Clipboard, Morv::Binary, {},
                      {{QStringLiteral("image/png"), Morv::LargeContent(sha256, 6000)}}, QString());
}

} // namespace

// The thumbnails of the stored pictures: written beside the content files by the storing
// instance alone, private, and gone with their content files.
class TestThumbnailStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        QDir(ContentFileStore::folder()).removeRecursively();
    }

    // First: until this process holds the storage lock it is not the instance that stores.
    void aProcessThatDoesNotStoreWritesNothing()
    {
        QVERIFY(!Morv::StorageLock::isHeld());
        const QByteArray sha256 = storedContent(1);
        QString error;
        QVERIFY(!ThumbnailStore::write(sha256, "icon", "preview", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo::exists(ThumbnailStore::folder()));
    }

    void writtenPrivatelyBesideTheContentFile()
    {
        QVERIFY(Preferences::instance()->storesHistory());
        const QByteArray sha256 = storedContent(2);
        // A folder made too open by hand is tightened.
        QVERIFY(QDir().mkpath(ThumbnailStore::folder()));
        QVERIFY(QFile::setPermissions(ThumbnailStore::folder(), QFileDevice::Permissions(0x7755)));
        QString error;
        QVERIFY2(ThumbnailStore::write(sha256, "icon bytes", "preview bytes", &error), qPrintable(error));
        QCOMPARE(ThumbnailStore::read(sha256, ThumbnailStore::Icon), QByteArray("icon bytes"));
        QCOMPARE(ThumbnailStore::read(sha256, ThumbnailStore::Preview), QByteArray("preview bytes"));
        QCOMPARE(QFileInfo(ThumbnailStore::filePath(sha256, ThumbnailStore::Icon)).absolutePath(),
                 ContentFileStore::folder() + QStringLiteral("/thumbnails"));
        QCOMPARE(permissions(ThumbnailStore::filePath(sha256, ThumbnailStore::Icon)), 0600u);
        QCOMPARE(permissions(ThumbnailStore::filePath(sha256, ThumbnailStore::Preview)), 0600u);
        QCOMPARE(permissions(ThumbnailStore::folder()), 0700u);
        // Replaced whole, without leftovers.
        QVERIFY(ThumbnailStore::write(sha256, "new icon", "new preview", &error));
        QCOMPARE(ThumbnailStore::read(sha256, ThumbnailStore::Icon), QByteArray("new icon"));
        QCOMPARE(thumbnails().size(), 2);
    }

    void notWrittenWithoutItsContentFile()
    {
        const QByteArray sha256 = ContentFileStore::hash("never stored");
        QString error;
        QVERIFY(!ThumbnailStore::write(sha256, "icon", "preview", &error));
        QVERIFY(!QFile::exists(ThumbnailStore::filePath(sha256, ThumbnailStore::Icon)));
    }

    void aFileTooLargeToBeAThumbnailIsNotRead()
    {
        const QByteArray sha256 = storedContent(3);
        writeFile(ThumbnailStore::filePath(sha256, ThumbnailStore::Icon),
                  QByteArray(ThumbnailStore::maximumFileSize + 1, 'x'));
        QVERIFY(ThumbnailStore::read(sha256, ThumbnailStore::Icon).isNull());
        QVERIFY(ThumbnailStore::read(ContentFileStore::hash("none"), ThumbnailStore::Icon).isNull());
    }

    void theyGoWithTheirContentFiles()
    {
        QDir(ContentFileStore::folder()).removeRecursively();
        TestEnvironment::clearSettings();
        Preferences *preferences = Preferences::instance();
        const QByteArray kept = storedContent(10);
        const QByteArray dropped = storedContent(11);
        QString error;
        QVERIFY(ThumbnailStore::write(kept, "icon", "preview", &error));
        QVERIFY(ThumbnailStore::write(dropped, "icon", "preview", &error));
        preferences->saveHistory({itemOf(kept), itemOf(dropped)});
        QCOMPARE(thumbnails().size(), 4);

        // The history no longer names one picture: its content file and thumbnails go.
        preferences->saveHistory({itemOf(kept)});
        QVERIFY(!QFile::exists(ContentFileStore::filePath(dropped)));
        QCOMPARE(thumbnails(),
                 (QStringList{name(kept, ThumbnailStore::Icon), name(kept, ThumbnailStore::Preview)}));

        // What a crash leaves goes at the next start: thumbnails of a content file deleted meanwhile,
        // a write cut short; the permissions are made private again; a file not ours stays.
        const QString thumbnailFolder = ThumbnailStore::folder() + QLatin1Char('/');
        const QByteArray gone = ContentFileStore::hash("deleted by hand");
        writeFile(thumbnailFolder + name(gone, ThumbnailStore::Icon), "orphan");
        writeFile(thumbnailFolder + QLatin1Char('.') + name(kept, ThumbnailStore::Preview) +
                      QStringLiteral(".aB3dE9"),
                  "cut short");
        writeFile(thumbnailFolder + QStringLiteral("notes.txt"), "the user's");
        QVERIFY(QFile::setPermissions(ThumbnailStore::filePath(kept, ThumbnailStore::Icon),
                                      QFileDevice::Permissions(0x6644)));
        preferences->removeUnusedContentFiles();
        preferences->waitForBackgroundSave();
        QCOMPARE(thumbnails(),
                 (QStringList{name(kept, ThumbnailStore::Icon), name(kept, ThumbnailStore::Preview),
                              QStringLiteral("notes.txt")}));
        QCOMPARE(permissions(ThumbnailStore::filePath(kept, ThumbnailStore::Icon)), 0600u);

        // Cleared with its content file.
        preferences->saveHistory({});
        QCOMPARE(thumbnails(), QStringList{QStringLiteral("notes.txt")});
    }
};

QTEST_GUILESS_MAIN(TestThumbnailStore)
#include "tst_thumbnailstore.moc"
