// SPDX-License-Identifier: GPL-2.0-or-later

#include "ksystemclipboard_x11.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QScreen>
#include <QThread>
#include <qpa/qplatformnativeinterface.h>

namespace {

QScreen *screen()
{
    return QGuiApplication::primaryScreen();
}

// The image formats Qt's clipboard reads, as it names and orders them: PNG first, as the best.
QStringList qtImageFormats()
{
    QStringList formats;
    const QList<QByteArray> names = QImageReader::supportedImageFormats();
    for (const QByteArray &name : names)
        formats.append(QLatin1String("image/") + QString::fromLatin1(name.toLower()));
    const qsizetype png = formats.indexOf(QLatin1String("image/png"));
    if (png > 0)
        formats.move(png, 0);
    return formats;
}

// What QClipboard gets of our own content: a stand-in for it, which Qt may delete when another
// program takes the selection while mimeData() goes on answering from the content itself. Every
// format is asked of the content only when a program asks for it, as Qt asks its mime data; the
// content may read it from disk then.
class SharedMimeData final : public QMimeData
{
public:
    explicit SharedMimeData(std::shared_ptr<QMimeData> content)
        : content(std::move(content))
    {}

    QStringList formats() const override { return content->formats(); }
    bool hasFormat(const QString &mimeType) const override { return content->hasFormat(mimeType); }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override
    {
        // Typed the way Qt's own accessors ask; bytes for everything else.
        if (mimeType == QLatin1String("application/x-qt-image") && type.id() == QMetaType::QImage)
            return content->imageData();
        if (mimeType == QLatin1String("application/x-color") && type.id() == QMetaType::QColor)
            return content->colorData();
        return content->data(mimeType);
    }

private:
    const std::shared_ptr<QMimeData> content;
};

} // namespace

std::unique_ptr<X11SystemClipboard> X11SystemClipboard::create(ReaderThread readerThread)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return {};
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    auto *qtConnection = native ? static_cast<xcb_connection_t *>(
                                      native->nativeResourceForIntegration(QByteArrayLiteral("connection")))
                                : nullptr;
    if (!qtConnection) {
        qWarning("Qt's xcb platform gave no X connection: the clipboard is read the slow way");
        return {};
    }
    // Windows of Qt's connection have ids in its range: that is how our own ownership is known.
    const xcb_setup_t *qtSetup = xcb_get_setup(qtConnection);

    auto shared = std::make_unique<X11SelectionWatcher::Shared>();
    auto watcher = std::make_unique<X11SelectionWatcher>(
        *shared, qtSetup->resource_id_base, qtSetup->resource_id_mask, defaultReadTimeout, qtImageFormats());
    if (!watcher->isConnected())
        return {};

    std::unique_ptr<X11SystemClipboard> clipboard(
        new X11SystemClipboard(std::move(shared), std::move(watcher), readerThread));
    // Its thread ends before the application object goes.
    clipboard->releasePlatformAtExit();
    // Callers ask for the content right after creating the clipboard.
    if (readerThread == ReaderThread::Own)
        clipboard->waitForStartUpContent(startUpWait);
    return clipboard;
}

X11SystemClipboard::X11SystemClipboard(std::unique_ptr<X11SelectionWatcher::Shared> shared,
                                       std::unique_ptr<X11SelectionWatcher> watcher,
                                       ReaderThread readerThread)
    : shared(std::move(shared))
{
    for (auto &content : current)
        content = std::make_unique<RawMimeData>();

    // Queued in both cases: a report is taken in from the event loop, never from inside the reader.
    connect(watcher.get(), &X11SelectionWatcher::offerRead, this, &X11SystemClipboard::offerRead,
            Qt::QueuedConnection);
    connect(watcher.get(), &X11SelectionWatcher::ownerGone, this, &X11SystemClipboard::ownerGone,
            Qt::QueuedConnection);
    connect(watcher.get(), &X11SelectionWatcher::offerNotRead, this, &X11SystemClipboard::offerNotRead,
            Qt::QueuedConnection);
    connect(watcher.get(), &X11SelectionWatcher::readProblem, this, &X11SystemClipboard::readProblem,
            Qt::QueuedConnection);

    this->watcher = watcher.get();
    if (readerThread == ReaderThread::Gui) {
        guiThreadWatcher = std::move(watcher);
        guiThreadWatcher->start();
        return;
    }
    // The watcher is made, used and destroyed on the thread: its notifier and timers belong there.
    X11SelectionWatcher *moved = watcher.release();
    thread.reset(QThread::create([moved] {
        const std::unique_ptr<X11SelectionWatcher> owned(moved);
        owned->start();
        QEventLoop loop;
        loop.exec();
    }));
    thread->setObjectName(QStringLiteral("X11 clipboard reader"));
    moved->moveToThread(thread.get());
    thread->start();
}

X11SystemClipboard::~X11SystemClipboard()
{
    stopReading();
}

void X11SystemClipboard::releasePlatform()
{
    stopReading();
}

void X11SystemClipboard::stopReading()
{
    watcher = nullptr;
    if (thread) {
        thread->quit();
        thread->wait();
        thread.reset();
    }
    guiThreadWatcher.reset();
}

bool X11SystemClipboard::waitForStartUpContent(int timeout)
{
    const bool read = shared->startUpRead.tryAcquire(1, timeout);
    // Take in what has been reported so far, as the event loop would.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    return read;
}

const QMimeData *X11SystemClipboard::mimeData(QClipboard::Mode mode) const
{
    const int index = X11SelectionWatcher::indexOf(mode);
    return index < 0 ? nullptr : current[index].get();
}

std::shared_ptr<const QMimeData> X11SystemClipboard::sharedMimeData(QClipboard::Mode mode) const
{
    const int index = X11SelectionWatcher::indexOf(mode);
    return index < 0 ? nullptr : current[index];
}

void X11SystemClipboard::setMimeData(QMimeData *mime, QClipboard::Mode mode)
{
    const int index = X11SelectionWatcher::indexOf(mode);
    if (index < 0) {
        delete mime;
        return;
    }
    // Qt deletes the data once another program takes the selection, and asking Qt for it could make
    // it read the new owner's offer on this thread: mimeData() answers from the content itself, and
    // Qt gets a stand-in that shares it. Nothing is copied: a large format is read only when a
    // program pastes it.
    std::shared_ptr<QMimeData> content(mime ? mime : new RawMimeData);
    // Before the ownership changes: the watcher takes an owner of this process with this time for us.
    shared->ownWriteTime[index] = stampWithServerTime();
    QGuiApplication::clipboard()->setMimeData(mime ? new SharedMimeData(content) : nullptr, mode);
    current[index] = std::move(content);
    holdsOwnContent[index] = true;
}

void X11SystemClipboard::setSelectionWatched(bool watched)
{
    if (watched == selectionWatched)
        return;
    selectionWatched = watched;
    const int index = X11SelectionWatcher::indexOf(QClipboard::Selection);
    // Another program's offer is not known any longer; our own content is.
    if (!watched && !holdsOwnContent[index])
        current[index] = std::make_unique<RawMimeData>();
    if (X11SelectionWatcher *reading = watcher) {
        QMetaObject::invokeMethod(
            reading, [reading, index, watched] { reading->setWatched(index, watched); },
            Qt::QueuedConnection);
    }
}

bool X11SystemClipboard::isWatched(int index) const
{
    return index != X11SelectionWatcher::indexOf(QClipboard::Selection) || selectionWatched;
}

bool X11SystemClipboard::isCurrentChange(int index, quint32 change, quint32 time) const
{
    // Someone has taken the selection since (their offer follows), or we have.
    return change == shared->ownerChanges[index].load() && !isBeforeOwnWrite(index, time);
}

quint32 X11SystemClipboard::stampWithServerTime()
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    if (!native || !screen())
        return 0;
    // gettimestamp: a zero-length property change on Qt's connection, whose event carries the
    // server's time of now (a round trip to the server, never to another program).
    const auto now =
        quint32(quintptr(native->nativeResourceForScreen(QByteArrayLiteral("gettimestamp"), screen())));
    // The plugin hands its functions out under one generic type; this one is
    // void (QScreen *, xcb_timestamp_t).
    const auto setAppTime = reinterpret_cast<void (*)(QScreen *, quint32)>(
        reinterpret_cast<void *>(native->nativeResourceFunctionForScreen(QByteArrayLiteral("setapptime"))));
    if (now != 0 && setAppTime)
        setAppTime(screen(), now);
    // What Qt stamps the ownership with: its own time, now at least as new as the server's.
    return quint32(quintptr(native->nativeResourceForScreen(QByteArrayLiteral("apptime"), screen())));
}

bool X11SystemClipboard::isBeforeOwnWrite(int index, quint32 time) const
{
    const quint32 written = shared->ownWriteTime[index];
    // Server times wrap around after 49 days.
    return written != 0 && qint32(time - written) < 0;
}

void X11SystemClipboard::offerRead(QClipboard::Mode mode, quint32 time, const RawMimeData::Entries &entries,
                                   const RawMimeData::DecodedTexts &texts)
{
    const int index = X11SelectionWatcher::indexOf(mode);
    // We wrote after this owner took the selection: the selection holds ours now. A read that
    // was under way when the selection was switched off is not wanted either.
    if (isBeforeOwnWrite(index, time) || !isWatched(index))
        return;
    current[index] = std::make_unique<RawMimeData>(entries, texts);
    holdsOwnContent[index] = false;
    Q_EMIT changed(mode);
}

void X11SystemClipboard::ownerGone(QClipboard::Mode mode, quint32 change, quint32 time)
{
    const int index = X11SelectionWatcher::indexOf(mode);
    if (!isCurrentChange(index, change, time) || !isWatched(index))
        return;
    // Like QClipboard on X11: an offer without formats.
    current[index] = std::make_unique<RawMimeData>();
    holdsOwnContent[index] = false;
    Q_EMIT changed(mode);
}

void X11SystemClipboard::offerNotRead(QClipboard::Mode mode, quint32 change, quint32 time)
{
    const int index = X11SelectionWatcher::indexOf(mode);
    if (!isCurrentChange(index, change, time))
        return;
    // Neither our content nor anything known: no offer, and nothing to report.
    current[index] = std::make_unique<RawMimeData>();
    holdsOwnContent[index] = false;
}

void X11SystemClipboard::readProblem(QClipboard::Mode, const QString &reason)
{
    qWarning("%s", qUtf8Printable(reason));
}
