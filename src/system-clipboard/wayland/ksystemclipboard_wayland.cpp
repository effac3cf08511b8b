// SPDX-License-Identifier: GPL-2.0-or-later

#include "ksystemclipboard_wayland.h"

#include "datacontroldevice_wayland.h"
#include "offerreader.h"
#include "offersnapshot.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <qpa/qplatformnativeinterface.h>

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
                                               QObject *parent)
    : KSystemClipboard(parent)
    , device(std::move(device))
    , readTimeoutMs(readTimeout)
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
        selected->clearedByUs = true;
        return;
    }
    // The device serves the pastes on its own thread, from a snapshot taken now, which shares the
    // bytes (nothing is copied; a large format read ahead is waited for there, not here), while
    // mimeData() answers from the content itself.
    std::unique_ptr<DataControlDevice::Source> source =
        device->createSource(std::make_shared<const OfferSnapshot>(served(*mime)));
    device->setSelection(mode, source.get());
    // The source this one replaces is destroyed only now that the new one is set, so that the
    // selection never passes through empty for other clients.
    selected->source = std::move(source);
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

void WaylandSystemClipboard::setReadingPaused(bool paused)
{
    if (paused == readingPaused)
        return;
    readingPaused = paused;
    // Resumed: the offers of the moment came while paused and stay unread.
    if (!paused)
        return;
    for (const QClipboard::Mode mode : {QClipboard::Clipboard, QClipboard::Selection}) {
        Selection *selected = selection(mode);
        if (!selected)
            continue;
        stopReading(*selected);
        selected->unread.reset();
        if (!selected->source)
            selected->data = std::make_unique<QMimeData>();
    }
}

void WaylandSystemClipboard::releasePlatform()
{
    for (Selection *selected : {&clipboard, &primary}) {
        stopReading(*selected);
        selected->unread.reset();
        selected->source.reset();
    }
    // Its serving thread ends with it, pastes in flight given up.
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

    if (readingPaused) {
        // Dropped unread, also once reading resumes: it was copied while paused.
        selected->data = std::make_unique<QMimeData>();
        return;
    }
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

void WaylandSystemClipboard::sourceCancelled(DataControlDevice::Source *source)
{
    // Another client took the selection over; its offer follows and replaces our content once read.
    for (Selection *selected : {&clipboard, &primary}) {
        if (source && selected->source.get() == source)
            selected->source.reset();
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

OfferSnapshot WaylandSystemClipboard::served(const QMimeData &mime)
{
    // Qt's in-process image has no bytes of its own: the snapshot has it as PNG, and it is offered
    // by that name.
    OfferSnapshot content = OfferSnapshot::of(mime);
    OfferSnapshot offered;
    for (const QString &format : content.formats()) {
        if (format != imageFormat)
            offered.addFrom(content, format);
    }
    if (content.hasFormat(imageFormat) && !offered.hasFormat(pngFormat))
        offered.addFrom(content, imageFormat, pngFormat);
    // What Wayland programs ask for first when they want text; Qt's own Wayland clipboard offers it
    // beside text/plain as well.
    if (offered.hasFormat(plainText) && !offered.hasFormat(utf8Text))
        offered.addFrom(content, plainText, utf8Text);
    return offered;
}
