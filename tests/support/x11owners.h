// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <xcb/xcb.h>

#include <cstdlib>

// Printable bytes that repeat only after many kilobytes, so that a transfer that loses, repeats or
// reorders bytes does not compare equal; each variant gives other bytes of the same size.
inline QByteArray pattern(qsizetype size, int variant = 0)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char('A' + (i * 13 + i / 1021 + variant) % 58);
    return bytes;
}

// Another program owning a selection of the X display: the tests' own selection-owner (which says
// "owner 0x<window>" once the server has made it the owner, then "asked <target>" for every
// request) or picture-copier (which says "ready"), or xclip. Ended when it goes.
class OwnerProcess : public QProcess
{
public:
    explicit OwnerProcess(QObject *parent = nullptr)
        : QProcess(parent)
    {
        setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }

    ~OwnerProcess() override
    {
        kill();
        waitForFinished();
    }

    // Waits for the owner to announce itself. Without the event loop: a test may need Qt to have
    // seen nothing meanwhile.
    bool waitUntilOwning(int timeoutMs = 10000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            collect();
            const qsizetype owner = output.indexOf("owner 0x");
            if ((owner >= 0 && output.indexOf('\n', owner) >= 0) || output.contains("ready\n"))
                return true;
            waitForReadyRead(50);
        }
        return false;
    }

    // The window selection-owner owns the selection with; 0 before it said so.
    xcb_window_t window()
    {
        collect();
        const qsizetype at = output.indexOf("owner 0x");
        const qsizetype end = at < 0 ? -1 : output.indexOf('\n', at);
        return end < 0 ? 0 : xcb_window_t(output.mid(at + 8, end - at - 8).toUInt(nullptr, 16));
    }

    // The targets selection-owner was asked for, in order.
    QStringList asked()
    {
        collect();
        QStringList targets;
        for (const QByteArray &line : output.split('\n')) {
            if (line.startsWith("asked "))
                targets.append(QString::fromLatin1(line.mid(6)));
        }
        return targets;
    }

    void collect() { output += readAllStandardOutput(); }

    QByteArray output;
};

// A connection of the test's own to the X display, to ask who owns the clipboard.
class SelectionProbe
{
public:
    SelectionProbe()
        : connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(connection))
            return;
        xcb_intern_atom_reply_t *reply =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, false, 9, "CLIPBOARD"), nullptr);
        if (reply)
            clipboardAtom = reply->atom;
        std::free(reply);
    }

    ~SelectionProbe() { xcb_disconnect(connection); }

    SelectionProbe(const SelectionProbe &) = delete;
    SelectionProbe &operator=(const SelectionProbe &) = delete;

    bool isValid() const { return !xcb_connection_has_error(connection) && clipboardAtom != XCB_NONE; }

    // Asks the clipboard's owner for a target as a paste does, stamped `ahead` ms after the server's
    // time of now (a program with a clock of its own); true once the owner has answered.
    bool askAhead(const QByteArray &target, quint32 ahead)
    {
        const xcb_atom_t property = atom(QByteArrayLiteral("MORV_TEST_PASTE"));
        const xcb_window_t window = createWindow();
        const xcb_timestamp_t now = serverTime(window);
        if (now == XCB_CURRENT_TIME)
            return false;
        xcb_convert_selection(connection, window, clipboardAtom, atom(target), property, now + ahead);
        xcb_flush(connection);
        bool answered = false;
        xcb_generic_event_t *event = waitForEvent(XCB_SELECTION_NOTIFY);
        if (event)
            answered = reinterpret_cast<xcb_selection_notify_event_t *>(event)->property != XCB_NONE;
        std::free(event);
        xcb_destroy_window(connection, window);
        xcb_flush(connection);
        return answered;
    }

    // Sends a window an XEmbed message (XEMBED_WINDOW_ACTIVATE) stamped `ahead` ms after the
    // server's time of now, as a tray host with a clock of its own would.
    bool sendXEmbedAhead(xcb_window_t target, quint32 ahead)
    {
        const xcb_window_t window = createWindow();
        const xcb_timestamp_t now = serverTime(window);
        xcb_destroy_window(connection, window);
        if (now == XCB_CURRENT_TIME)
            return false;
        xcb_client_message_event_t message = {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = target;
        message.type = atom(QByteArrayLiteral("_XEMBED"));
        message.data.data32[0] = now + ahead;
        message.data.data32[1] = 1; // XEMBED_WINDOW_ACTIVATE
        const xcb_void_cookie_t sent = xcb_send_event_checked(
            connection, false, target, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&message));
        xcb_generic_error_t *error = xcb_request_check(connection, sent);
        std::free(error);
        return !error;
    }

    xcb_window_t clipboardOwner() const
    {
        xcb_get_selection_owner_reply_t *reply = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, clipboardAtom), nullptr);
        const xcb_window_t owner = reply ? reply->owner : XCB_NONE;
        std::free(reply);
        return owner;
    }

private:
    xcb_window_t createWindow()
    {
        const xcb_window_t window = xcb_generate_id(connection);
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window,
                          xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
        return window;
    }

    // The server's time of now: the notification of a change of a property of our own window.
    xcb_timestamp_t serverTime(xcb_window_t window)
    {
        xcb_change_property(connection, XCB_PROP_MODE_APPEND, window,
                            atom(QByteArrayLiteral("MORV_TEST_CLOCK")), XCB_ATOM_INTEGER, 32, 0, nullptr);
        xcb_flush(connection);
        xcb_generic_event_t *event = waitForEvent(XCB_PROPERTY_NOTIFY);
        const xcb_timestamp_t time =
            event ? reinterpret_cast<xcb_property_notify_event_t *>(event)->time : XCB_CURRENT_TIME;
        std::free(event);
        return time;
    }

    // The next event of a type, other events dropped; null after 10 s.
    xcb_generic_event_t *waitForEvent(uint8_t type)
    {
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            xcb_generic_event_t *event = xcb_poll_for_event(connection);
            if (!event) {
                QThread::msleep(5);
                continue;
            }
            if ((event->response_type & 0x7f) == type)
                return event;
            std::free(event);
        }
        return nullptr;
    }

    xcb_atom_t atom(const QByteArray &name) const
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, false, uint16_t(name.size()), name.constData()), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return atom;
    }

    xcb_connection_t *connection;
    xcb_atom_t clipboardAtom = XCB_NONE;
};
