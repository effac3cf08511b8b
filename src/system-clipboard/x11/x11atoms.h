// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <xcb/xcb.h>

// The atoms the X11 clipboard reader and owner work with, interned once, the names of the atoms
// owners list as their targets, looked up once per connection, and the atoms of our own formats.
// Used on the reader's thread only.
class X11Atoms
{
public:
    // Interns the fixed atoms (one round trip to the server for all of them).
    explicit X11Atoms(xcb_connection_t *connection);

    xcb_atom_t clipboard = XCB_NONE;
    xcb_atom_t primary = XCB_ATOM_PRIMARY;
    xcb_atom_t targets = XCB_NONE;
    xcb_atom_t incr = XCB_NONE;
    xcb_atom_t utf8String = XCB_NONE;
    xcb_atom_t text = XCB_NONE;
    xcb_atom_t textPlain = XCB_NONE;
    xcb_atom_t uriList = XCB_NONE;
    xcb_atom_t mozUrl = XCB_NONE;
    xcb_atom_t multiple = XCB_NONE;
    xcb_atom_t timestamp = XCB_NONE;
    xcb_atom_t saveTargets = XCB_NONE;
    xcb_atom_t atomPair = XCB_NONE;
    xcb_atom_t clipboardManager = XCB_NONE;
    // The property on our own windows that owners write the content into.
    xcb_atom_t transfer = XCB_NONE;
    // The property whose zero-length change yields the server's time.
    xcb_atom_t clock = XCB_NONE;
    // The property the clipboard manager answers our hand-over in.
    xcb_atom_t handOver = XCB_NONE;

    // Targets of the selection protocol itself, which name no content.
    bool isProtocolTarget(xcb_atom_t atom) const;

    // The names of the atoms, in their order, in one round trip for those not known yet; a number
    // that names no atom gets an empty name, and is asked again next time (the server gives it
    // to the next atom interned).
    QList<QString> names(const QList<xcb_atom_t> &atoms);

    // The most names of owners' atoms remembered: beyond it the remembered ones are forgotten
    // (the fixed atoms never are). Owners list a few dozen; a hostile one would fill memory.
    static constexpr qsizetype maximumCachedNames = 4096;
    qsizetype cachedNameCount() const { return known.size(); }

    // The atoms of the names, in their order, interned in one round trip for those not known yet;
    // XCB_NONE for one the server did not give. Remembered like names().
    QList<xcb_atom_t> atomsOf(const QStringList &names);

private:
    xcb_connection_t *connection;
    QSet<xcb_atom_t> protocolTargets;
    QHash<xcb_atom_t, QString> fixedNames;
    QHash<xcb_atom_t, QString> known;
    QHash<QString, xcb_atom_t> interned;
};
