// SPDX-License-Identifier: GPL-2.0-or-later

// Plays a desktop's clipboard manager, written straight on xcb: it owns CLIPBOARD_MANAGER, and when
// a program asks it to save the clipboard (a conversion of CLIPBOARD_MANAGER to SAVE_TARGETS), it
// reads every target of the clipboard, INCR transfers included, takes the clipboard over and serves
// what it saved, and then answers the program. It says "owner 0x<window>" on its standard output
// once it owns CLIPBOARD_MANAGER, "saved <target> <size> <sha256>" for each target it read and
// "took the clipboard" at the end of a save.
//
//   clipboard-manager [--silent]
//     --silent   never answers a request to save (a hung manager)

#include <QByteArray>
#include <QCryptographicHash>
#include <QHash>
#include <QList>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

xcb_connection_t *connection = nullptr;
xcb_window_t window = XCB_NONE;
QHash<QByteArray, xcb_atom_t> atoms;
QList<xcb_atom_t> savedTargets;
QHash<xcb_atom_t, QByteArray> saved;
QHash<xcb_atom_t, xcb_atom_t> savedTypes;

xcb_atom_t atom(const QByteArray &name)
{
    const auto known = atoms.constFind(name);
    if (known != atoms.cend())
        return *known;
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, false, uint16_t(name.size()), name.constData()), nullptr);
    const xcb_atom_t value = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    atoms.insert(name, value);
    return value;
}

QByteArray atomName(xcb_atom_t value)
{
    xcb_get_atom_name_reply_t *reply =
        xcb_get_atom_name_reply(connection, xcb_get_atom_name(connection, value), nullptr);
    const QByteArray name =
        reply ? QByteArray(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply))
              : QByteArray();
    std::free(reply);
    return name;
}

// The next event of the given type for our window; others that come meanwhile are dropped.
xcb_generic_event_t *waitFor(uint8_t type, int timeoutMs = 5000)
{
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < end) {
        xcb_flush(connection);
        xcb_generic_event_t *event = xcb_poll_for_event(connection);
        if (!event) {
            usleep(1000);
            continue;
        }
        if ((event->response_type & 0x7f) == type)
            return event;
        std::free(event);
    }
    return nullptr;
}

// Reads the whole property, deleting it.
bool readProperty(xcb_atom_t property, xcb_atom_t *type, QByteArray *bytes)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, true, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 26), nullptr);
    if (!reply)
        return false;
    *type = reply->type;
    *bytes = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                        xcb_get_property_value_length(reply));
    std::free(reply);
    return *type != XCB_NONE;
}

// One target of the clipboard, INCR transfers followed; false when refused or not answered.
bool fetch(xcb_atom_t target, xcb_timestamp_t time, xcb_atom_t *type, QByteArray *bytes)
{
    const xcb_atom_t property = atom("MORV_TEST_MANAGER_SAVE");
    xcb_convert_selection(connection, window, atom("CLIPBOARD"), target, property, time);
    xcb_generic_event_t *event = waitFor(XCB_SELECTION_NOTIFY);
    if (!event)
        return false;
    const bool refused = reinterpret_cast<xcb_selection_notify_event_t *>(event)->property == XCB_NONE;
    std::free(event);
    if (refused || !readProperty(property, type, bytes))
        return false;
    if (*type != atom("INCR"))
        return true;
    bytes->clear();
    for (;;) {
        xcb_generic_event_t *changed = waitFor(XCB_PROPERTY_NOTIFY);
        if (!changed)
            return false;
        const auto *notify = reinterpret_cast<xcb_property_notify_event_t *>(changed);
        const bool newValue = notify->atom == property && notify->state == XCB_PROPERTY_NEW_VALUE;
        std::free(changed);
        if (!newValue)
            continue;
        QByteArray piece;
        if (!readProperty(property, type, &piece))
            return false;
        if (piece.isEmpty())
            return true;
        bytes->append(piece);
    }
}

void save(const xcb_selection_request_event_t &request)
{
    xcb_atom_t type = XCB_NONE;
    QByteArray list;
    savedTargets.clear();
    saved.clear();
    if (fetch(atom("TARGETS"), request.time, &type, &list)) {
        const auto *targets = reinterpret_cast<const xcb_atom_t *>(list.constData());
        for (qsizetype i = 0; i < list.size() / 4; ++i) {
            const QByteArray name = atomName(targets[i]);
            if (name == "TARGETS" || name == "MULTIPLE" || name == "TIMESTAMP" || name == "SAVE_TARGETS")
                continue;
            QByteArray bytes;
            if (!fetch(targets[i], request.time, &type, &bytes))
                continue;
            savedTargets.append(targets[i]);
            saved.insert(targets[i], bytes);
            savedTypes.insert(targets[i], type);
            std::printf("saved %s %lld %s\n", name.constData(), qlonglong(bytes.size()),
                        QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().constData());
        }
    }
    xcb_set_selection_owner(connection, window, atom("CLIPBOARD"), request.time);
    std::printf("took the clipboard\n");
    std::fflush(stdout);
    xcb_selection_notify_event_t notify;
    std::memset(&notify, 0, sizeof(notify));
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = request.property;
    xcb_send_event(connection, false, request.requestor, 0, reinterpret_cast<const char *>(&notify));
}

// What it saved, each value in one piece: the tests save small ones.
void serve(const xcb_selection_request_event_t &request)
{
    xcb_selection_notify_event_t notify;
    std::memset(&notify, 0, sizeof(notify));
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    if (request.target == atom("TARGETS")) {
        QList<xcb_atom_t> targets = savedTargets;
        targets.append(atom("TARGETS"));
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                            XCB_ATOM_ATOM, 32, uint32_t(targets.size()), targets.constData());
        notify.property = request.property;
    } else if (saved.contains(request.target) && saved.value(request.target).size() < 200000) {
        const QByteArray bytes = saved.value(request.target);
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                            savedTypes.value(request.target), 8, uint32_t(bytes.size()), bytes.constData());
        notify.property = request.property;
    }
    xcb_send_event(connection, false, request.requestor, 0, reinterpret_cast<const char *>(&notify));
}

} // namespace

int main(int argc, char *argv[])
{
    const bool silent = argc > 1 && std::strcmp(argv[1], "--silent") == 0;
    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        return 1;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    window = xcb_generate_id(connection);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    // A server time: the notification of a change of our own property carries it.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, window, atom("MORV_TEST_CLOCK"), XCB_ATOM_INTEGER,
                        32, 0, nullptr);
    xcb_generic_event_t *tick = waitFor(XCB_PROPERTY_NOTIFY);
    if (!tick)
        return 1;
    const xcb_timestamp_t now = reinterpret_cast<xcb_property_notify_event_t *>(tick)->time;
    std::free(tick);
    xcb_set_selection_owner(connection, window, atom("CLIPBOARD_MANAGER"), now);
    xcb_flush(connection);
    std::printf("owner 0x%x\n", window);
    std::fflush(stdout);

    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
            const auto request = *reinterpret_cast<xcb_selection_request_event_t *>(event);
            if (request.selection == atom("CLIPBOARD_MANAGER") && request.target == atom("SAVE_TARGETS")) {
                if (!silent)
                    save(request);
            } else if (request.selection == atom("CLIPBOARD")) {
                serve(request);
            }
            xcb_flush(connection);
        }
        std::free(event);
    }
    return 0;
}
