// SPDX-License-Identifier: GPL-2.0-or-later

#include "x11offerreader.h"

#include "clipboardformats.h"
#include "ksystemclipboard.h"
#include "x11atoms.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// Bytes asked of the server per GetProperty, in 32-bit units: 1 MiB. A property larger than that
// comes in several replies, so no single reply makes the reader hold twice a huge value at once.
constexpr uint32_t pieceUnits = 256 * 1024;

// The most memory an INCR announcement makes the reader set aside before any piece has arrived.
constexpr qsizetype incrementalReserve = 64 * 1024 * 1024;

const QString plainText = QStringLiteral("text/plain");
const QString html = QStringLiteral("text/html");
const QString uriList = QStringLiteral("text/uri-list");
const QString qtImage = QStringLiteral("application/x-qt-image");

struct FreeDeleter
{
    void operator()(void *pointer) const { std::free(pointer); }
};

// Browsers send HTML and URL lists as UTF-16, with or without a byte order mark; Qt takes a first
// zero byte in either of the first two places for UTF-16, and so does this reader.
bool looksLikeUtf16(const QByteArray &bytes)
{
    if (bytes.size() < 2)
        return false;
    const auto first = quint8(bytes.at(0));
    const auto second = quint8(bytes.at(1));
    return (first == 0xff && second == 0xfe) || (first == 0xfe && second == 0xff) ||
           (first != 0 && second == 0) || (first == 0 && second != 0);
}

QString fromUtf16(const QByteArray &bytes)
{
    const auto first = quint8(bytes.at(0));
    const auto second = quint8(bytes.at(1));
    QStringDecoder::Encoding encoding = QStringDecoder::Utf16; // reads the byte order mark
    if (!(first == 0xff && second == 0xfe) && !(first == 0xfe && second == 0xff))
        encoding = second == 0 ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE;
    QStringDecoder decoder(encoding);
    QString text = decoder(bytes);
    if (text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

void chopTerminator(QByteArray &bytes)
{
    if (bytes.endsWith('\0'))
        bytes.chop(1);
}

} // namespace

X11OfferReader::X11OfferReader(xcb_connection_t *connection, X11Atoms &atoms, xcb_window_t root,
                               xcb_atom_t selection, xcb_timestamp_t time, int timeout,
                               const QStringList &imageFormats, QObject *parent)
    : QObject(parent)
    , connection(connection)
    , atoms(atoms)
    , root(root)
    , selection(selection)
    , time(time)
    , timeout(timeout)
    , imageFormats(imageFormats)
{
    idleTimer.setSingleShot(true);
    connect(&idleTimer, &QTimer::timeout, this, &X11OfferReader::timedOut);
}

X11OfferReader::~X11OfferReader()
{
    // An owner still busy with this read gets BadWindow for its answer and gives up; a late answer
    // cannot reach any other read.
    if (window != XCB_NONE) {
        xcb_destroy_window(connection, window);
        xcb_flush(connection);
    }
}

void X11OfferReader::start()
{
    window = xcb_generate_id(connection);
    // PropertyChange from the start: INCR pieces are announced as property changes.
    const uint32_t eventMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &eventMask);
    current = Request{QString(), atoms.targets};
    ask(atoms.targets);
}

void X11OfferReader::ask(xcb_atom_t target)
{
    xcb_convert_selection(connection, window, selection, target, atoms.transfer, time);
    xcb_flush(connection);
    idleTimer.start(timeout);
}

RawMimeData::Entries X11OfferReader::entries() const
{
    RawMimeData::Entries result;
    result.reserve(listed.size());
    for (const QString &format : listed) {
        if (listedSet.contains(format))
            result.append({format, fetched.value(format)});
    }
    return result;
}

RawMimeData::DecodedTexts X11OfferReader::decodedTexts() const
{
    RawMimeData::DecodedTexts texts;
    for (const QString &format : {QStringLiteral("text/plain;charset=utf-8"), plainText}) {
        const QByteArray bytes = fetched.value(format);
        if (!bytes.isNull())
            texts.insert(format, QString::fromUtf8(bytes));
    }
    return texts;
}

void X11OfferReader::selectionNotified(const xcb_selection_notify_event_t &event)
{
    if (result != Outcome::Reading || incremental || event.requestor != window ||
        event.selection != selection)
        return;
    idleTimer.start(timeout);
    // The owner refused this target, or answered without a property (as ICCCM asks of owners that
    // cannot convert): it has no content in that format.
    if (event.property == XCB_NONE) {
        received(Piece());
        return;
    }
    const Piece piece = readTransferProperty(held);
    if (piece.tooLarge) {
        finish(Outcome::TooLarge);
        return;
    }
    if (piece.exists && piece.type == atoms.incr) {
        // The value is a lower bound of the size; the pieces follow as property changes, each
        // after we have deleted the previous one (done by the read above).
        qsizetype announced = 0;
        if (piece.bytes.size() >= 4)
            announced = *reinterpret_cast<const quint32 *>(piece.bytes.constData());
        if (held + announced > KSystemClipboard::maximumOfferSize) {
            finish(Outcome::TooLarge);
            return;
        }
        incremental = true;
        incoming = QByteArray();
        incomingType = XCB_NONE;
        incomingFormat = 0;
        // Only what a real offer is likely to need: the announcement costs the owner nothing.
        incoming.reserve(qMin(announced, incrementalReserve));
        return;
    }
    received(piece);
}

void X11OfferReader::propertyChanged(const xcb_property_notify_event_t &event)
{
    if (result != Outcome::Reading || !incremental || event.window != window ||
        event.atom != atoms.transfer || event.state != XCB_PROPERTY_NEW_VALUE)
        return;
    idleTimer.start(timeout);
    Piece piece = readTransferProperty(held + incoming.size());
    if (piece.tooLarge) {
        finish(Outcome::TooLarge);
        return;
    }
    if (!piece.exists)
        return;
    if (!piece.bytes.isEmpty()) {
        if (incoming.isEmpty()) {
            incomingType = piece.type;
            incomingFormat = piece.format;
        }
        incoming.append(piece.bytes);
        return;
    }
    // A piece of length zero ends the transfer; the data is typed as its pieces were.
    incremental = false;
    if (incomingType != XCB_NONE) {
        piece.type = incomingType;
        piece.format = incomingFormat;
    }
    piece.bytes = std::exchange(incoming, QByteArray());
    received(piece);
}

X11OfferReader::Piece X11OfferReader::readTransferProperty(qsizetype alreadyHeld)
{
    Piece piece;
    uint32_t offset = 0;
    for (;;) {
        // Deleting tells the owner we have read it; the server deletes only with the last piece.
        const xcb_get_property_cookie_t cookie = xcb_get_property(
            connection, true, window, atoms.transfer, XCB_GET_PROPERTY_TYPE_ANY, offset, pieceUnits);
        const std::unique_ptr<xcb_get_property_reply_t, FreeDeleter> reply(
            xcb_get_property_reply(connection, cookie, nullptr));
        if (!reply || reply->type == XCB_NONE)
            return piece;
        piece.exists = true;
        piece.type = reply->type;
        piece.format = reply->format;
        const int length = xcb_get_property_value_length(reply.get());
        if (alreadyHeld + piece.bytes.size() + length + qsizetype(reply->bytes_after) >
            KSystemClipboard::maximumOfferSize) {
            piece.tooLarge = true;
            return piece;
        }
        if (offset == 0 && reply->bytes_after > 0)
            piece.bytes.reserve(length + qsizetype(reply->bytes_after));
        piece.bytes.append(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
        if (reply->bytes_after == 0 || length == 0)
            return piece;
        offset += uint32_t(length) / 4;
    }
}

void X11OfferReader::received(const Piece &piece)
{
    if (!targetsListed) {
        if (listTargets(piece))
            requestNext();
        return;
    }
    // A format the owner refuses is none of its offer: listed without bytes, it would go back on
    // the clipboard empty and hide the others from a paste.
    if (!piece.exists) {
        listedSet.remove(current.format);
        requestNext();
        return;
    }
    ++formatsSent;
    QByteArray bytes = converted(current, piece.bytes);
    // Sent empty is empty, not missing.
    if (bytes.isNull())
        bytes = QByteArray("");
    held += bytes.size();
    fetched.insert(current.format, bytes);
    // A password manager's secret is not read further: the history will not take it.
    if (current.format == ClipboardFormats::passwordManagerHint && bytes == "secret") {
        finish(Outcome::Read);
        return;
    }
    requestNext();
}

bool X11OfferReader::listTargets(const Piece &piece)
{
    targetsListed = true;
    // No property at all, or one that was not written: the owner has not said what it offers.
    if (!piece.exists) {
        fail(QStringLiteral("refused to list its formats"));
        return false;
    }
    // ICCCM types the list ATOM; some owners type it TARGETS.
    if (piece.format != 32 || (piece.type != XCB_ATOM_ATOM && piece.type != atoms.targets)) {
        const QString type = atoms.names({piece.type}).constFirst();
        fail(QStringLiteral("answered TARGETS with %1-bit %2 data, not a list of atoms")
                 .arg(piece.format)
                 .arg(type.isEmpty() ? QStringLiteral("0x%1").arg(piece.type, 0, 16) : type));
        return false;
    }
    QList<xcb_atom_t> offered;
    QSet<xcb_atom_t> seen;
    const auto *values = reinterpret_cast<const xcb_atom_t *>(piece.bytes.constData());
    for (qsizetype i = 0; i < piece.bytes.size() / qsizetype(sizeof(xcb_atom_t)); ++i) {
        const xcb_atom_t atom = values[i];
        if (atom == XCB_NONE || atoms.isProtocolTarget(atom) || seen.contains(atom))
            continue;
        if (offered.size() == KSystemClipboard::maximumOfferFormats) {
            cutShort = true;
            break;
        }
        seen.insert(atom);
        offered.append(atom);
    }
    const QList<QString> names = atoms.names(offered);

    // Text comes under several names, which Qt lists once as text/plain and reads in the best
    // encoding offered; Mozilla's URL format stands in for a missing URL list.
    const QList<xcb_atom_t> textTargets = {atoms.utf8String, XCB_ATOM_STRING, atoms.text, atoms.textPlain};
    QHash<QString, xcb_atom_t> targetOf;
    for (xcb_atom_t target : textTargets) {
        if (seen.contains(target)) {
            targetOf.insert(plainText, target);
            break;
        }
    }
    if (seen.contains(atoms.uriList))
        targetOf.insert(uriList, atoms.uriList);
    else if (seen.contains(atoms.mozUrl))
        targetOf.insert(uriList, atoms.mozUrl);

    for (qsizetype i = 0; i < offered.size(); ++i) {
        const xcb_atom_t target = offered.at(i);
        QString format = names.at(i);
        if (textTargets.contains(target))
            format = plainText;
        else if (target == atoms.mozUrl)
            format = uriList;
        if (format.isEmpty() || listedSet.contains(format))
            continue;
        listed.append(format);
        listedSet.insert(format);
        if (!targetOf.contains(format))
            targetOf.insert(format, target);
    }

    if (listedSet.contains(ClipboardFormats::passwordManagerHint))
        requests.append(
            {ClipboardFormats::passwordManagerHint, targetOf.value(ClipboardFormats::passwordManagerHint)});
    // Pictures last, the best first: a picture comes in many encodings, and an owner may take
    // seconds for some of them (Qt writes XPM slowly), which timedOut() lets pass once the offer
    // holds the picture. Everything else is asked for while the owner is quick.
    QStringList pictures;
    for (const QString &format : ClipboardFormats::kept(listed)) {
        if (isPicture(format))
            pictures.append(format);
        else
            requests.append({format, targetOf.value(format)});
    }
    const auto best = std::find_if(imageFormats.cbegin(), imageFormats.cend(),
                                   [&pictures](const QString &format) { return pictures.contains(format); });
    if (pictures.contains(qtImage))
        pictures.move(pictures.indexOf(qtImage), 0);
    else if (best != imageFormats.cend())
        pictures.move(pictures.indexOf(*best), 0);
    for (const QString &format : std::as_const(pictures))
        requests.append({format, targetOf.value(format)});
    return true;
}

bool X11OfferReader::isPicture(const QString &format)
{
    return format == qtImage || format.startsWith(QLatin1String("image/"));
}

void X11OfferReader::timedOut()
{
    bool holdsPicture = false;
    for (auto it = fetched.cbegin(); it != fetched.cend(); ++it)
        holdsPicture = holdsPicture || (isPicture(it.key()) && !it.value().isEmpty());
    if (!targetsListed || incremental || !isPicture(current.format) || !holdsPicture) {
        finish(Outcome::TimedOut);
        return;
    }
    // The picture in yet another encoding: the offer is taken without it, and without the
    // encodings not asked for yet (the owner is still busy with this one).
    for (qsizetype i = next - 1; i < requests.size(); ++i) {
        skipped.append(requests.at(i).format);
        listedSet.remove(requests.at(i).format);
    }
    listed.removeIf([this](const QString &format) { return !listedSet.contains(format); });
    next = requests.size();
    addQtImage();
    finish(Outcome::Read);
}

void X11OfferReader::requestNext()
{
    if (next >= requests.size()) {
        // Listing formats and sending none is no offer, and no empty one either.
        if (!requests.isEmpty() && formatsSent == 0) {
            fail(QStringLiteral("sent none of the formats it listed"));
            return;
        }
        addQtImage();
        finish(Outcome::Read);
        return;
    }
    current = requests.at(next++);
    ask(current.target);
}

void X11OfferReader::addQtImage()
{
    if (listedSet.contains(qtImage))
        return;
    const auto offered = [this](const QString &format) { return listedSet.contains(format); };
    if (std::none_of(imageFormats.cbegin(), imageFormats.cend(), offered))
        return;
    listed.append(qtImage);
    listedSet.insert(qtImage);
    for (const QString &format : imageFormats) {
        const QByteArray bytes = fetched.value(format);
        if (!bytes.isEmpty()) {
            fetched.insert(qtImage, bytes); // shared, not copied
            return;
        }
    }
}

QByteArray X11OfferReader::converted(const Request &request, QByteArray bytes) const
{
    if (request.format == plainText) {
        chopTerminator(bytes);
        if (request.target == XCB_ATOM_STRING || request.target == atoms.text)
            return QString::fromLatin1(bytes).toUtf8();
        return bytes;
    }
    if (request.format != html && request.format != uriList)
        return bytes;
    if (looksLikeUtf16(bytes))
        bytes = fromUtf16(bytes).toUtf8();
    else
        chopTerminator(bytes);
    // Mozilla's format is the URL, a line feed and the link's title.
    if (request.target == atoms.mozUrl) {
        const qsizetype end = bytes.indexOf('\n');
        bytes = (end < 0 ? bytes : bytes.left(end)).trimmed() + "\r\n";
    }
    return bytes;
}

void X11OfferReader::fail(const QString &what)
{
    failureText = what;
    finish(Outcome::Failed);
}

void X11OfferReader::finish(Outcome outcome)
{
    if (result != Outcome::Reading)
        return;
    result = outcome;
    idleTimer.stop();
    incoming = QByteArray();
    if (outcome != Outcome::Read)
        fetched.clear();
    xcb_destroy_window(connection, window);
    xcb_flush(connection);
    window = XCB_NONE;
    Q_EMIT finished();
}
