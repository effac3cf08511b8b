// SPDX-License-Identifier: GPL-2.0-or-later

#include "ksystemclipboard_x11.h"

#include "offersnapshot.h"
#include "x11selectionowner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QScreen>
#include <QSemaphore>
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

} // namespace

std::unique_ptr<X11SystemClipboard> X11SystemClipboard::create(ReaderThread readerThread, int writeTimeout)
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

    auto shared = std::make_unique<X11SelectionWatcher::Shared>();
    auto watcher =
        std::make_unique<X11SelectionWatcher>(*shared, defaultReadTimeout, writeTimeout, qtImageFormats());
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
    handOver();
    watcher = nullptr;
    if (thread) {
        thread->quit();
        thread->wait();
        thread.reset();
    }
    guiThreadWatcher.reset();
}

void X11SystemClipboard::handOver()
{
    X11SelectionWatcher *reading = watcher;
    if (!reading || !thread)
        return;
    // Queued after every write so far, a last release of the clipboard included.
    QSemaphore *done = &handedOver;
    QMetaObject::invokeMethod(
        reading, [reading, done] { reading->handOver(done); }, Qt::QueuedConnection);
    // The end of the thread releases it at the latest.
    handedOver.tryAcquire(1, int(X11SelectionOwner::handOverWait.count()) + 1000);
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
    // The reader's thread serves the content to other programs, from a snapshot taken here, which
    // shares the bytes (nothing is copied; a large format read ahead is waited for there, not here),
    // while mimeData() answers from the content itself.
    std::shared_ptr<QMimeData> content(mime ? mime : new RawMimeData);
    if (X11SelectionWatcher *serving = watcher) {
        if (mime) {
            auto snapshot = std::make_shared<const OfferSnapshot>(OfferSnapshot::of(*mime));
            // Before the ownership changes: the watcher takes our owner with this time for us.
            const quint32 time = emptiedAt[index] != 0 ? emptiedAt[index] : stampWithServerTime();
            shared->ownWriteTime[index] = time;
            // At once, so that a paste right after the write finds it; before own(), which checks
            // that the server gave it.
            serving->takeSelection(index, time);
            QMetaObject::invokeMethod(
                serving, [serving, index, snapshot, time] { serving->own(index, snapshot, time); },
                Qt::QueuedConnection);
        } else {
            QMetaObject::invokeMethod(
                serving, [serving, index] { serving->release(index); }, Qt::QueuedConnection);
        }
    }
    current[index] = std::move(content);
    holdsOwnContent[index] = true;
    emptiedAt[index] = 0;
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
    // While paused nothing is read; resuming tells the watcher.
    if (!readingPaused)
        tellWatcher(index, watched, true);
}

void X11SystemClipboard::setReadingPaused(bool paused)
{
    if (paused == readingPaused)
        return;
    readingPaused = paused;
    for (const QClipboard::Mode mode : {QClipboard::Clipboard, QClipboard::Selection}) {
        const int index = X11SelectionWatcher::indexOf(mode);
        if (mode == QClipboard::Selection && !selectionWatched)
            continue; // not read either way
        if (paused && !holdsOwnContent[index])
            current[index] = std::make_unique<RawMimeData>();
        // What the selections hold when reading resumes was copied while paused: left unread.
        tellWatcher(index, !paused, false);
    }
}

void X11SystemClipboard::tellWatcher(int index, bool watched, bool readOwnerNow)
{
    if (X11SelectionWatcher *reading = watcher) {
        QMetaObject::invokeMethod(
            reading,
            [reading, index, watched, readOwnerNow] { reading->setWatched(index, watched, readOwnerNow); },
            Qt::QueuedConnection);
    }
}

bool X11SystemClipboard::isWatched(int index) const
{
    return !readingPaused &&
           (index != X11SelectionWatcher::indexOf(QClipboard::Selection) || selectionWatched);
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
    // server's time of now (a round trip to the server, never to another program). Not Qt's own
    // time: other programs can push that ahead of the server's clock (Qt takes the time of every
    // selection request and XEmbed message as its own), and the server ignores an ownership stamped
    // in its future.
    return quint32(quintptr(native->nativeResourceForScreen(QByteArrayLiteral("gettimestamp"), screen())));
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
    emptiedAt[index] = 0;
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
    emptiedAt[index] = time;
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
    emptiedAt[index] = 0;
}

void X11SystemClipboard::readProblem(QClipboard::Mode mode, const QString &reason)
{
    // Another program has taken the selection since it was seen empty: a write dates itself anew.
    const int index = X11SelectionWatcher::indexOf(mode);
    if (index >= 0)
        emptiedAt[index] = 0;
    qWarning("%s", qUtf8Printable(reason));
}
