// SPDX-License-Identifier: GPL-2.0-or-later

#include "datacontroldevice_wayland.h"
#include "fakedatacontroldevice.h"
#include "ksystemclipboard_wayland.h"
#include "pipewriter.h"

#include <QElapsedTimer>
#include <QImage>
#include <QMimeData>
#include <QPointer>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

using Content = QList<QPair<QString, QByteArray>>;
using WaylandDataControl::Global;
using WaylandDataControl::Protocol;

namespace {

// Reads a pipe to its end while the event loop runs, as a pasting program would; nothing when the
// writer has not finished within the time.
std::optional<QByteArray> drain(int fd, int timeout = 5000)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    QByteArray bytes;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeout) {
        char chunk[65536];
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count > 0) {
            bytes.append(chunk, count);
            continue;
        }
        if (count == 0) {
            ::close(fd);
            return bytes;
        }
        QTest::qWait(1);
    }
    ::close(fd);
    return std::nullopt;
}

QByteArray bytesOf(const QMimeData *mime, const QString &format)
{
    return mime ? mime->data(format) : QByteArray();
}

// Mime data that notes every format whose bytes are asked of it, as the history's own reads a
// picture from disk when it is asked.
class CountingMimeData : public QMimeData
{
public:
    QStringList formats() const override
    {
        return {QStringLiteral("image/png"), QStringLiteral("text/plain")};
    }
    mutable QStringList asked;

protected:
    QVariant retrieveData(const QString &format, QMetaType) const override
    {
        asked.append(format);
        return format == QLatin1String("image/png") ? QByteArray(100000, 'p') : QByteArray("text");
    }
};

} // namespace

// The Wayland backend's own rules, with the test playing the compositor and the other clients:
// what is reported when, what is served, and what a silent owner or a stalled paste costs.
class TestWaylandBackend : public QObject
{
    Q_OBJECT

private:
    FakeDataControlDevice *device = nullptr;
    std::unique_ptr<WaylandSystemClipboard> clipboard;
    QList<int> heldFds; // pipe ends a stalling fake owner keeps open

    void makeClipboard(bool primary = true, int readTimeout = 200, int writeTimeout = 30000,
                       bool selectionWatched = true)
    {
        auto fake = std::make_unique<FakeDataControlDevice>(primary);
        device = fake.get();
        clipboard = std::make_unique<WaylandSystemClipboard>(std::move(fake), readTimeout, writeTimeout);
        clipboard->setSelectionWatched(selectionWatched);
    }

    // An owner handler that writes the content's bytes at once, except for the stalled types, for
    // which it writes nothing and keeps the pipe open.
    std::function<void(const QString &, int)> ownerStallingOn(const QStringList &stalled,
                                                              const Content &content)
    {
        return [this, stalled, content](const QString &type, int fd) {
            if (stalled.contains(type)) {
                heldFds.append(fd);
                return;
            }
            for (const auto &entry : content) {
                if (entry.first == type)
                    QCOMPARE(::write(fd, entry.second.constData(), entry.second.size()), entry.second.size());
            }
            ::close(fd);
        };
    }

    // An owner handler that writes nothing and keeps the pipe open: a hung program.
    std::function<void(const QString &, int)> stall()
    {
        return [this](const QString &, int fd) { heldFds.append(fd); };
    }

private Q_SLOTS:
    void cleanup()
    {
        clipboard.reset();
        device = nullptr;
        for (int fd : std::as_const(heldFds))
            ::close(fd);
        heldFds.clear();
    }

    void choosesExtThenWlrThenNothing_data()
    {
        QTest::addColumn<QList<Global>>("globals");
        QTest::addColumn<Protocol>("protocol");
        QTest::addColumn<uint>("name");
        QTest::addColumn<uint>("version");

        const Global seat{"wl_seat", 3, 7};
        const Global wlr2{"zwlr_data_control_manager_v1", 24, 2};
        const Global ext1{"ext_data_control_manager_v1", 30, 1};
        QTest::newRow("ext preferred, whatever the order")
            << QList<Global>{seat, wlr2, ext1} << Protocol::Ext << 30u << 1u;
        QTest::newRow("newer ext bound at what we speak")
            << QList<Global>{{"ext_data_control_manager_v1", 9, 4}} << Protocol::Ext << 9u << 1u;
        QTest::newRow("wlr version 2, with the primary selection")
            << QList<Global>{seat, wlr2} << Protocol::Wlr << 24u << 2u;
        QTest::newRow("wlr version 1")
            << QList<Global>{{"zwlr_data_control_manager_v1", 5, 1}} << Protocol::Wlr << 5u << 1u;
        QTest::newRow("newer wlr bound at version 2")
            << QList<Global>{{"zwlr_data_control_manager_v1", 5, 3}} << Protocol::Wlr << 5u << 2u;
        QTest::newRow("no data control (Mutter)")
            << QList<Global>{seat,
                             {"wl_data_device_manager", 4, 3},
                             {"zwp_primary_selection_device_manager_v1", 6, 1}}
            << Protocol::None << 0u << 0u;
    }

    void choosesExtThenWlrThenNothing()
    {
        QFETCH(QList<Global>, globals);
        QFETCH(Protocol, protocol);
        QFETCH(uint, name);
        QFETCH(uint, version);
        const WaylandDataControl::Choice choice = WaylandDataControl::choose(globals);
        QCOMPARE(choice.protocol, protocol);
        QCOMPARE(choice.name, name);
        QCOMPARE(choice.version, version);
    }

    void reportsAnOfferOnceEveryFormatIsRead()
    {
        makeClipboard();
        QSignalSpy changed(clipboard.get(), &KSystemClipboard::changed);
        const QByteArray png =
            QByteArray::fromHex("89504e470d0a1a0a0000000d49484452") + QByteArray(3000, '\0');
        // Owners write a paste when they get to it: here from the event loop, after the offer.
        QList<int> pending;
        device->offer(QClipboard::Clipboard,
                      {{"text/plain", "two\nlines"},
                       {"text/html", "<b>two</b>"},
                       {"text/uri-list", "file:///a\nfile:///b\n"},
                       {"image/png", png},
                       {"SAVE_TARGETS", ""}},
                      [&pending](const QString &, int fd) { pending.append(fd); });
        // Nothing is reported before the content is in memory.
        QCOMPARE(changed.count(), 0);
        QVERIFY(clipboard->mimeData(QClipboard::Clipboard)->formats().isEmpty());

        const QHash<QString, QByteArray> answers = {{"text/plain", "two\nlines"},
                                                    {"text/html", "<b>two</b>"},
                                                    {"text/uri-list", "file:///a\nfile:///b\n"},
                                                    {"image/png", png},
                                                    {"SAVE_TARGETS", ""}};
        // SAVE_TARGETS names no MIME type: it is not asked for.
        const QStringList order = {"text/plain", "text/html", "text/uri-list", "image/png"};
        for (const QString &type : order) {
            // One type at a time: the next is asked for only when the previous one is complete.
            QTRY_COMPARE(pending.size(), 1);
            QCOMPARE(device->log->received.last(), type);
            const int fd = pending.takeFirst();
            QCOMPARE(::write(fd, answers[type].constData(), answers[type].size()), answers[type].size());
            ::close(fd);
            if (type != "image/png")
                QCOMPARE(changed.count(), 0);
        }
        QTRY_COMPARE(changed.count(), 1);
        QCOMPARE(changed.first().first().value<QClipboard::Mode>(), QClipboard::Clipboard);

        const QMimeData *mime = clipboard->mimeData(QClipboard::Clipboard);
        QCOMPARE(mime->formats(), order);
        QCOMPARE(mime->data("text/plain"), "two\nlines");
        QCOMPARE(mime->text(), "two\nlines");
        QVERIFY(mime->hasHtml());
        // Exactly the owner's bytes: QMimeData::setData would hand the URL list back with CRLF.
        QCOMPARE(mime->data("text/uri-list"), "file:///a\nfile:///b\n");
        QCOMPARE(mime->urls(), QList<QUrl>({QUrl("file:///a"), QUrl("file:///b")}));
        QCOMPARE(mime->data("image/png"), png);
        QVERIFY(!mime->hasFormat("SAVE_TARGETS"));
        // The finished offer is let go of.
        QCOMPARE(device->log->offersDestroyed, 1);
    }

    void anOfferReplacedWhileBeingReadIsNeverReported()
    {
        makeClipboard();
        QSignalSpy changed(clipboard.get(), &KSystemClipboard::changed);
        device->offer(QClipboard::Clipboard, {{"text/plain", "old"}}, stall());
        device->offer(QClipboard::Clipboard, {{"text/plain", "new"}});
        // The first offer was dropped at once, its pipe closed.
        QCOMPARE(device->log->offersDestroyed, 1);
        QTRY_COMPARE(changed.count(), 1);
        QCOMPARE(bytesOf(clipboard->mimeData(QClipboard::Clipboard), "text/plain"), "new");
        // Nobody reads the old pipe any more: its owner sees it broken.
        QCOMPARE(heldFds.size(), 1);
        pollfd old = {heldFds.first(), POLLOUT, 0};
        QCOMPARE(::poll(&old, 1, 0), 1);
        QVERIFY(old.revents & POLLERR);
        QTest::qWait(50);
        QCOMPARE(changed.count(), 1);
    }

    void clipboardAndPrimarySelectionAreApart()
    {
        makeClipboard();
        QSignalSpy changed(clipboard.get(), &KSystemClipboard::changed);
        device->offer(QClipboard::Selection, {{"text/plain", "selected"}});
        device->offer(QClipboard::Clipboard, {{"text/plain", "copied"}});
        QTRY_COMPARE(changed.count(), 2);
        QCOMPARE(changed.at(0).first().value<QClipboard::Mode>(), QClipboard::Selection);
        QCOMPARE(changed.at(1).first().value<QClipboard::Mode>(), QClipboard::Clipboard);
        QCOMPARE(bytesOf(clipboard->mimeData(QClipboard::Selection), "text/plain"), "selected");
        QCOMPARE(bytesOf(clipboard->mimeData(QClipboard::Clipboard), "text/plain"), "copied");
    }

    void ownContentComingBackIsNoChange()
    {
        makeClipboard();
        QSignalSpy changed(clipboard.get(), &KSystemClipboard::changed);
        auto *mime = new QMimeData;
        mime->setData("text/plain", "mine");
        clipboard->setMimeData(mime, QClipboard::Clipboard);
        FakeDataControlDevice::FakeSource *source = device->lastSource(QClipboard::Clipboard);
        QVERIFY(source);
        QCOMPARE(clipboard->mimeData(QClipboard::Clipboard), mime);

        // The compositor announces our own source as the new selection: not read, not reported.
        device->offer(QClipboard::Clipboard, {{"text/plain", "mine"}});
        QTest::qWait(50);
        QCOMPARE(changed.count(), 0);
        QVERIFY(device->log->received.isEmpty());
        QCOMPARE(device->log->offersDestroyed, 1);
        QCOMPARE(clipboard->mimeData(QClipboard::Clipboard), mime);

        // Writing again replaces the source, the new one set before the old one goes.
        auto *second = new QMimeData;
        second->setData("text/plain", "mine again");
        clipboard->setMimeData(second, QClipboard::Clipboard);
        QCOMPARE(device->log->sourcesDestroyed, 1);
        QVERIFY(device->lastSource(QClipboard::Clipboard) != source);
        source = device->lastSource(QClipboard::Clipboard);

        // Another client takes over: our source is cancelled, its offer is read and reported.
        device->cancel(source);
        QCOMPARE(device->log->sourcesDestroyed, 2);
        device->offer(QClipboard::Clipboard, {{"text/plain", "theirs"}});
        QTRY_COMPARE(changed.count(), 1);
        QCOMPARE(bytesOf(clipboard->mimeData(QClipboard::Clipboard), "text/plain"), "theirs");
    }

    void emptiedSelectionIsAnOfferWithoutFormats()
    {
        makeClipboard();
        device->offer(QClipboard::Clipboard, {{"text/plain", "soon gone"}});
        QTRY_VERIFY(clipboard->mimeData(QClipboard::Clipboard)->hasText());
        QSignalSpy changed(clipboard.get(), &KSystemClipboard::changed);

        // The owner quit.
        device->clear(QClipboard::Clipboard);
        QCOMPARE(changed.count(), 1);
        QVERIFY(clipboard->mimeData(QClipboard::Clipboard));
        QVERIFY(clipboard->mimeData(QClipboard::Clipboard)->formats().isEmpty());

        // Clearing it ourselves echoes back empty: that is not news.
        device->offer(QClipboard::Selection, {{"text/plain", "x"}});
        QTRY_COMPARE(changed.count(), 2);
        clipboard->setMimeData(nullptr, QClipboard::Selection);
        QCOMPARE(device->log->selectionsSet.last().first, QClipboard::Selection);
        QCOMPARE(device->log->selectionsSet.last().second, nullptr);
        QVERIFY(clipboard->mimeData(QClipboard::Selection)->formats().isEmpty());
        device->clear(QClipboard::Selection);
        QCOMPARE(changed.count(), 2);
        // A later emptying by someone else is.
        device->clear(QClipboard::Selection);
        QCOMPARE(changed.count(), 3);
    }

    void missingClipboardsReadAsNoOfferAndIgnoreWrites()
    {
        makeClipboard(false);
        QVERIFY(clipboard->mimeData(QClipboard::Clipboard));
        QVERIFY(!clipboard->mimeData(QClipboard::Selection));
        QVERIFY(!clipboard->mimeData(QClipboard::FindBuffer));
        for (QClipboard::Mode mode : {QClipboard::Selection, QClipboard::FindBuffer}) {
            QPointer<QMimeData> mime = new QMimeData;
            clipboard->setMimeData(mime, mode);
            QVERIFY(mime.isNull()); // taken over, and deleted
        }
        QVERIFY(device->log->selectionsSet.isEmpty());
    }

    void servesEveryPasteOfOwnContent()
    {
        makeClipboard();
        auto *mime = new QMimeData;
        mime->setData("text/plain", "sticky text");
        mime->setData("text/html", "<i>sticky</i>");
        const QByteArray big(3 * 1024 * 1024 + 7, 'x'); // more than any pipe holds
        mime->setData("application/octet-stream", big);
        clipboard->setMimeData(mime, QClipboard::Clipboard);
        FakeDataControlDevice::FakeSource *source = device->lastSource(QClipboard::Clipboard);
        QVERIFY(source);
        // Wayland programs ask for UTF-8 text by this name; it is offered beside text/plain.
        QCOMPARE(source->types, QStringList({"text/plain", "text/html", "application/octet-stream",
                                             "text/plain;charset=utf-8"}));

        // Several pastes at once, the large ones all in flight together.
        const int first = device->paste(source, "application/octet-stream");
        const int second = device->paste(source, "application/octet-stream");
        const int text = device->paste(source, "text/plain;charset=utf-8");
        const int unknown = device->paste(source, "image/png");
        QCOMPARE(drain(text), QByteArray("sticky text"));
        QCOMPARE(drain(unknown), QByteArray());
        QCOMPARE(drain(second), big);
        QCOMPARE(drain(first), big);
        QCOMPARE(drain(device->paste(source, "text/html")), QByteArray("<i>sticky</i>"));

        // An image set as a Qt image is served as PNG.
        auto *image = new QMimeData;
        QImage red(4, 3, QImage::Format_RGB32);
        red.fill(Qt::red);
        image->setImageData(red);
        clipboard->setMimeData(image, QClipboard::Selection);
        FakeDataControlDevice::FakeSource *imageSource = device->lastSource(QClipboard::Selection);
        QCOMPARE(imageSource->types, QStringList({"image/png"}));
        const std::optional<QByteArray> png = drain(device->paste(imageSource, "image/png"));
        QVERIFY(png);
        QCOMPARE(QImage::fromData(*png, "PNG").convertToFormat(QImage::Format_RGB32), red);
    }

    void ownBytesAreAskedForWhenPasted()
    {
        makeClipboard();
        auto *mime = new CountingMimeData;
        clipboard->setMimeData(mime, QClipboard::Clipboard);
        FakeDataControlDevice::FakeSource *source = device->lastSource(QClipboard::Clipboard);
        QVERIFY(source);
        QCOMPARE(source->types, QStringList({"image/png", "text/plain", "text/plain;charset=utf-8"}));
        QCOMPARE(mime->asked, QStringList());

        QCOMPARE(drain(device->paste(source, "image/png")), QByteArray(100000, 'p'));
        QCOMPARE(mime->asked, QStringList{"image/png"});
        QCOMPARE(drain(device->paste(source, "text/plain;charset=utf-8")), QByteArray("text"));
        QCOMPARE(mime->asked, QStringList({"image/png", "text/plain"}));
    }

    void aHungOwnerCostsOneTimeoutAndChangesNothing()
    {
        makeClipboard(true, 300);
        QSignalSpy changed(clipboard.get(), &KSystemClipboard::changed);
        device->offer(QClipboard::Clipboard, {{"text/plain", "before"}});
        QVERIFY(changed.wait());
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ticker.start(10);

        QTest::ignoreMessage(QtWarningMsg, "The clipboard's owner sent nothing for \"text/html\" in 300 ms: "
                                           "its offer is not taken");
        QElapsedTimer clock;
        clock.start();
        const Content content = {{"text/plain", "arrived"}, {"text/html", ""}, {"text/uri-list", "a"}};
        device->offer(QClipboard::Clipboard, content, ownerStallingOn({"text/html"}, content));
        // The reader lets go of the offer when it gives up.
        QTRY_COMPARE(device->log->offersDestroyed, 2);
        const qint64 waited = clock.elapsed();
        // (Qt's coarse timers may fire up to 5 % early.)
        QVERIFY2(waited >= 280 && waited < 1500, qPrintable(QString::number(waited)));
        // The event loop ran all the while.
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        // The owner is taken for hung: text/uri-list is not even asked for.
        QCOMPARE(device->log->received, QStringList({"text/plain", "text/plain", "text/html"}));
        // The owner still holds the clipboard: not empty, and not what arrived of it either.
        QVERIFY(!changed.wait(200));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(clipboard->mimeData(QClipboard::Clipboard)->formats(), QStringList{"text/plain"});
        QCOMPARE(bytesOf(clipboard->mimeData(QClipboard::Clipboard), "text/plain"), "before");
    }

    void onlyAWholeOfferOrAGoneOwnerIsAChange_data()
    {
        QTest::addColumn<Content>("content");
        QTest::addColumn<QStringList>("stalledTypes");
        QTest::addColumn<bool>("noDescriptors");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<bool>("isChange");
        QTest::addColumn<QStringList>("formats");
        QTest::addColumn<QString>("warning");

        const QByteArray png = QByteArray::fromHex("89504e470d0a1a0a") + QByteArray(100, 'p');
        QTest::newRow("owner silent on its only format")
            << Content{{"text/plain", ""}} << QStringList{"text/plain"} << false << QStringList{"text/plain"}
            << false << QStringList()
            << "The clipboard's owner sent nothing for \"text/plain\" in 200 ms: its offer is not taken";
        // A copy without its picture is not what the user copied; the owner keeps the clipboard.
        QTest::newRow("silent on the only picture after the text")
            << Content{{"image/png", ""}, {"text/plain", "t"}} << QStringList{"image/png"} << false
            << QStringList{"text/plain", "image/png"} << false << QStringList()
            << "The clipboard's owner sent nothing for \"image/png\" in 200 ms: its offer is not taken";
        // The picture is there: what is missing is the same picture once more.
        QTest::newRow("silent on a further encoding of the picture")
            << Content{{"image/png", png}, {"image/bmp", ""}, {"image/jpeg", "j"}, {"text/html", "<img>"}}
            << QStringList{"image/bmp"} << false << QStringList{"text/html", "image/png", "image/bmp"} << true
            << QStringList{"text/html", "image/png"}
            << "The clipboard's owner sent nothing for \"image/bmp\" in 200 ms: the offer is taken without "
               "it and the picture formats after it";
        QTest::newRow("no pipe to be had") << Content{{"text/plain", "t"}} << QStringList() << true
                                           << QStringList() << false << QStringList()
                                           << "Could not read \"text/plain\" from the clipboard (no pipe: "
                                              "Too many open files): its offer is "
                                              "not taken";
        QTest::newRow("only names that are no MIME types")
            << Content{{"TARGETS", "x"}, {"UTF8_STRING", "t"}} << QStringList() << false << QStringList()
            << false << QStringList() << QString();
        // Nothing to paste: as empty as no offer at all.
        QTest::newRow("an offer without types")
            << Content{} << QStringList() << false << QStringList() << true << QStringList() << QString();
    }

    void onlyAWholeOfferOrAGoneOwnerIsAChange()
    {
        QFETCH(Content, content);
        QFETCH(QStringList, stalledTypes);
        QFETCH(bool, noDescriptors);
        QFETCH(QStringList, asked);
        QFETCH(bool, isChange);
        QFETCH(QStringList, formats);
        QFETCH(QString, warning);

        makeClipboard(true, 200);
        QSignalSpy changed(clipboard.get(), &KSystemClipboard::changed);
        device->offer(QClipboard::Clipboard, {{"text/plain", "before"}});
        QVERIFY(changed.wait());
        changed.clear();
        device->log->received.clear();

        if (!warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
        rlimit limit = {};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &limit), 0);
        if (noDescriptors) {
            // The lowest free descriptor is the first one past the limit: no new one can be made.
            const int lowestFree = ::dup(0);
            ::close(lowestFree);
            rlimit none = limit;
            none.rlim_cur = rlim_t(lowestFree);
            QCOMPARE(::setrlimit(RLIMIT_NOFILE, &none), 0);
        }
        device->offer(QClipboard::Clipboard, content, ownerStallingOn(stalledTypes, content));
        if (noDescriptors)
            QCOMPARE(::setrlimit(RLIMIT_NOFILE, &limit), 0);
        QTRY_COMPARE(device->log->offersDestroyed, 2);
        QCOMPARE(device->log->received, asked);

        QTest::qWait(50);
        QCOMPARE(changed.count(), isChange ? 1 : 0);
        const QMimeData *mime = clipboard->mimeData(QClipboard::Clipboard);
        if (isChange) {
            QCOMPARE(mime->formats(), formats);
            for (const auto &entry : content)
                QCOMPARE(mime->data(entry.first),
                         formats.contains(entry.first) ? entry.second : QByteArray());
        } else {
            QCOMPARE(mime->formats(), QStringList{"text/plain"});
            QCOMPARE(mime->data("text/plain"), "before");
        }
    }

    void readsTheHintFirstAndMimeTypesOnly_data()
    {
        QTest::addColumn<Content>("content");
        QTest::addColumn<QStringList>("asked");

        const QString hint = QStringLiteral("x-kde-passwordManagerHint");
        QTest::newRow("a secret listed after its text")
            << Content{{"text/plain", "hunter2"}, {"text/html", "<b>hunter2</b>"}, {hint, "secret"}}
            << QStringList{hint};
        QTest::newRow("a hint that marks no secret")
            << Content{{"text/plain", "public"}, {hint, "accepted"}} << QStringList{hint, "text/plain"};
        QTest::newRow("platform names skipped, pictures last")
            << Content{{"image/png", "p"},
                       {"SAVE_TARGETS", ""},
                       {"text/plain", "t"},
                       {"TEXT", "t"},
                       {"text/html", "h"}}
            << QStringList{"text/plain", "text/html", "image/png"};
        QTest::newRow("one bitmap of its names")
            << Content{{"image/x-bmp", "b"}, {"image/bmp", "b"}, {"image/x-MS-bmp", "b"}}
            << QStringList{"image/bmp"};
    }

    void readsTheHintFirstAndMimeTypesOnly()
    {
        QFETCH(Content, content);
        QFETCH(QStringList, asked);
        makeClipboard();
        QSignalSpy changed(clipboard.get(), &KSystemClipboard::changed);
        device->offer(QClipboard::Clipboard, content);
        QVERIFY(changed.wait());
        QCOMPARE(device->log->received, asked);
        // What was read, and only that, is the offer.
        const QMimeData *mime = clipboard->mimeData(QClipboard::Clipboard);
        QCOMPARE(mime->formats(), asked);
        for (const auto &entry : content)
            QCOMPARE(mime->data(entry.first), asked.contains(entry.first) ? entry.second : QByteArray());
    }

    void thePrimarySelectionIsReadOnlyWhileWatched()
    {
        makeClipboard(true, 200, 30000, false);
        QSignalSpy changed(clipboard.get(), &KSystemClipboard::changed);
        device->offer(QClipboard::Selection, {{"text/plain", "selected"}});
        device->offer(QClipboard::Clipboard, {{"text/plain", "copied"}});
        QVERIFY(changed.wait());
        QTest::qWait(50);
        // The clipboard is read; not a byte of the selection.
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().first().value<QClipboard::Mode>(), QClipboard::Clipboard);
        QCOMPARE(device->log->received, QStringList{"text/plain"});
        QVERIFY(clipboard->mimeData(QClipboard::Selection)->formats().isEmpty());

        // Watched from now on: what the selection holds now is read and reported.
        clipboard->setSelectionWatched(true);
        QVERIFY(changed.wait());
        QCOMPARE(changed.last().first().value<QClipboard::Mode>(), QClipboard::Selection);
        QCOMPARE(bytesOf(clipboard->mimeData(QClipboard::Selection), "text/plain"), "selected");

        // Not watched again: a new selection is neither read nor reported, and what was read of the
        // one before no longer answers for it.
        clipboard->setSelectionWatched(false);
        changed.clear();
        device->log->received.clear();
        device->offer(QClipboard::Selection, {{"text/plain", "unseen"}});
        QTest::qWait(100);
        QCOMPARE(changed.count(), 0);
        QVERIFY(device->log->received.isEmpty());
        QVERIFY(clipboard->mimeData(QClipboard::Selection)->formats().isEmpty());
        device->clear(QClipboard::Selection);
        QCOMPARE(changed.count(), 0);

        // Our own writes to it still go out.
        auto *mime = new QMimeData;
        mime->setData("text/plain", "ours");
        clipboard->setMimeData(mime, QClipboard::Selection);
        QVERIFY(device->lastSource(QClipboard::Selection));
        QCOMPARE(clipboard->mimeData(QClipboard::Selection), mime);
    }

    void anOfferLargerThanTheBoundIsNotTaken()
    {
        makeClipboard(true, 2000);
        QSignalSpy changed(clipboard.get(), &KSystemClipboard::changed);
        device->offer(QClipboard::Clipboard, {{"text/plain", "before the flood"}});
        QVERIFY(changed.wait());

        // An owner that streams without end, as fast as the pipe takes it, until the reader goes.
        int writer = -1;
        device->offer(QClipboard::Clipboard, {{"text/plain", ""}, {"text/html", "<p>"}},
                      [&writer](const QString &type, int fd) {
                          if (type == "text/plain")
                              writer = fd;
                          else
                              ::close(fd);
                      });
        QVERIFY(writer >= 0);
        ::fcntl(writer, F_SETFL, ::fcntl(writer, F_GETFL) | O_NONBLOCK);
        const auto previous = std::signal(SIGPIPE, SIG_IGN);
        const QByteArray piece(1024 * 1024, 'x');
        qint64 written = 0;
        bool readerGone = false;
        QSocketNotifier writable(writer, QSocketNotifier::Write);
        connect(&writable, &QSocketNotifier::activated, this, [&] {
            for (;;) {
                const ssize_t count = ::write(writer, piece.constData(), piece.size());
                if (count > 0) {
                    written += count;
                    continue;
                }
                if (count < 0 && errno == EPIPE) {
                    readerGone = true;
                    writable.setEnabled(false);
                }
                return;
            }
        });
        QTest::ignoreMessage(QtWarningMsg,
                             "The clipboard's owner offers more than 256 MiB: its offer is not taken");
        QTRY_VERIFY_WITH_TIMEOUT(readerGone, 60000);
        writable.setEnabled(false);
        ::close(writer);
        std::signal(SIGPIPE, previous);

        // Given up at the bound, not at the end of memory; no change, the content before stays.
        QVERIFY2(written > KSystemClipboard::maximumOfferSize &&
                     written < 2 * KSystemClipboard::maximumOfferSize,
                 qPrintable(QString::number(written)));
        QVERIFY(!changed.wait(300));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(bytesOf(clipboard->mimeData(QClipboard::Clipboard), "text/plain"), "before the flood");
        // The first offer's text, then this one's: text/html is not asked for.
        QCOMPARE(device->log->received, QStringList({"text/plain", "text/plain"}));
    }

    void aSlowOwnerWithinTheTimeoutIsReadWhole()
    {
        makeClipboard(true, 300);
        QSignalSpy changed(clipboard.get(), &KSystemClipboard::changed);
        int writer = -1;
        device->offer(QClipboard::Clipboard, {{"text/plain", ""}},
                      [&writer](const QString &, int fd) { writer = fd; });
        QVERIFY(writer >= 0);
        // Five pieces, 150 ms apart: 750 ms in all, but never 300 ms of silence.
        QByteArray expected;
        for (int piece = 0; piece < 5; ++piece) {
            QTest::qWait(150);
            const QByteArray bytes = QByteArray::number(piece).repeated(1000);
            QCOMPARE(::write(writer, bytes.constData(), bytes.size()), bytes.size());
            expected += bytes;
            QCOMPARE(changed.count(), 0);
        }
        ::close(writer);
        QTRY_COMPARE(changed.count(), 1);
        QCOMPARE(bytesOf(clipboard->mimeData(QClipboard::Clipboard), "text/plain"), expected);
    }

    void startUpReadsInPlaceWithinItsBound()
    {
        // Start-up waits for the content of the moment without the event loop...
        makeClipboard(true, 5000);
        device->offer(QClipboard::Clipboard, {{"text/plain", "already there"}, {"text/html", "<b>"}});
        QVERIFY(clipboard->waitForReads(1000));
        QCOMPARE(bytesOf(clipboard->mimeData(QClipboard::Clipboard), "text/plain"), "already there");
        QCOMPARE(bytesOf(clipboard->mimeData(QClipboard::Clipboard), "text/html"), "<b>");

        // ... but no longer than it says, even when the owner's own time-out is longer.
        device->offer(QClipboard::Selection, {{"text/plain", ""}}, stall());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!clipboard->waitForReads(200));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    }

    void aWithdrawnDeviceKeepsTheLastContent()
    {
        makeClipboard();
        device->offer(QClipboard::Clipboard, {{"text/plain", "last"}});
        QTRY_VERIFY(clipboard->mimeData(QClipboard::Clipboard)->hasText());
        auto *mime = new QMimeData;
        mime->setData("text/plain", "mine");
        clipboard->setMimeData(mime, QClipboard::Selection);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("withdrew the clipboard"));
        device->finish(); // deletes the fake
        device = nullptr;
        QCOMPARE(bytesOf(clipboard->mimeData(QClipboard::Clipboard), "text/plain"), "last");
        QCOMPARE(clipboard->mimeData(QClipboard::Selection), mime);
        auto *later = new QMimeData;
        later->setData("text/plain", "later");
        clipboard->setMimeData(later, QClipboard::Clipboard);
        QCOMPARE(clipboard->mimeData(QClipboard::Clipboard), later);
    }

    void aStalledPasteNeitherBlocksNorKills()
    {
        // The default action of SIGPIPE ends the process: a write into a pipe whose reader has gone
        // must not raise it.
        const auto previous = std::signal(SIGPIPE, SIG_DFL);
        int ends[2];
        QCOMPARE(::pipe(ends), 0);
        const QByteArray big(8 * 1024 * 1024, 'y');
        auto *writer = new PipeWriter(ends[1], "image/png", big, 30000);
        QSignalSpy finished(writer, &PipeWriter::finished);
        QElapsedTimer clock;
        clock.start();
        writer->start();
        // Filled the pipe and came back at once: the rest waits for room.
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(finished.count(), 0);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ticker.start(10);
        QTest::qWait(300);
        QVERIFY(ticks >= 10);
        // The reader takes a little, then goes away.
        char some[4096];
        QCOMPARE(::read(ends[0], some, sizeof some), qsizetype(sizeof some));
        ::close(ends[0]);
        QVERIFY(finished.wait(2000));
        std::signal(SIGPIPE, previous);

        // A reader that takes nothing at all is given up after the write time-out.
        QCOMPARE(::pipe(ends), 0);
        auto *stalled = new PipeWriter(ends[1], "text/plain", big, 200);
        QSignalSpy gaveUp(stalled, &PipeWriter::finished);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("A paste of \"text/plain\" took nothing .* for 200 ms"));
        stalled->start();
        QVERIFY(gaveUp.wait(2000));
        // Its end of the pipe is closed: the reader sees the end of the data.
        char rest[65536];
        ssize_t count;
        while ((count = ::read(ends[0], rest, sizeof rest)) > 0) {
        }
        QCOMPARE(count, 0);
        ::close(ends[0]);
    }
};

QTEST_MAIN(TestWaylandBackend)
#include "tst_wayland_backend.moc"
