// SPDX-License-Identifier: GPL-2.0-or-later

#include "x11selectionowner.h"

#include "offersnapshot.h"
#include "x11atoms.h"

#include <QSemaphore>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

struct FreeDeleter
{
    void operator()(void *pointer) const { std::free(pointer); }
};

template<typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

const QString plainText = QStringLiteral("text/plain");
const QString uriList = QStringLiteral("text/uri-list");

QString selectionName(int index)
{
    return index == 0 ? QStringLiteral("clipboard") : QStringLiteral("primary selection");
}

// Server times wrap around after 49 days.
bool isBefore(xcb_timestamp_t time, xcb_timestamp_t other)
{
    return qint32(time - other) < 0;
}

} // namespace

X11SelectionOwner::X11SelectionOwner(xcb_connection_t *connection, X11Atoms &atoms, xcb_window_t root,
                                     xcb_window_t window, const std::array<xcb_atom_t, 2> &selections,
                                     int writeTimeout, QObject *parent)
    : QObject(parent)
    , connection(connection)
    , atoms(atoms)
    , selections(selections)
    , writeTimeout(writeTimeout)
    , ownerWindow(window)
{
    // Without BIG-REQUESTS a request holds 256 KiB at most, the property change's own fields too.
    const qsizetype largestRequest = qsizetype(xcb_get_maximum_request_length(connection)) * 4;
    maximumPiece = std::min(pieceSize, largestRequest - 1024);
    // Selection requests and clearings reach the owner whatever its event mask.
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, ownerWindow, root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    stallTimer.setInterval(1000);
    connect(&stallTimer, &QTimer::timeout, this, &X11SelectionOwner::giveUpStalled);
    handOverTimer.setSingleShot(true);
    connect(&handOverTimer, &QTimer::timeout, this, [this] {
        qWarning("The clipboard manager did not take the clipboard over within %lld ms: the "
                 "clipboard may be empty once morv-clip has ended",
                 qint64(handOverWait.count()));
        handOverEnded();
    });
}

X11SelectionOwner::~X11SelectionOwner()
{
    handOverEnded();
    // The selections go with the window. A transfer under way never gets its piece of length
    // zero: the program pasting gives it up as unfinished.
    xcb_destroy_window(connection, ownerWindow);
    xcb_flush(connection);
}

int X11SelectionOwner::indexOf(xcb_atom_t selection) const
{
    return selection == selections[0] ? 0 : selection == selections[1] ? 1 : -1;
}

void X11SelectionOwner::own(int index, const std::shared_ptr<const OfferSnapshot> &content,
                            xcb_timestamp_t time)
{
    Owned &selection = owned[index];
    selection = Owned{content, time, {}, {}};
    listTargets(selection);
    const Reply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selections[index]), nullptr));
    const xcb_window_t owner = reply ? reply->owner : XCB_NONE;
    if (owner == ownerWindow)
        return;
    selection = Owned();
    // A write into an emptied selection is dated with the time it was emptied: a program that took
    // the selection since keeps it.
    qWarning("Our entry was not put on the %s: window 0x%x took it first (our time: %u)",
             qPrintable(selectionName(index)), owner, time);
}

void X11SelectionOwner::release(int index)
{
    Owned &selection = owned[index];
    if (!selection.content)
        return;
    // Dated with our own ownership: the server ignores it once another program has taken the
    // selection since, so that we never take theirs away.
    xcb_set_selection_owner(connection, XCB_NONE, selections[index], selection.time);
    selection = Owned();
}

void X11SelectionOwner::listTargets(Owned &selection)
{
    const QStringList formats = selection.content->formats();
    const QList<xcb_atom_t> formatAtoms = atoms.atomsOf(formats);
    const auto add = [&selection](xcb_atom_t atom, const QString &format, Conversion conversion) {
        if (atom == XCB_NONE || selection.conversions.contains(atom))
            return;
        selection.targets.append(atom);
        selection.conversions.insert(atom, Target{format, conversion});
    };
    for (qsizetype i = 0; i < formats.size(); ++i) {
        const QString &format = formats.at(i);
        add(formatAtoms.at(i), format, Conversion::Bytes);
        if (format == plainText) {
            add(atoms.utf8String, format, Conversion::Bytes);
            add(XCB_ATOM_STRING, format, Conversion::Latin1);
            add(atoms.text, format, Conversion::Latin1);
        } else if (format == uriList) {
            // Qt's way: Mozilla's format holds the first link, and the list is plain text too.
            add(atoms.mozUrl, format, Conversion::MozUrl);
            if (!formats.contains(plainText))
                add(atoms.textPlain, format, Conversion::Bytes);
        }
    }
    selection.targets << atoms.targets << atoms.multiple << atoms.timestamp << atoms.saveTargets;
}

void X11SelectionOwner::selectionRequested(const xcb_selection_request_event_t &request)
{
    const int index = indexOf(request.selection);
    // Clients older than ICCCM 2 name no property: the target is then the property.
    const xcb_atom_t property = request.property == XCB_NONE ? request.target : request.property;
    bool converted = false;
    if (index >= 0 && request.owner == ownerWindow && owned[index].content &&
        (request.time == XCB_CURRENT_TIME || !isBefore(request.time, owned[index].time))) {
        const Owned &selection = owned[index];
        if (request.target == atoms.multiple)
            converted =
                request.property != XCB_NONE && convertMultiple(selection, request.requestor, property);
        else
            converted = convert(selection, request.requestor, request.target, property);
    }
    xcb_selection_notify_event_t notify;
    std::memset(&notify, 0, sizeof(notify));
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = converted ? property : XCB_NONE;
    xcb_send_event(connection, false, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&notify));
}

bool X11SelectionOwner::convert(const Owned &selection, xcb_window_t requestor, xcb_atom_t target,
                                xcb_atom_t property)
{
    if (target == atoms.targets) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_ATOM, 32,
                            uint32_t(selection.targets.size()), selection.targets.constData());
        return true;
    }
    if (target == atoms.timestamp) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_INTEGER, 32, 1,
                            &selection.time);
        return true;
    }
    const auto found = selection.conversions.constFind(target);
    if (found == selection.conversions.cend())
        return false;
    // May wait a moment for bytes being read ahead; null when they are not there yet.
    QByteArray bytes = selection.content->bytes(found->format);
    if (bytes.isNull())
        return false;
    xcb_atom_t type = target;
    switch (found->conversion) {
    case Conversion::Bytes:
        break;
    case Conversion::Latin1:
        // ICCCM's STRING, which TEXT is given as too.
        bytes = QString::fromUtf8(bytes).toLatin1();
        type = XCB_ATOM_STRING;
        break;
    case Conversion::MozUrl: {
        const qsizetype end = bytes.indexOf('\n');
        const QString first = QString::fromLatin1(end < 0 ? bytes : bytes.left(end)) + u'\n';
        bytes = QByteArray(reinterpret_cast<const char *>(first.utf16()), first.size() * 2);
        break;
    }
    }
    send(requestor, property, type, bytes);
    return true;
}

bool X11SelectionOwner::convertMultiple(const Owned &selection, xcb_window_t requestor, xcb_atom_t property)
{
    // A list of pairs (target, property); a pair whose conversion failed gets None as its property.
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, false, requestor, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
        nullptr));
    if (!reply || reply->format != 32 || reply->type == XCB_NONE)
        return false;
    const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    QList<xcb_atom_t> pairs(values, values + xcb_get_property_value_length(reply.get()) / 4);
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
        if (pairs.at(i + 1) == XCB_NONE || pairs.at(i) == atoms.multiple ||
            !convert(selection, requestor, pairs.at(i), pairs.at(i + 1)))
            pairs[i + 1] = XCB_NONE;
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, requestor, property, reply->type, 32,
                        uint32_t(pairs.size()), pairs.constData());
    return true;
}

void X11SelectionOwner::send(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type,
                             const QByteArray &bytes)
{
    // A new request for the same property replaces a transfer the program has given up.
    for (qsizetype i = transfers.size() - 1; i >= 0; --i) {
        if (transfers.at(i).requestor == requestor && transfers.at(i).property == property)
            endTransfer(i);
    }
    if (bytes.size() <= maximumPiece) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, requestor, property, type, 8,
                            uint32_t(bytes.size()), bytes.constData());
        return;
    }
    // Property changes tell when a piece has been read; the window's end, that nobody reads.
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, requestor, XCB_CW_EVENT_MASK, &mask);
    // The size announced is a lower bound, which a transfer of more than 4 GiB cannot give.
    const auto announced = uint32_t(std::min<qsizetype>(bytes.size(), UINT32_MAX));
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, requestor, property, atoms.incr, 32, 1,
                        &announced);
    transfers.append(Transfer{requestor, property, type, bytes, 0, QDeadlineTimer(writeTimeout)});
    if (!stallTimer.isActive())
        stallTimer.start();
}

void X11SelectionOwner::propertyChanged(const xcb_property_notify_event_t &event)
{
    if (event.state != XCB_PROPERTY_DELETE)
        return;
    for (qsizetype i = 0; i < transfers.size(); ++i) {
        Transfer &transfer = transfers[i];
        if (transfer.requestor != event.window || transfer.property != event.atom)
            continue;
        if (!sendPiece(transfer))
            endTransfer(i);
        return;
    }
}

bool X11SelectionOwner::sendPiece(Transfer &transfer)
{
    const qsizetype length = std::min(maximumPiece, transfer.bytes.size() - transfer.sent);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, transfer.requestor, transfer.property,
                        transfer.type, 8, uint32_t(length), transfer.bytes.constData() + transfer.sent);
    transfer.sent += length;
    transfer.deadline.setRemainingTime(writeTimeout);
    // A piece of length zero ends the transfer.
    return length > 0;
}

void X11SelectionOwner::endTransfer(qsizetype at)
{
    const xcb_window_t requestor = transfers.takeAt(at).requestor;
    const bool stillServed =
        std::any_of(transfers.cbegin(), transfers.cend(),
                    [requestor](const Transfer &other) { return other.requestor == requestor; });
    if (!stillServed) {
        // No more events of that window: BadWindow if it has gone meanwhile, which nothing heeds.
        const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
        xcb_change_window_attributes(connection, requestor, XCB_CW_EVENT_MASK, &none);
    }
    if (transfers.isEmpty())
        stallTimer.stop();
}

void X11SelectionOwner::drop(xcb_window_t requestor)
{
    for (qsizetype i = transfers.size() - 1; i >= 0; --i) {
        if (transfers.at(i).requestor == requestor)
            transfers.removeAt(i);
    }
    if (transfers.isEmpty())
        stallTimer.stop();
}

void X11SelectionOwner::windowDestroyed(xcb_window_t window)
{
    drop(window);
}

void X11SelectionOwner::requestFailed(const xcb_generic_error_t &error)
{
    // A program that ended while we served it: its window is gone, and with it the transfer.
    if (error.error_code == XCB_WINDOW)
        drop(error.resource_id);
}

void X11SelectionOwner::giveUpStalled()
{
    for (qsizetype i = transfers.size() - 1; i >= 0; --i) {
        if (!transfers.at(i).deadline.hasExpired())
            continue;
        qWarning("The program pasting into window 0x%x read nothing for %d ms: its paste is given up",
                 transfers.at(i).requestor, writeTimeout);
        endTransfer(i);
    }
    Q_EMIT requestsMade();
}

void X11SelectionOwner::selectionCleared(const xcb_selection_clear_event_t &event)
{
    const int index = indexOf(event.selection);
    // A clearing older than our latest ownership is about an earlier one.
    if (index < 0 || event.owner != ownerWindow || !owned[index].content ||
        isBefore(event.time, owned[index].time))
        return;
    // Transfers under way go on: they hold their bytes.
    owned[index] = Owned();
}

void X11SelectionOwner::handOver(QSemaphore *done)
{
    handOverEnded();
    handOverDone = done;
    const Reply<xcb_get_selection_owner_reply_t> manager(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atoms.clipboardManager), nullptr));
    if (!owned[0].content || !manager || manager->owner == XCB_NONE) {
        handOverEnded();
        return;
    }
    // No list of targets in the property: the manager takes them all.
    xcb_delete_property(connection, ownerWindow, atoms.handOver);
    xcb_convert_selection(connection, ownerWindow, atoms.clipboardManager, atoms.saveTargets, atoms.handOver,
                          owned[0].time);
    handOverTimer.start(handOverWait);
}

void X11SelectionOwner::selectionNotified(const xcb_selection_notify_event_t &event)
{
    if (event.requestor == ownerWindow && event.selection == atoms.clipboardManager && handOverDone)
        handOverEnded();
}

void X11SelectionOwner::handOverEnded()
{
    handOverTimer.stop();
    if (QSemaphore *done = std::exchange(handOverDone, nullptr))
        done->release();
}
