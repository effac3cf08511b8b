// SPDX-License-Identifier: GPL-2.0-or-later

#include "x11selectionwatcher.h"

#include "ksystemclipboard.h"
#include "x11atoms.h"
#include "x11offerreader.h"
#include "x11selectionowner.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdlib>

namespace {

struct FreeDeleter
{
    void operator()(void *pointer) const { std::free(pointer); }
};

template<typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

QString describe(QClipboard::Mode mode, xcb_window_t owner)
{
    return QStringLiteral("The owner of the %1 (window 0x%2)")
        .arg(mode == QClipboard::Clipboard ? QStringLiteral("clipboard")
                                           : QStringLiteral("primary selection"))
        .arg(owner, 0, 16);
}

} // namespace

X11SelectionWatcher::X11SelectionWatcher(Shared &shared, int readTimeout, int writeTimeout,
                                         const QStringList &imageFormats, QObject *parent)
    : QObject(parent)
    , shared(shared)
    , readTimeout(readTimeout)
    , writeTimeout(writeTimeout)
    , imageFormats(imageFormats)
{
    int screenNumber = 0;
    xcb_connection_t *opened = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(opened)) {
        qWarning(
            "Could not open a connection of its own to the X server: the clipboard is read the slow way");
        xcb_disconnect(opened);
        return;
    }
    const xcb_query_extension_reply_t *xfixes = xcb_get_extension_data(opened, &xcb_xfixes_id);
    const Reply<xcb_xfixes_query_version_reply_t> version(
        xfixes && xfixes->present
            ? xcb_xfixes_query_version_reply(opened, xcb_xfixes_query_version(opened, 5, 0), nullptr)
            : nullptr);
    if (!version) {
        qWarning("The X server has no XFixes extension: the clipboard is read the slow way");
        xcb_disconnect(opened);
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(opened));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    root = screens.data->root;
    xfixesFirstEvent = xfixes->first_event;
    connection = opened;
    atoms = std::make_unique<X11Atoms>(connection);
    selections = {atoms->clipboard, atoms->primary};
    ownerWindow = xcb_generate_id(connection);
}

X11SelectionWatcher::~X11SelectionWatcher()
{
    if (!connection)
        return;
    for (int index : {0, 1})
        abandon(index);
    // The readers made by deleteLater, and the notifier, must go before the connection.
    qDeleteAll(findChildren<QObject *>(Qt::FindDirectChildrenOnly));
    xcb_disconnect(connection);
}

int X11SelectionWatcher::indexOf(QClipboard::Mode mode)
{
    switch (mode) {
    case QClipboard::Clipboard:
        return 0;
    case QClipboard::Selection:
        return 1;
    case QClipboard::FindBuffer:
        break;
    }
    return -1;
}

QClipboard::Mode X11SelectionWatcher::modeOf(int index) const
{
    return index == 0 ? QClipboard::Clipboard : QClipboard::Selection;
}

void X11SelectionWatcher::start()
{
    if (!connection) {
        shared.startUpRead.release();
        return;
    }
    clockWindow = xcb_generate_id(connection);
    const uint32_t eventMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, clockWindow, root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &eventMask);
    const uint32_t notifications = XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                   XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                   XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE;
    for (xcb_atom_t selection : selections)
        xcb_xfixes_select_selection_input(connection, clockWindow, selection, notifications);
    server = new X11SelectionOwner(connection, *atoms, root, ownerWindow, selections, writeTimeout, this);
    connect(server, &X11SelectionOwner::requestsMade, this, &X11SelectionWatcher::dispatch);
    // The owners of the moment are asked for once the server's time is known (clockTicked): the
    // content is asked for with that time, and any change after it arrives as a notification.
    for (int index : {0, 1}) {
        ownerQueryPending[index] = watched[index];
        if (!watched[index])
            startUpDone(index);
    }
    askForTime();

    notifier = new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &X11SelectionWatcher::dispatch);
    xcb_flush(connection);
    dispatch();
}

void X11SelectionWatcher::setWatched(int index, bool watch, bool readOwnerNow)
{
    if (!connection || watched[index] == watch)
        return;
    watched[index] = watch;
    ownerQueryPending[index] = watch && readOwnerNow;
    if (ownerQueryPending[index]) {
        askForTime();
    } else {
        abandon(index);
        startUpDone(index);
    }
    // Called from the event loop: what was sent must go out, and what came meanwhile be handled.
    dispatch();
}

void X11SelectionWatcher::takeSelection(int index, quint32 time)
{
    if (!connection)
        return;
    // xcb takes requests from any thread.
    xcb_set_selection_owner(connection, ownerWindow, selections[index], time);
    xcb_flush(connection);
}

void X11SelectionWatcher::own(int index, const std::shared_ptr<const OfferSnapshot> &content, quint32 time)
{
    if (!server || connectionLost)
        return;
    server->own(index, content, time);
    dispatch();
}

void X11SelectionWatcher::release(int index)
{
    if (!server || connectionLost)
        return;
    server->release(index);
    dispatch();
}

void X11SelectionWatcher::handOver(QSemaphore *done)
{
    if (!server || connectionLost) {
        done->release();
        return;
    }
    server->handOver(done);
    dispatch();
}

void X11SelectionWatcher::askForTime()
{
    // A zero-length change of our own property: its notification carries the server's time.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, clockWindow, atoms->clock, XCB_ATOM_INTEGER, 32, 0,
                        nullptr);
}

void X11SelectionWatcher::dispatch()
{
    // Replies are waited for in place, and xcb queues the events that arrive meanwhile (flushing
    // reads too) without the socket showing them again: nothing may stay queued on return.
    if (dispatching || !connection)
        return;
    dispatching = true;
    for (bool handled = true; handled;) {
        xcb_flush(connection);
        handled = false;
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            handle(event);
            std::free(event);
            handled = true;
        }
    }
    dispatching = false;
    if (xcb_connection_has_error(connection) && !connectionLost) {
        connectionLost = true;
        notifier->setEnabled(false);
        qWarning("Lost the connection to the X server: clipboard changes are no longer seen");
        for (int index : {0, 1}) {
            abandon(index);
            startUpDone(index);
        }
    }
}

void X11SelectionWatcher::handle(const xcb_generic_event_t *event)
{
    const uint8_t type = event->response_type & 0x7f;
    if (type == xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        ownerChanged(*reinterpret_cast<const xcb_xfixes_selection_notify_event_t *>(event));
    } else if (type == XCB_SELECTION_NOTIFY) {
        const auto &notify = *reinterpret_cast<const xcb_selection_notify_event_t *>(event);
        if (X11OfferReader *reader = readerFor(notify.requestor))
            reader->selectionNotified(notify);
        else if (server)
            server->selectionNotified(notify);
    } else if (type == XCB_PROPERTY_NOTIFY) {
        const auto &notify = *reinterpret_cast<const xcb_property_notify_event_t *>(event);
        if (notify.window == clockWindow && notify.atom == atoms->clock)
            clockTicked(notify.time);
        else if (X11OfferReader *reader = readerFor(notify.window))
            reader->propertyChanged(notify);
        else if (server)
            server->propertyChanged(notify);
    } else if (server) {
        handleForOwner(event, type);
    }
}

void X11SelectionWatcher::handleForOwner(const xcb_generic_event_t *event, uint8_t type)
{
    switch (type) {
    case 0:
        // An error of a request without reply: a window gone already, of an owner we read or of a
        // program we serve.
        server->requestFailed(*reinterpret_cast<const xcb_generic_error_t *>(event));
        break;
    case XCB_SELECTION_REQUEST:
        // The ownership is asked for before the content is handed over (takeSelection()).
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        server->selectionRequested(*reinterpret_cast<const xcb_selection_request_event_t *>(event));
        break;
    case XCB_SELECTION_CLEAR:
        server->selectionCleared(*reinterpret_cast<const xcb_selection_clear_event_t *>(event));
        break;
    case XCB_DESTROY_NOTIFY:
        server->windowDestroyed(reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window);
        break;
    default:
        break;
    }
}

void X11SelectionWatcher::ownerChanged(const xcb_xfixes_selection_notify_event_t &event)
{
    const int index = event.selection == selections[0] ? 0 : event.selection == selections[1] ? 1 : -1;
    if (index < 0)
        return;
    const quint32 change = ++shared.ownerChanges[index];
    // A newer offer wins: what was being read is dropped unreported, and so is the owner of the
    // moment that was to be asked for.
    abandon(index);
    ownerQueryPending[index] = false;
    // Our window owns nothing but what we wrote; a selection let go at the time of our last write
    // was let go by us.
    const bool ourTime = event.selection_timestamp == shared.ownWriteTime[index].load();
    const bool ourWrite = event.owner == XCB_NONE
                              ? ourTime && event.subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER
                              : isOurs(event.owner);
    if (ourWrite) {
        startUpDone(index);
        return;
    }
    if (event.owner != XCB_NONE && watched[index]) {
        read(index, event.owner, event.selection_timestamp);
        return;
    }
    const quint32 time = event.owner == XCB_NONE ? event.timestamp : event.selection_timestamp;
    if (watched[index])
        Q_EMIT ownerGone(modeOf(index), change, time);
    else
        Q_EMIT offerNotRead(modeOf(index), change, time);
    startUpDone(index);
}

void X11SelectionWatcher::clockTicked(xcb_timestamp_t now)
{
    for (int index : {0, 1}) {
        if (!ownerQueryPending[index])
            continue; // a notification came first and is being handled
        ownerQueryPending[index] = false;
        const Reply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, selections[index]), nullptr));
        const xcb_window_t owner = reply ? reply->owner : XCB_NONE;
        if (owner == XCB_NONE || isOurs(owner))
            startUpDone(index);
        else
            read(index, owner, now);
    }
}

void X11SelectionWatcher::read(int index, xcb_window_t owner, xcb_timestamp_t time)
{
    auto *reader = new X11OfferReader(connection, *atoms, root, selections[index], time, readTimeout,
                                      imageFormats, this);
    reads[index] = Read{reader, owner, time};
    connect(reader, &X11OfferReader::finished, this, [this, index, reader] { readFinished(index, reader); });
    reader->start();
}

void X11SelectionWatcher::readFinished(int index, X11OfferReader *reader)
{
    const Read read = reads[index];
    if (read.reader != reader)
        return;
    reads[index] = Read();
    // finished() comes from inside the reader.
    reader->deleteLater();
    const QClipboard::Mode mode = modeOf(index);
    switch (reader->outcome()) {
    case X11OfferReader::Outcome::Read:
        if (reader->formatsCutShort())
            Q_EMIT readProblem(mode,
                               QStringLiteral("%1 lists more than %2 formats: only the first %2 are taken")
                                   .arg(describe(mode, read.owner))
                                   .arg(KSystemClipboard::maximumOfferFormats));
        if (!reader->skippedFormats().isEmpty())
            Q_EMIT readProblem(mode,
                               QStringLiteral("%1 made no progress for %2 ms on %3: the picture is taken "
                                              "without it")
                                   .arg(describe(mode, read.owner))
                                   .arg(readTimeout)
                                   .arg(reader->skippedFormats().join(QLatin1String(", "))));
        Q_EMIT offerRead(mode, read.time, reader->entries(), reader->decodedTexts());
        break;
    case X11OfferReader::Outcome::TimedOut:
        Q_EMIT readProblem(mode, QStringLiteral("%1 made no progress for %2 ms: its offer is not taken")
                                     .arg(describe(mode, read.owner))
                                     .arg(readTimeout));
        break;
    case X11OfferReader::Outcome::TooLarge:
        Q_EMIT readProblem(mode, QStringLiteral("%1 offers more than %2 MiB: its offer is not taken")
                                     .arg(describe(mode, read.owner))
                                     .arg(KSystemClipboard::maximumOfferSize / (1024 * 1024)));
        break;
    case X11OfferReader::Outcome::Failed:
        Q_EMIT readProblem(mode, QStringLiteral("%1 %2: its offer is not taken")
                                     .arg(describe(mode, read.owner), reader->failure()));
        break;
    case X11OfferReader::Outcome::Reading:
        break;
    }
    startUpDone(index);
    // A time-out comes from a timer, outside dispatch(): the requests it made must go out, and
    // events queued meanwhile must not wait for the next one on the socket.
    dispatch();
}

void X11SelectionWatcher::abandon(int index)
{
    Read &read = reads[index];
    if (!read.reader)
        return;
    // Not inside the reader: abandon() runs only for other events.
    delete read.reader;
    read = Read();
}

X11OfferReader *X11SelectionWatcher::readerFor(xcb_window_t requestor) const
{
    for (const Read &read : reads) {
        if (read.reader && read.reader->requestor() == requestor)
            return read.reader;
    }
    return nullptr;
}

void X11SelectionWatcher::startUpDone(int index)
{
    if (!startingUp[index])
        return;
    startingUp[index] = false;
    if (!startingUp[0] && !startingUp[1])
        shared.startUpRead.release();
}

bool X11SelectionWatcher::isOurs(xcb_window_t window) const
{
    return window == ownerWindow;
}
