// SPDX-License-Identifier: GPL-2.0-or-later

#include "picturepreviews.h"

#include "contentfilestore.h"
#include "item.h"
#include "jobthread.h"
#include "thumbnailstore.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QTextDocument>

#include <algorithm>
#include <atomic>

namespace Morv {

namespace {

const QString urlScheme = QStringLiteral("morv-clip-preview");

// A picture offered in many encodings is tried in at most this many of them.
constexpr int maximumCandidates = 4;
// Previews of pictures inside their items (of at most 4 KiB) kept at most.
constexpr int maximumInlineEntries = 64;

std::atomic<int> decodes = 0;
PicturePreviews *previews = nullptr;

// Never destroyed: the thread that stores the history may still hand it the thumbnails of a
// picture it has just stored while the program ends; once stopped, it drops them.
JobThread &previewThread()
{
    static auto *thread = new JobThread;
    return *thread;
}

// One format of a picture: a large one, or the bytes of a small one.
struct Candidate
{
    QString format;
    LargeContent large;
    QByteArray bytes;
};

bool isPicture(const QString &format)
{
    return format.startsWith(QLatin1String("image/"));
}

// The formats that decode best and fastest first.
int rank(const QString &format)
{
    static const QStringList preferred{QStringLiteral("image/png"), QStringLiteral("image/jpeg"),
                                       QStringLiteral("image/webp"), QStringLiteral("image/gif"),
                                       QStringLiteral("image/bmp")};
    const qsizetype at = preferred.indexOf(format);
    return at >= 0 ? int(at) : int(preferred.size());
}

bool before(const QString &format, const QString &other)
{
    const int rank1 = rank(format);
    const int rank2 = rank(other);
    return rank1 != rank2 ? rank1 < rank2 : format < other;
}

QList<Candidate> candidates(const Item &item)
{
    QList<Candidate> found;
    for (auto it = item.content().cbegin(); it != item.content().cend(); ++it) {
        if (isPicture(it.key()))
            found.append({it.key(), LargeContent(), it.value()});
    }
    for (auto it = item.largeContents().cbegin(); it != item.largeContents().cend(); ++it) {
        if (isPicture(it.key()))
            found.append({it.key(), it.value(), QByteArray()});
    }
    std::sort(found.begin(), found.end(),
              [](const Candidate &a, const Candidate &b) { return before(a.format, b.format); });
    if (found.size() > maximumCandidates)
        found.resize(maximumCandidates);
    return found;
}

// What tells the first picture format of an item from any other content: the identity of a large
// content, the bytes of a small one. Empty for an item without a picture. Cheap: asked for every
// row at every opening of the menu.
QByteArray keyOf(const Item &item)
{
    const QString *best = nullptr;
    QByteArray key;
    for (auto it = item.content().cbegin(); it != item.content().cend(); ++it) {
        if (isPicture(it.key()) && (!best || before(it.key(), *best))) {
            best = &it.key();
            key = 'I' + it.value();
        }
    }
    for (auto it = item.largeContents().cbegin(); it != item.largeContents().cend(); ++it) {
        if (isPicture(it.key()) && (!best || before(it.key(), *best))) {
            best = &it.key();
            key = 'L' + QByteArray::number(it.value().id());
        }
    }
    return key;
}

qint64 sizeOf(const Candidate &candidate)
{
    return candidate.large.isNull() ? candidate.bytes.size() : candidate.large.size();
}

std::optional<PicturePreview> fromThumbnails(const Candidate &candidate, QByteArray *sha256)
{
    if (candidate.large.isNull() || !candidate.large.isStored())
        return std::nullopt;
    *sha256 = candidate.large.sha256();
    return PictureDecoder::fromThumbnails(ThumbnailStore::read(*sha256, ThumbnailStore::Icon),
                                          ThumbnailStore::read(*sha256, ThumbnailStore::Preview));
}

std::optional<PicturePreview> decode(const Candidate &candidate)
{
    QByteArray bytes = candidate.large.isNull() ? candidate.bytes : candidate.large.bytesInMemory();
    if (!bytes.isNull()) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        return PictureDecoder::decode(&buffer);
    }
    // Stored, and not read ahead: the decoder reads what it needs of the file (held by the job's
    // copy of the content, no removal takes it meanwhile).
    QFile file(ContentFileStore::filePath(candidate.large.sha256()));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return PictureDecoder::decode(&file);
}

} // namespace

PicturePreviews *PicturePreviews::instance()
{
    if (!previews) {
        previews = new PicturePreviews;
        qAddPostRoutine(finish);
    }
    return previews;
}

PicturePreviews::PicturePreviews()
{
    // Tool tips show the larger pictures through the URLs of toolTipImage().
    const QTextDocument::ResourceProvider previous = QTextDocument::defaultResourceProvider();
    QTextDocument::setDefaultResourceProvider([previous](const QUrl &url) -> QVariant {
        if (url.scheme() == urlScheme && previews)
            return previews->resource(url);
        return previous ? previous(url) : QVariant();
    });
}

PicturePreviews::~PicturePreviews() = default;

void PicturePreviews::finish()
{
    // The thread first: nothing of it may reach the object once it is gone.
    previewThread().stop();
    delete previews;
    previews = nullptr;
}

const PicturePreviews::Preview *PicturePreviews::find(const Item &item)
{
    const QByteArray key = keyOf(item);
    if (key.isEmpty())
        return nullptr;
    auto it = entries.find(key);
    if (it == entries.end()) {
        prune();
        it = entries.insert(key, Entry());
        request(key, item, *it);
    }
    return it->state == Entry::Ready ? &it->preview : nullptr;
}

void PicturePreviews::request(const QByteArray &key, const Item &item, Entry &entry)
{
    const QList<Candidate> pictures = candidates(item);
    entry.preview.serial = ++lastSerial;
    entry.inlinePicture = pictures.constFirst().large.isNull();
    entry.lifetime = pictures.constFirst().large.lifetime();
    ++pending;
    previewThread().run([this, key, pictures] {
        std::optional<PicturePreview> preview;
        QByteArray sha256;
        qint64 byteSize = 0;
        for (const Candidate &candidate : pictures) {
            preview = fromThumbnails(candidate, &sha256);
            if (preview) {
                byteSize = sizeOf(candidate);
                break;
            }
        }
        for (qsizetype i = 0; !preview && i < pictures.size(); ++i) {
            const Candidate &candidate = pictures.at(i);
            sha256.clear();
            preview = decode(candidate);
            if (!preview)
                continue;
            ++decodes;
            byteSize = sizeOf(candidate);
            // The thumbnails go beside the content file once it is written (at once when it is).
            candidate.large.whenStored(
                [this, key, icon = preview->iconPng, larger = preview->previewPng](const QByteArray &hash) {
                    previewThread().run([this, key, hash, icon, larger] {
                        QString error;
                        if (ThumbnailStore::write(hash, icon, larger, &error))
                            QMetaObject::invokeMethod(
                                this, [this, key, hash] { stored(key, hash); }, Qt::QueuedConnection);
                    });
                });
        }
        QMetaObject::invokeMethod(
            this, [this, key, preview, sha256, byteSize] { made(key, preview, sha256, byteSize); },
            Qt::QueuedConnection);
    });
}

void PicturePreviews::made(const QByteArray &key, const std::optional<PicturePreview> &preview,
                           const QByteArray &sha256, qint64 byteSize)
{
    --pending;
    const auto it = entries.find(key);
    if (it != entries.end()) {
        if (preview) {
            it->state = Entry::Ready;
            it->preview.pictureSize = preview->pictureSize;
            it->preview.byteSize = byteSize;
            it->preview.icon = preview->icon;
            // Read from the disk: it stays there.
            it->preview.sha256 = sha256;
            it->preview.previewPng = sha256.isEmpty() ? preview->previewPng : QByteArray();
        } else {
            it->state = Entry::Failed;
        }
    }
    Q_EMIT ready();
}

void PicturePreviews::stored(const QByteArray &key, const QByteArray &sha256)
{
    const auto it = entries.find(key);
    if (it == entries.end() || it->state != Entry::Ready)
        return;
    it->preview.sha256 = sha256;
    it->preview.previewPng = QByteArray();
}

void PicturePreviews::prune()
{
    int inlineEntries = 0;
    quint64 oldestInline = 0;
    for (auto it = entries.begin(); it != entries.end();) {
        if (!it->inlinePicture && it->lifetime.expired()) {
            it = entries.erase(it);
            continue;
        }
        if (it->inlinePicture) {
            ++inlineEntries;
            if (!oldestInline || it->preview.serial < oldestInline)
                oldestInline = it->preview.serial;
        }
        ++it;
    }
    // Small pictures have no content whose end could be seen: the oldest goes.
    for (auto it = entries.begin(); inlineEntries >= maximumInlineEntries && it != entries.end(); ++it) {
        if (it->inlinePicture && it->preview.serial == oldestInline) {
            entries.erase(it);
            break;
        }
    }
}

QIcon PicturePreviews::icon(const Preview &preview, const QColor &background)
{
    if (!preview.squareIcon.isNull() && preview.squareBackground == background)
        return preview.squareIcon;
    QPixmap square(PictureDecoder::iconSize);
    square.fill(background.isValid() ? background : QColor(Qt::transparent));
    {
        QPainter painter(&square);
        const QSize room = PictureDecoder::iconSize - preview.icon.size();
        painter.drawImage(QPoint(room.width() / 2, room.height() / 2), preview.icon);
    }
    preview.squareIcon = QIcon(square);
    preview.squareBackground = background;
    return preview.squareIcon;
}

QUrl PicturePreviews::toolTipImage(const Preview &preview)
{
    return QUrl(QStringLiteral("%1:%2").arg(urlScheme).arg(preview.serial));
}

QVariant PicturePreviews::resource(const QUrl &url) const
{
    bool ok = false;
    const quint64 serial = url.path().toULongLong(&ok);
    for (const Entry &entry : entries) {
        if (!ok || entry.preview.serial != serial || entry.state != Entry::Ready)
            continue;
        const QByteArray png = entry.preview.previewPng.isEmpty()
                                   ? ThumbnailStore::read(entry.preview.sha256, ThumbnailStore::Preview)
                                   : entry.preview.previewPng;
        const QImage image = QImage::fromData(png, "png");
        return image.isNull() ? QVariant() : QVariant(image);
    }
    return QVariant();
}

int PicturePreviews::decodeCount()
{
    return decodes;
}

int PicturePreviews::pendingCount() const
{
    return pending;
}

} // namespace Morv
