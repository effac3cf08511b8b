// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

#include <xcb/xcb.h>

#include <cstdlib>

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

    xcb_window_t clipboardOwner() const
    {
        xcb_get_selection_owner_reply_t *reply = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, clipboardAtom), nullptr);
        const xcb_window_t owner = reply ? reply->owner : XCB_NONE;
        std::free(reply);
        return owner;
    }

private:
    xcb_connection_t *connection;
    xcb_atom_t clipboardAtom = XCB_NONE;
};
