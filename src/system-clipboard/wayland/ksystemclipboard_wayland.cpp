// SPDX-License-Identifier: GPL-2.0-or-later

#include "ksystemclipboard_wayland.h"

#include "datacontroldevice_wayland.h"
#include "offerreader.h"
#include "pipewriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <qpa/qplatformnativeinterface.h>

#include <unistd.h>

namespace {

const QString imageFormat = QStringLiteral("application/x-qt-image");
const QString pngFormat = QStringLiteral("image/png");
const QString plainText = QStringLiteral("text/plain");
const QString utf8Text = QStringLiteral("text/plain;charset=utf-8");

} // namespace

std::unique_ptr<WaylandSystemClipboard> WaylandSystemClipboard::create()
{
    // Only Qt's Wayland platform has a Wayland connection to give; asking any other one for it
    // crashes.
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return {};
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    auto *display =
        native
            ? static_cast<wl_display *>(native->nativeResourceForIntegration(QByteArrayLiteral("wl_display")))
            : nullptr;

    if (!display) {
        qWarning("Qt's Wayland platform gave no Wayland connection: copies made in other programs will not "
                 "be seen");
        return {};
    }

    WaylandDataControl::Protocol protocol = WaylandDataControl::Protocol::None;
    std::unique_ptr<DataControlDevice> device = WaylandDataControl::connect(display, &protocol);
    if (!device) {
        if (protocol == WaylandDataControl::Protocol::None)
            qWarning("The Wayland compositor gives clipboard managers no access to the clipboard (it offers "
                     "neither ext nor wlr data-control): copies made in other programs will not be seen");
        else
            qWarning(
                "Could not reach the clipboard through %s: copies made in other programs will not be seen",
                WaylandDataControl::interfaceName(protocol));
        return {};
    }

    auto clipboard = std::make_unique<WaylandSystemClipboard>(std::move(device));
    // It lets go of the compositor before Qt's Wayland connection is closed.
    clipboard->releasePlatformAtExit();
    // Callers ask for the clipboard's content right after creating it, as they would under X11.
    clipboard->waitForReads(startUpWait);
    return clipboard;
}

WaylandSystemClipboard::WaylandSystemClipboard(std::unique_ptr<DataControlDevice> device, int readTimeout,
                                               int writeTimeout, QObject *parent)
    : KSystemClipboard(parent)
    , device(std::move(device))
    , readTimeoutMs(readTimeout)
    , writeTimeoutMs(writeTimeout)
    , hasPrimary(this->device->hasPrimarySelection())
{
    clipboard.data = std::make_unique<QMimeData>();
    if (hasPrimary)
        primary.data = std::make_unique<QMimeData>();
    // The device announces the selections of the moment right away.
    this->device->setClient(this);
}

WaylandSystemClipboard::~WaylandSystemClipboard()
{
    releasePlatform();
}

const QMimeData *WaylandSystemClipboard::mimeData(QClipboard::Mode mode) const
{
    const Selection *selected = selection(mode);
    return selected ? selected->data.get() : nullptr;
}

std::shared_ptr<const QMimeData> WaylandSystemClipboard::sharedMimeData(QClipboard::Mode mode) const
{
    const Selection *selected = selection(mode);
    return selected ? selected->data : nullptr;
}

void WaylandSystemClipboard::setMimeData(QMimeData *mime, QClipboard::Mode mode)
{
    Selection *selected = selection(mode);
    if (!selected) {
        delete mime;
        return;
    }
    // Our content replaces whatever was still being read.
    stopReading(*selected);
    selected->clearedByUs = false;
    if (selected->data.get() != mime)
        selected->data.reset(mime ? mime : new QMimeData);
    if (!device)
        return;

    if (!mime) {
        device->setSelection(mode, nullptr);
        selected->source.reset();
        selected->served.clear();
        selected->clearedByUs = true;
        return;
    }
    Formats served = servedFormats(mime);
    QStringList types;
    types.reserve(served.size());
    for (const auto &format : std::as_const(served))
        types.append(format.first);
    std::unique_ptr<DataControlDevice::Source> source = device->createSource(types);
    device->setSelection(mode, source.get());
    // The source this one replaces is destroyed only now that the new one is set, so that the
    // selection never passes through empty for other clients.
    selected->source = std::move(source);
    selected->served = std::move(served);
}

bool WaylandSystemClipboard::waitForReads(int timeout)
{
    const QDeadlineTimer deadline(timeout);
    for (Selection *selected : {&clipboard, &primary}) {
        if (selected->reader && !selected->reader->waitForFinished(deadline))
            return false;
    }
    return true;
}

void WaylandSystemClipboard::setSelectionWatched(bool watched)
{
    if (watched == selectionWatched)
        return;
    selectionWatched = watched;
    if (!watched) {
        // A read under way is given up; what was read before still answers until the next change.
        stopReading(primary);
        return;
    }
    // What the selection holds now is read, and reported once read.
    if (primary.unread)
        startReading(QClipboard::Selection, std::move(primary.unread));
}

void WaylandSystemClipboard::releasePlatform()
{
    for (Selection *selected : {&clipboard, &primary}) {
        stopReading(*selected);
        selected->unread.reset();
        selected->source.reset();
        selected->served.clear();
    }
    const QList<PipeWriter *> writers = findChildren<PipeWriter *>(Qt::FindDirectChildrenOnly);
    qDeleteAll(writers);
    device.reset();
}

void WaylandSystemClipboard::selectionOffered(QClipboard::Mode mode,
                                              std::unique_ptr<DataControlDevice::Offer> offer)
{
    Selection *selected = selection(mode);
    if (!selected)
        return;
    // While our source is on the selection, the offer is our own content coming back (or one that
    // ours has already replaced): the local copy is the truth, and nothing changed.
    if (selected->source)
        return;
    if (!offer && selected->clearedByUs) {
        selected->clearedByUs = false;
        return;
    }
    selected->clearedByUs = false;
    stopReading(*selected);
    selected->unread.reset();

    if (mode == QClipboard::Selection && !selectionWatched) {
        // Not a byte of it is read until it is watched; meanwhile it answers as holding nothing.
        selected->unread = std::move(offer);
        selected->data = std::make_unique<QMimeData>();
        return;
    }
    if (!offer) {
        // Emptied: its owner quit or cleared it. Like QClipboard on X11: an offer without formats.
        // Besides an offer of no types at all, the only way a selection becomes empty: an offer that
        // is not read whole leaves it as it was.
        selected->data = std::make_unique<QMimeData>();
        Q_EMIT changed(mode);
        return;
    }
    startReading(mode, std::move(offer));
}

void WaylandSystemClipboard::startReading(QClipboard::Mode mode,
                                          std::unique_ptr<DataControlDevice::Offer> offer)
{
    auto *reader = new OfferReader(std::move(offer), readTimeoutMs, this);
    selection(mode)->reader = reader;
    connect(reader, &OfferReader::finished, this, [this, mode, reader] { readFinished(mode, reader); });
    reader->start();
}

void WaylandSystemClipboard::readFinished(QClipboard::Mode mode, OfferReader *reader)
{
    Selection *selected = selection(mode);
    if (!selected || selected->reader != reader)
        return;
    selected->reader = nullptr;
    reader->deleteLater();
    // Not read whole (the reader has said why): the owner still holds the selection, so it is not
    // empty, and what it holds is not what arrived of it. What was read before stays; no change.
    if (!reader->isTaken())
        return;
    selected->data = reader->takeMimeData();
    Q_EMIT changed(mode);
}

void WaylandSystemClipboard::sendRequested(DataControlDevice::Source *source, const QString &mimeType, int fd)
{
    for (const Selection *selected : {&clipboard, &primary}) {
        if (!source || selected->source.get() != source)
            continue;
        for (const auto &format : selected->served) {
            if (format.first == mimeType) {
                auto *writer = new PipeWriter(fd, mimeType, servedBytes(selected->data.get(), format.second),
                                              writeTimeoutMs, this);
                writer->start();
                return;
            }
        }
    }
    // A type we never offered, or a source we no longer have: the reader gets nothing.
    ::close(fd);
}

void WaylandSystemClipboard::sourceCancelled(DataControlDevice::Source *source)
{
    // Another client took the selection over; its offer follows and replaces our content once read.
    for (Selection *selected : {&clipboard, &primary}) {
        if (source && selected->source.get() == source) {
            selected->source.reset();
            selected->served.clear();
        }
    }
}

void WaylandSystemClipboard::deviceFinished()
{
    qWarning("The Wayland compositor withdrew the clipboard (its seat is gone): copies made in other "
             "programs are no longer seen");
    for (Selection *selected : {&clipboard, &primary}) {
        stopReading(*selected);
        // Offers must not outlive their device.
        selected->unread.reset();
        selected->source.reset();
        selected->served.clear();
    }
    device.reset();
}

WaylandSystemClipboard::Selection *WaylandSystemClipboard::selection(QClipboard::Mode mode)
{
    switch (mode) {
    case QClipboard::Clipboard:
        return &clipboard;
    case QClipboard::Selection:
        return hasPrimary ? &primary : nullptr;
    case QClipboard::FindBuffer:
        break;
    }
    return nullptr;
}

const WaylandSystemClipboard::Selection *WaylandSystemClipboard::selection(QClipboard::Mode mode) const
{
    return const_cast<WaylandSystemClipboard *>(this)->selection(mode);
}

void WaylandSystemClipboard::stopReading(Selection &selected)
{
    if (!selected.reader)
        return;
    selected.reader->abort();
    selected.reader->deleteLater();
    selected.reader = nullptr;
}

WaylandSystemClipboard::Formats WaylandSystemClipboard::servedFormats(const QMimeData *mime)
{
    Formats formats;
    const QStringList names = mime->formats();
    for (const QString &name : names) {
        // Qt's in-process image has no bytes of its own; it is served as PNG below.
        if (name == imageFormat)
            continue;
        formats.append({name, name});
    }
    if (mime->hasImage() && !mime->hasFormat(pngFormat))
        formats.append({pngFormat, QString()});
    // What Wayland programs ask for first when they want text; Qt's own Wayland clipboard offers it
    // beside text/plain as well.
    if (mime->hasFormat(plainText) && !mime->hasFormat(utf8Text))
        formats.append({utf8Text, plainText});
    return formats;
}

QByteArray WaylandSystemClipboard::servedBytes(const QMimeData *mime, const QString &format)
{
    if (!format.isEmpty())
        return mime->data(format);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    qvariant_cast<QImage>(mime->imageData()).save(&buffer, "PNG");
    return png;
}
