// SPDX-License-Identifier: GPL-2.0-or-later

#include "offerreader.h"

#include "clipboardformats.h"
#include "ksystemclipboard.h"
#include "rawmimedata.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// Bytes taken from the pipe per wake-up at most, so that a fast owner of a huge offer cannot keep
// the event loop to itself.
constexpr qsizetype readBudget = 4 * 1024 * 1024;
constexpr qsizetype readChunk = 256 * 1024;
// A larger pipe means fewer wake-ups for big images. It also matters when the owner is Qt's own
// clipboard in this process (a copy in one of our windows): Qt writes a paste in one blocking call
// on this very thread, which returns only once the pipe has taken everything. The kernel may refuse
// (1 MiB is its usual limit for unprivileged processes).
constexpr int pipeSize = 1024 * 1024;

bool isPicture(const QString &format)
{
    return format.startsWith(QLatin1String("image/"));
}

// What is read of the offered types, in this order: the password manager's hint (it decides
// whether anything else is read), the kept formats but pictures, the pictures.
QStringList readOrder(const QStringList &offered)
{
    QStringList order;
    if (offered.contains(ClipboardFormats::passwordManagerHint))
        order.append(ClipboardFormats::passwordManagerHint);
    QStringList pictures;
    for (const QString &format : ClipboardFormats::kept(offered))
        (isPicture(format) ? pictures : order).append(format);
    return order + pictures;
}

} // namespace

OfferReader::OfferReader(std::unique_ptr<DataControlDevice::Offer> offer, int timeout, QObject *parent)
    : QObject(parent)
    , offer(std::move(offer))
    , timeout(timeout)
    , notifier(QSocketNotifier::Read)
{
    notifier.setEnabled(false);
    connect(&notifier, &QSocketNotifier::activated, this, &OfferReader::readAvailable);
    idleTimer.setSingleShot(true);
    connect(&idleTimer, &QTimer::timeout, this, &OfferReader::timedOut);
}

OfferReader::~OfferReader()
{
    closePipe();
}

void OfferReader::start()
{
    mimeData = std::make_unique<RawMimeData>();
    QStringList offered = offer->mimeTypes();
    offered.removeDuplicates();
    types = readOrder(offered);
    // An offer without types is an empty selection; one of only platform names holds something,
    // but nothing the history keeps: not taken, and not worth a warning.
    if (types.isEmpty() && !offered.isEmpty())
        taken = false;
    // Complete at once (nothing to read, or no pipe): still reported from the event loop, never
    // from inside the caller.
    if (!requestNext())
        QMetaObject::invokeMethod(this, &OfferReader::finish, Qt::QueuedConnection);
}

bool OfferReader::requestNext()
{
    if (next < types.size()) {
        currentType = types.at(next++);
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            // Without this format the offer is not the one the user copied.
            qWarning("Could not read \"%s\" from the clipboard (no pipe: %s): its offer is not taken",
                     qUtf8Printable(currentType), std::strerror(errno));
            discard();
            return false;
        }
        // Only our end is non-blocking: the owner writes as it likes.
        ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
        ::fcntl(ends[0], F_SETPIPE_SZ, pipeSize);
        offer->receive(currentType, ends[1]);
        ::close(ends[1]);
        fd = ends[0];
        buffer.clear();
        notifier.setSocket(fd);
        notifier.setEnabled(true);
        idleTimer.start(timeout);
        return true;
    }
    return false;
}

void OfferReader::readAvailable()
{
    if (fd < 0)
        return;
    qsizetype budget = readBudget;
    bool progress = false;
    while (budget > 0) {
        const qsizetype used = buffer.size();
        buffer.resize(used + readChunk);
        const ssize_t count = ::read(fd, buffer.data() + used, readChunk);
        const int error = errno;
        buffer.resize(used + std::max<qsizetype>(count, 0));
        if (count > 0) {
            budget -= count;
            progress = true;
            if (held + buffer.size() > KSystemClipboard::maximumOfferSize) {
                qWarning("The clipboard's owner offers more than %lld MiB: its offer is not taken",
                         static_cast<long long>(KSystemClipboard::maximumOfferSize / (1024 * 1024)));
                giveUp();
                return;
            }
            continue;
        }
        if (count == 0) {
            // End of file: the owner has written everything.
            formatRead();
            return;
        }
        if (error == EINTR)
            continue;
        if (error == EAGAIN || error == EWOULDBLOCK)
            break;
        qWarning("Could not read \"%s\" from the clipboard (%s): its offer is not taken",
                 qUtf8Printable(currentType), std::strerror(error));
        giveUp();
        return;
    }
    if (progress)
        idleTimer.start(timeout);
}

void OfferReader::formatRead()
{
    buffer.squeeze();
    held += buffer.size();
    mimeData->add(currentType, buffer);
    pictureArrived = pictureArrived || (isPicture(currentType) && !buffer.isEmpty());
    // Nothing else of a secret is read: the history will not take it.
    if (currentType == ClipboardFormats::passwordManagerHint && buffer == "secret")
        next = types.size();
    buffer = QByteArray();
    closePipe();
    if (!requestNext())
        finish();
}

void OfferReader::timedOut()
{
    if (fd < 0 || done)
        return;
    if (isPicture(currentType) && pictureArrived) {
        // The picture in yet another encoding (pictures are read last): the picture is there.
        qWarning("The clipboard's owner sent nothing for \"%s\" in %d ms: the offer is taken without it "
                 "and the picture formats after it",
                 qUtf8Printable(currentType), timeout);
        buffer = QByteArray();
        closePipe();
        next = types.size();
        finish();
        return;
    }
    qWarning("The clipboard's owner sent nothing for \"%s\" in %d ms: its offer is not taken",
             qUtf8Printable(currentType), timeout);
    giveUp();
}

void OfferReader::discard()
{
    taken = false;
    buffer = QByteArray();
    closePipe();
    next = types.size();
    mimeData = std::make_unique<RawMimeData>();
}

void OfferReader::giveUp()
{
    discard();
    finish();
}

bool OfferReader::waitForFinished(QDeadlineTimer deadline)
{
    while (!done) {
        if (fd < 0) {
            // Nothing left to read (an offer without types); the queued report becomes a no-op.
            finish();
            break;
        }
        // The owner's idle time counts here too, though the timer cannot fire without an event loop.
        const int idleLeft = idleTimer.remainingTime();
        if (idleLeft == 0) {
            timedOut();
            break;
        }
        const qint64 left = deadline.remainingTime();
        if (left == 0)
            return false;
        int wait = idleLeft;
        if (left > 0 && (wait < 0 || left < wait))
            wait = int(left);
        pollfd watched = {fd, POLLIN, 0};
        const int ready = ::poll(&watched, 1, wait);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready > 0)
            readAvailable();
    }
    return true;
}

void OfferReader::abort()
{
    closePipe();
    offer.reset();
    done = true;
}

std::unique_ptr<QMimeData> OfferReader::takeMimeData()
{
    return std::move(mimeData);
}

void OfferReader::closePipe()
{
    idleTimer.stop();
    if (fd < 0)
        return;
    notifier.setEnabled(false);
    ::close(fd);
    fd = -1;
}

void OfferReader::finish()
{
    if (done)
        return;
    done = true;
    // The owner has nothing more to tell us.
    offer.reset();
    Q_EMIT finished();
}
