// SPDX-License-Identifier: GPL-2.0-or-later

#include "x11atoms.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeDeleter
{
    void operator()(void *pointer) const { std::free(pointer); }
};

template<typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

} // namespace

X11Atoms::X11Atoms(xcb_connection_t *connection)
    : connection(connection)
{
    const QList<std::pair<const char *, xcb_atom_t *>> fixed = {
        {"CLIPBOARD", &clipboard},
        {"TARGETS", &targets},
        {"INCR", &incr},
        {"UTF8_STRING", &utf8String},
        {"TEXT", &text},
        {"text/plain", &textPlain},
        {"text/uri-list", &uriList},
        {"text/x-moz-url", &mozUrl},
        {"MULTIPLE", &multiple},
        {"TIMESTAMP", &timestamp},
        {"SAVE_TARGETS", &saveTargets},
        {"ATOM_PAIR", &atomPair},
        {"CLIPBOARD_MANAGER", &clipboardManager},
        {"MORV_CLIP_TRANSFER", &transfer},
        {"MORV_CLIP_CLOCK", &clock},
        {"MORV_CLIP_HAND_OVER", &handOver},
    };
    const QList<const char *> protocol = {"DELETE", "INSERT_PROPERTY", "INSERT_SELECTION"};

    // All requests first, then all replies: one round trip instead of one per atom.
    QList<xcb_intern_atom_cookie_t> cookies;
    for (const auto &[name, atom] : fixed)
        cookies.append(xcb_intern_atom(connection, false, uint16_t(std::strlen(name)), name));
    for (const char *name : protocol)
        cookies.append(xcb_intern_atom(connection, false, uint16_t(std::strlen(name)), name));

    for (qsizetype i = 0; i < cookies.size(); ++i) {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookies.at(i), nullptr));
        const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
        if (i < fixed.size()) {
            *fixed.at(i).second = atom;
            if (atom != XCB_NONE)
                fixedNames.insert(atom, QString::fromLatin1(fixed.at(i).first));
        } else if (atom != XCB_NONE) {
            protocolTargets.insert(atom);
        }
    }
    for (xcb_atom_t atom : {targets, incr, multiple, timestamp, saveTargets})
        protocolTargets.insert(atom);
}

bool X11Atoms::isProtocolTarget(xcb_atom_t atom) const
{
    return protocolTargets.contains(atom);
}

QList<QString> X11Atoms::names(const QList<xcb_atom_t> &atoms)
{
    const auto remembered = [this](xcb_atom_t atom) {
        return atom == XCB_NONE || fixedNames.contains(atom) || known.contains(atom);
    };
    QList<xcb_atom_t> unknown;
    QSet<xcb_atom_t> asked;
    QList<xcb_get_atom_name_cookie_t> cookies;
    for (xcb_atom_t atom : atoms) {
        if (remembered(atom) || asked.contains(atom))
            continue;
        asked.insert(atom);
        unknown.append(atom);
        cookies.append(xcb_get_atom_name(connection, atom));
    }
    QHash<xcb_atom_t, QString> found;
    for (qsizetype i = 0; i < unknown.size(); ++i) {
        const Reply<xcb_get_atom_name_reply_t> reply(
            xcb_get_atom_name_reply(connection, cookies.at(i), nullptr));
        // Atom names are Latin-1 by the protocol; MIME type names are ASCII.
        if (reply)
            found.insert(unknown.at(i), QString::fromLatin1(xcb_get_atom_name_name(reply.get()),
                                                            xcb_get_atom_name_name_length(reply.get())));
    }

    QList<QString> result;
    result.reserve(atoms.size());
    for (xcb_atom_t atom : atoms) {
        const auto fixed = fixedNames.constFind(atom);
        if (fixed != fixedNames.cend()) {
            result.append(fixed.value());
            continue;
        }
        const auto cached = known.constFind(atom);
        result.append(cached != known.cend() ? cached.value() : found.value(atom));
    }

    if (known.size() + found.size() > maximumCachedNames)
        known.clear();
    for (auto it = found.cbegin(); it != found.cend() && known.size() < maximumCachedNames; ++it)
        known.insert(it.key(), it.value());
    return result;
}

QList<xcb_atom_t> X11Atoms::atomsOf(const QStringList &names)
{
    QList<QByteArray> unknown;
    QList<xcb_intern_atom_cookie_t> cookies;
    for (const QString &name : names) {
        if (interned.contains(name))
            continue;
        // MIME type names are ASCII; atom names Latin-1, as Qt interns them.
        const QByteArray latin1 = name.toLatin1();
        if (unknown.contains(latin1))
            continue;
        unknown.append(latin1);
        cookies.append(xcb_intern_atom(connection, false, uint16_t(latin1.size()), latin1.constData()));
    }
    if (interned.size() + unknown.size() > maximumCachedNames)
        interned.clear();
    QHash<QString, xcb_atom_t> found;
    for (qsizetype i = 0; i < unknown.size(); ++i) {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookies.at(i), nullptr));
        if (reply && reply->atom != XCB_NONE)
            found.insert(QString::fromLatin1(unknown.at(i)), reply->atom);
    }
    QList<xcb_atom_t> result;
    result.reserve(names.size());
    for (const QString &name : names)
        result.append(interned.value(name, found.value(name, XCB_NONE)));
    for (auto it = found.cbegin(); it != found.cend() && interned.size() < maximumCachedNames; ++it)
        interned.insert(it.key(), it.value());
    return result;
}
