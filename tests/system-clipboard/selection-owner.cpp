// SPDX-License-Identifier: GPL-2.0-or-later

// Plays another program on the X display that owns a selection, written straight on xcb so that
// it can misbehave as real owners do: answer nothing, list formats and never send them, answer
// slowly, die in the middle of an INCR transfer, send without end. It says "owner 0x<window>" on
// its standard output once it owns the selection, and "asked <target>" for every request.
//
//   selection-owner [options] FORMAT=VALUE ...
//     --selection clipboard|primary|both   what to own (clipboard)
//     --answer all|targets|refuse|none     answer every request, only TARGETS, TARGETS and refuse
//                                          the rest, or nothing (all)
//     --delay MS                           answer each request after MS ms
//     --piece BYTES                        send values larger than this through INCR, in pieces
//                                          of this size (262144)
//     --die-after-pieces N                 exit after the N-th INCR piece
//     --endless                            every INCR transfer goes on for ever
//     --stall TARGET                       never answer requests for TARGET (busy with it for ever)
//     --refuse TARGET                      list TARGET, but refuse it when asked (no property)
//     --repeat                             each line read from standard input takes the
//                                          selections again, with the line as UTF8_STRING;
//                                          "took <n>" follows
//     --targets atoms|refuse|bytes|integers how TARGETS is answered: a list of ATOMs (atoms), no
//                                          property (refuse), the list as 8-bit data or as
//                                          32-bit INTEGERs, as broken owners answer (atoms)
//     --flood N                            TARGETS lists N more atoms after the formats: the
//                                          numbers 1 to N, most of them naming no atom
//   FORMAT is a target name (UTF8_STRING, STRING, text/html, ...). VALUE is text, @FILE,
//   #N (N bytes of a pattern), latin1:TEXT or utf16:TEXT (UTF-16LE with byte order mark).

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

struct Format
{
    QByteArray name;
    xcb_atom_t atom = XCB_NONE;
    QByteArray value;
};

struct Transfer
{
    xcb_window_t requestor = XCB_NONE;
    xcb_atom_t property = XCB_NONE;
    xcb_atom_t type = XCB_NONE;
    quint8 format = 8;
    QByteArray value;
    qsizetype sent = 0;
};

struct Pending
{
    xcb_selection_request_event_t request;
    Clock::time_point due;
};

xcb_connection_t *connection = nullptr;
xcb_window_t window = XCB_NONE;
QList<Format> formats;
QList<xcb_atom_t> selections;
QList<Transfer> transfers;
QList<Pending> pending;
QList<xcb_generic_event_t *> deferred;
QByteArray answer = "all";
QByteArray targetsAnswer = "atoms";
quint32 flood = 0;
int delayMs = 0;
qsizetype pieceSize = 262144;
int dieAfterPieces = -1;
bool endless = false;
QList<xcb_atom_t> stalled;
QList<QByteArray> stalledNames;
QList<xcb_atom_t> refused;
QList<QByteArray> refusedNames;
int piecesSent = 0;
xcb_atom_t targetsAtom, incrAtom, utf8Atom;

xcb_atom_t intern(const QByteArray &name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, false, uint16_t(name.size()), name.constData()), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return atom;
}

QByteArray atomName(xcb_atom_t atom)
{
    xcb_get_atom_name_reply_t *reply =
        xcb_get_atom_name_reply(connection, xcb_get_atom_name(connection, atom), nullptr);
    QByteArray name;
    if (reply)
        name = QByteArray(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply));
    std::free(reply);
    return name;
}

QByteArray valueOf(const QString &text)
{
    if (text.startsWith(QLatin1Char('@'))) {
        QFile file(text.mid(1));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "selection-owner: cannot read %s\n", qPrintable(file.fileName()));
            std::exit(2);
        }
        return file.readAll();
    }
    if (text.startsWith(QLatin1Char('#'))) {
        QByteArray bytes(text.mid(1).toLongLong(), Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char('a' + (i * 7 + i / 4093) % 26);
        return bytes;
    }
    if (text.startsWith(QLatin1String("latin1:")))
        return text.mid(7).toLatin1();
    if (text.startsWith(QLatin1String("utf16:"))) {
        const QString value = text.mid(6);
        QByteArray bytes("\xff\xfe");
        bytes.append(reinterpret_cast<const char *>(value.utf16()), value.size() * 2);
        return bytes;
    }
    return text.toUtf8();
}

void say(const char *format, unsigned long value)
{
    std::printf(format, value);
    std::fflush(stdout);
}

// The server's time of now: a zero-length change of one of our properties comes back with it.
xcb_timestamp_t serverTime()
{
    const xcb_atom_t clock = intern("SELECTION_OWNER_CLOCK");
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, window, clock, XCB_ATOM_INTEGER, 32, 0, nullptr);
    xcb_flush(connection);
    for (;;) {
        xcb_generic_event_t *event = xcb_wait_for_event(connection);
        if (!event)
            std::exit(1);
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            const auto *notify = reinterpret_cast<xcb_property_notify_event_t *>(event);
            if (notify->window == window && notify->atom == clock) {
                const xcb_timestamp_t time = notify->time;
                std::free(event);
                return time;
            }
        }
        deferred.append(event); // handled once we have the time
    }
}

void takeSelections()
{
    const xcb_timestamp_t time = serverTime();
    for (xcb_atom_t selection : selections)
        xcb_set_selection_owner(connection, window, selection, time);
    // Confirmed by a round trip, as owners should: "owner 0x..." must not be said before the
    // server has handled the request, or a test asking on its own connection may see the old owner.
    for (xcb_atom_t selection : selections) {
        xcb_get_selection_owner_reply_t *reply = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, selection), nullptr);
        if (!reply || reply->owner != window)
            std::fprintf(stderr, "selection-owner: the server did not give the selection\n");
        std::free(reply);
    }
}

void notify(const xcb_selection_request_event_t &request, xcb_atom_t property)
{
    xcb_selection_notify_event_t event = {};
    event.response_type = XCB_SELECTION_NOTIFY;
    event.time = request.time;
    event.requestor = request.requestor;
    event.selection = request.selection;
    event.target = request.target;
    event.property = property;
    xcb_send_event(connection, false, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&event));
}

void sendPiece(Transfer &transfer)
{
    if (dieAfterPieces >= 0 && piecesSent >= dieAfterPieces)
        std::_Exit(0); // as a crash would: no goodbye to the server
    qsizetype size = qMin(pieceSize, transfer.value.size() - transfer.sent);
    const char *data = transfer.value.constData() + transfer.sent;
    QByteArray endlessPiece;
    if (endless) {
        endlessPiece = QByteArray(pieceSize, 'e');
        size = pieceSize;
        data = endlessPiece.constData();
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, transfer.requestor, transfer.property,
                        transfer.type, transfer.format, uint32_t(size / (transfer.format / 8)), data);
    if (!endless)
        transfer.sent += size;
    ++piecesSent;
}

// Writes a value into the requestor's property, through INCR when it is larger than a piece.
void sendValue(const xcb_selection_request_event_t &request, xcb_atom_t property, xcb_atom_t type,
               quint8 format, const QByteArray &value)
{
    if (value.size() <= pieceSize && !endless) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, property, type, format,
                            uint32_t(value.size() / (format / 8)), value.constData());
        return;
    }
    // The requestor's deletions of each piece drive the transfer.
    const uint32_t eventMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, request.requestor, XCB_CW_EVENT_MASK, &eventMask);
    const uint32_t size = uint32_t(value.size());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, property, incrAtom, 32, 1,
                        &size);
    transfers.append({request.requestor, property, type, format, value, 0});
}

void answerTargets(const xcb_selection_request_event_t &request, xcb_atom_t property)
{
    if (targetsAnswer == "refuse") {
        notify(request, XCB_NONE);
        return;
    }
    QList<xcb_atom_t> atoms{targetsAtom};
    for (const Format &format : std::as_const(formats))
        atoms.append(format.atom);
    for (quint32 atom = 1; atom <= flood; ++atom)
        atoms.append(atom);
    const QByteArray list(reinterpret_cast<const char *>(atoms.constData()),
                          atoms.size() * qsizetype(sizeof(xcb_atom_t)));
    if (targetsAnswer == "bytes")
        sendValue(request, property, XCB_ATOM_ATOM, 8, list);
    else if (targetsAnswer == "integers")
        sendValue(request, property, XCB_ATOM_INTEGER, 32, list);
    else
        sendValue(request, property, XCB_ATOM_ATOM, 32, list);
    notify(request, property);
}

void answerRequest(const xcb_selection_request_event_t &request)
{
    const xcb_atom_t property = request.property == XCB_NONE ? request.target : request.property;
    if (request.target == targetsAtom) {
        answerTargets(request, property);
        return;
    }
    if (answer == "targets")
        return; // listed, never sent
    if (answer == "refuse" || refused.contains(request.target)) {
        notify(request, XCB_NONE);
        return;
    }
    for (const Format &format : std::as_const(formats)) {
        if (format.atom != request.target)
            continue;
        sendValue(request, property, format.atom, 8, format.value);
        notify(request, property);
        return;
    }
    notify(request, XCB_NONE);
}

void handle(xcb_generic_event_t *event)
{
    switch (event->response_type & 0x7f) {
    case XCB_SELECTION_REQUEST: {
        const auto &request = *reinterpret_cast<xcb_selection_request_event_t *>(event);
        std::printf("asked %s\n", atomName(request.target).constData());
        std::fflush(stdout);
        if (answer != "none" && !stalled.contains(request.target))
            pending.append({request, Clock::now() + std::chrono::milliseconds(delayMs)});
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto &change = *reinterpret_cast<xcb_property_notify_event_t *>(event);
        if (change.state != XCB_PROPERTY_DELETE)
            break;
        for (qsizetype i = 0; i < transfers.size(); ++i) {
            Transfer &transfer = transfers[i];
            if (transfer.requestor != change.window || transfer.property != change.atom)
                continue;
            if (!endless && transfer.sent >= transfer.value.size()) {
                // The requestor has the last piece: the empty one ends the transfer.
                xcb_change_property(connection, XCB_PROP_MODE_REPLACE, transfer.requestor, transfer.property,
                                    transfer.type, transfer.format, 0, nullptr);
                transfers.removeAt(i);
            } else {
                sendPiece(transfer);
            }
            break;
        }
        break;
    }
    default:
        break;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QList<QByteArray> selectionNames{"CLIPBOARD"};
    bool repeat = false;
    QList<QString> values;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument = argv[i];
        const auto next = [&] { return i + 1 < argc ? QByteArray(argv[++i]) : QByteArray(); };
        if (argument == "--selection") {
            const QByteArray which = next();
            selectionNames = which == "both"      ? QList<QByteArray>{"CLIPBOARD", "PRIMARY"}
                             : which == "primary" ? QList<QByteArray>{"PRIMARY"}
                                                  : QList<QByteArray>{"CLIPBOARD"};
        } else if (argument == "--answer") {
            answer = next();
        } else if (argument == "--delay") {
            delayMs = next().toInt();
        } else if (argument == "--piece") {
            pieceSize = next().toLongLong();
        } else if (argument == "--die-after-pieces") {
            dieAfterPieces = next().toInt();
        } else if (argument == "--stall") {
            stalledNames.append(next());
        } else if (argument == "--refuse") {
            refusedNames.append(next());
        } else if (argument == "--endless") {
            endless = true;
        } else if (argument == "--targets") {
            targetsAnswer = next();
        } else if (argument == "--flood") {
            flood = next().toUInt();
        } else if (argument == "--repeat") {
            repeat = true;
        } else {
            const qsizetype equals = argument.indexOf('=');
            if (equals <= 0) {
                std::fprintf(stderr, "selection-owner: FORMAT=VALUE expected, not %s\n",
                             argument.constData());
                return 2;
            }
            formats.append(
                {argument.left(equals), XCB_NONE, valueOf(QString::fromUtf8(argument.mid(equals + 1)))});
        }
    }

    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "selection-owner: no X display\n");
        return 1;
    }
    targetsAtom = intern("TARGETS");
    incrAtom = intern("INCR");
    utf8Atom = intern("UTF8_STRING");
    for (Format &format : formats)
        format.atom = intern(format.name);
    for (const QByteArray &name : std::as_const(selectionNames))
        selections.append(intern(name));
    for (const QByteArray &name : std::as_const(stalledNames))
        stalled.append(intern(name));
    for (const QByteArray &name : std::as_const(refusedNames))
        refused.append(intern(name));

    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    window = xcb_generate_id(connection);
    const uint32_t eventMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &eventMask);
    takeSelections();
    say("owner 0x%lx\n", window);

    unsigned long taken = 0;
    QByteArray input;
    const int xfd = xcb_get_file_descriptor(connection);
    for (;;) {
        for (xcb_generic_event_t *event : std::exchange(deferred, {})) {
            handle(event);
            std::free(event);
        }
        // Flushing may read events into xcb's queue, where poll() does not see them: the queue is
        // drained after every flush, and what handling or answering wrote is flushed again.
        xcb_flush(connection);
        bool handled = false;
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            handle(event);
            std::free(event);
            handled = true;
        }
        if (xcb_connection_has_error(connection))
            return 0;
        const Clock::time_point now = Clock::now();
        bool answered = false;
        for (qsizetype i = 0; i < pending.size();) {
            if (pending.at(i).due <= now) {
                answerRequest(pending.at(i).request);
                pending.removeAt(i);
                answered = true;
            } else {
                ++i;
            }
        }
        if (handled || answered || !deferred.isEmpty())
            continue;

        int wait = -1;
        for (const Pending &request : std::as_const(pending)) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(request.due - now).count();
            wait = wait < 0 ? int(qMax<qint64>(left, 0)) : qMin(wait, int(qMax<qint64>(left, 0)));
        }
        pollfd watched[2] = {{xfd, POLLIN, 0}, {repeat ? 0 : -1, POLLIN, 0}};
        if (::poll(watched, 2, wait) < 0)
            continue;
        if (watched[1].revents & (POLLIN | POLLHUP)) {
            char buffer[4096];
            const ssize_t count = ::read(0, buffer, sizeof buffer);
            if (count <= 0) {
                repeat = false;
                continue;
            }
            input.append(buffer, count);
            for (qsizetype end = input.indexOf('\n'); end >= 0; end = input.indexOf('\n')) {
                formats = {{"UTF8_STRING", utf8Atom, input.left(end)}};
                input.remove(0, end + 1);
                takeSelections();
                say("took %lu\n", ++taken);
            }
        }
    }
}
