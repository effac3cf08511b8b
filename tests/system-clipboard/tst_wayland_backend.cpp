// SPDX-License-Identifier: GPL-2.0-or-later

#include "datacontroldevice_wayland.h"
#include "fakedatacontroldevice.h"
#include "ksystemclipboard_wayland.h"
#include "offersnapshotsource.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QImage>
#include <QMimeData>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
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

// Reads a pipe to its end on this thread without running the event loop, as Qt's Wayland
// clipboard does when a window of ours pastes; nothing when the writer has not finished in time.
std::optional<QByteArray> readBlocking(int fd, int timeout = 5000)
{
    QByteArray bytes;
    const QDeadlineTimer deadline(timeout);
    for (;;) {
        pollfd readable = {fd, POLLIN, 0};
        if (::poll(&readable, 1, int(deadline.remainingTime())) <= 0)
            break;
        char chunk[65536];
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count > 0) {
            bytes.append(chunk, count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        ::close(fd);
        if (count < 0)
            return std::nullopt;
        return bytes;
    }
    ::close(fd);
    return std::nullopt;
}

QByteArray bytesOf(const QMimeData *mime, const QString &format)
{
    return mime ? mime->data(format) : QByteArray();
}

// Mime data that makes its own snapshot, as the history's does: its text at once, its picture as
// bytes to be waited for. Notes what is asked of it, and on which thread.
class SnapshotMimeData
    : public QMimeData
    , public OfferSnapshotSource
{
public:
    static QByteArray picture()
    {
        QByteArray bytes(3 * 1024 * 1024 + 5, Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 7 + i / 4093);
        return bytes;
    }

    QStringList formats() const override
    {
        return {QStringLiteral("text/plain"), QStringLiteral("image/png")};
    }

    OfferSnapshot snapshot() const override
    {
        OfferSnapshot content;
        content.add(QStringLiteral("text/plain"), "snapshot text");
        content.addPending(QStringLiteral("image/png"), [asked = pendingAsked] {
            const std::lock_guard lock(asked->mutex);
            asked->threads.append(QThread::currentThread());
            return picture();
        });
        return content;
    }

    QList<QThread *> threadsAskedForPending() const
    {
        const std::lock_guard lock(pendingAsked->mutex);
        return pendingAsked->threads;
    }

    mutable int retrieved = 0;

protected:
    QVariant retrieveData(const QString &, QMetaType) const override
    {
        ++retrieved;
        return QByteArray("asked of the mime data");
    }

private:
    struct Asked
    {
        std::mutex mutex;
        QList<QThread *> threads;
    };
    const std::shared_ptr<Asked> pendingAsked = std::make_shared<Asked>();
};

// Collects the warnings given on any thread while it lives, instead of printing them.
class WarningRecorder
{
public:
    WarningRecorder()
    {
        const std::lock_guard lock(mutex);
        current = this;
        previous = qInstallMessageHandler(record);
    }

    ~WarningRecorder()
    {
        const std::lock_guard lock(mutex);
        qInstallMessageHandler(previous);
        current = nullptr;
    }

    bool contains(const QRegularExpression &pattern) const
    {
        const std::lock_guard lock(mutex);
        return !messages.filter(pattern).isEmpty();
    }

private:
    static void record(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        const std::lock_guard lock(mutex);
        if (current && type == QtWarningMsg)
            current->messages.append(message);
        else if (previous)
            previous(type, context, message);
    }

    static inline std::mutex mutex;
    static inline WarningRecorder *current = nullptr;
    static inline QtMessageHandler previous = nullptr;
    QStringList messages;
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
        auto fake = std::make_unique<FakeDataControlDevice>(primary, writeTimeout);
        device = fake.get();
        clipboard = std::make_unique<WaylandSystemClipboard>(std::move(fake), readTimeout);
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
        DataControlDevice::Source *source = device->lastSource(QClipboard::Clipboard);
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
        QTRY_COMPARE(device->log->sourcesDestroyed, 1);
        QVERIFY(device->lastSource(QClipboard::Clipboard) != source);
        source = device->lastSource(QClipboard::Clipboard);

        // Another client takes over: our source is cancelled (on the serving thread, which tells
        // the GUI thread), its offer is read and reported, though both arrive at once, in the
        // compositor's order, on different threads.
        device->cancel(source);
        device->offer(QClipboard::Clipboard, {{"text/plain", "theirs"}});
        QTRY_COMPARE(changed.count(), 1);
        QCOMPARE(bytesOf(clipboard->mimeData(QClipboard::Clipboard), "text/plain"), "theirs");
        QTRY_COMPARE(device->log->sourcesDestroyed, 2);

        // The same for a selection emptied by another client.
        auto *third = new QMimeData;
        third->setData("text/plain", "mine once more");
        clipboard->setMimeData(third, QClipboard::Clipboard);
        device->cancel(device->lastSource(QClipboard::Clipboard));
        device->clear(QClipboard::Clipboard);
        QTRY_COMPARE(changed.count(), 2);
        QVERIFY(clipboard->mimeData(QClipboard::Clipboard)->formats().isEmpty());
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
        DataControlDevice::Source *source = device->lastSource(QClipboard::Clipboard);
        QVERIFY(source);
        // Wayland programs ask for UTF-8 text by this name; it is offered beside text/plain.
        QCOMPARE(device->typesOf(source), QStringList({"text/plain", "text/html", "application/octet-stream",
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
        DataControlDevice::Source *imageSource = device->lastSource(QClipboard::Selection);
        QCOMPARE(device->typesOf(imageSource), QStringList({"image/png"}));
        const std::optional<QByteArray> png = drain(device->paste(imageSource, "image/png"));
        QVERIFY(png);
        QCOMPARE(QImage::fromData(*png, "PNG").convertToFormat(QImage::Format_RGB32), red);
    }

    void pastesAreServedWhileTheGuiThreadIsBlocked()
    {
        makeClipboard();
        auto *mime = new SnapshotMimeData;
        clipboard->setMimeData(mime, QClipboard::Clipboard);
        DataControlDevice::Source *source = device->lastSource(QClipboard::Clipboard);
        QVERIFY(source);
        QCOMPARE(device->typesOf(source),
                 QStringList({"text/plain", "image/png", "text/plain;charset=utf-8"}));

        // The GUI thread waits for the pastes without its event loop, as Qt's Wayland clipboard
        // does when one of our own windows pastes: the serving thread writes them all the same,
        // two at once, the large one through many pipe buffers, from the snapshot of the write.
        const int picture = device->paste(source, "image/png");
        const int text = device->paste(source, "text/plain;charset=utf-8");
        QCOMPARE(readBlocking(text), QByteArray("snapshot text"));
        QCOMPARE(readBlocking(picture), SnapshotMimeData::picture());
        // Nothing was asked of the mime data itself: the bytes came from its snapshot, the pending
        // picture on the serving thread.
        QCOMPARE(mime->retrieved, 0);
        const QList<QThread *> asked = mime->threadsAskedForPending();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.first() != QThread::currentThread());
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

    // Paused, no offer of either selection is read or reported, also one read under way at the
    // pause; resumed, the offers of that moment stay unread and the next one is read.
    void aPausedBackendReadsNothing()
    {
        makeClipboard(true, 2000);
        QSignalSpy changed(clipboard.get(), &KSystemClipboard::changed);
        device->offer(QClipboard::Clipboard, {{"text/plain", "before"}});
        QVERIFY(changed.wait());
        device->offer(QClipboard::Selection, {{"text/plain", "stalled"}}, stall());
        QTRY_VERIFY(!device->log->received.isEmpty());

        changed.clear();
        device->log->received.clear();
        clipboard->setReadingPaused(true);
        device->offer(QClipboard::Clipboard, {{"text/plain", "secret"}});
        device->offer(QClipboard::Selection, {{"text/plain", "selected"}});
        device->clear(QClipboard::Selection);
        QTest::qWait(100);
        QCOMPARE(changed.count(), 0);
        QVERIFY(device->log->received.isEmpty());
        QVERIFY(clipboard->mimeData(QClipboard::Clipboard)->formats().isEmpty());

        // Our own writes still go out.
        auto *mime = new QMimeData;
        mime->setData("text/plain", "ours");
        clipboard->setMimeData(mime, QClipboard::Clipboard);
        QCOMPARE(clipboard->mimeData(QClipboard::Clipboard), mime);
        device->cancel(device->lastSource(QClipboard::Clipboard));
        device->offer(QClipboard::Clipboard, {{"text/plain", "also secret"}});
        QVERIFY(clipboard->mimeData(QClipboard::Clipboard)->formats().isEmpty());

        clipboard->setReadingPaused(false);
        QTest::qWait(100);
        QCOMPARE(changed.count(), 0);
        QVERIFY(device->log->received.isEmpty());
        device->offer(QClipboard::Clipboard, {{"text/plain", "after"}});
        QVERIFY(changed.wait());
        QCOMPARE(bytesOf(clipboard->mimeData(QClipboard::Clipboard), "text/plain"), "after");
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
        makeClipboard(true, 200, 300);
        auto *mime = new QMimeData;
        const QByteArray big(8 * 1024 * 1024, 'y');
        mime->setData("image/png", big);
        mime->setData("text/plain", "small");
        clipboard->setMimeData(mime, QClipboard::Clipboard);
        DataControlDevice::Source *source = device->lastSource(QClipboard::Clipboard);
        QVERIFY(source);

        // The default action of SIGPIPE ends the process: a write into a pipe whose reader has gone
        // must not raise it.
        const auto previous = std::signal(SIGPIPE, SIG_DFL);
        const int leaving = device->paste(source, "image/png");
        // The paster takes a little, then goes away.
        pollfd readable = {leaving, POLLIN, 0};
        QCOMPARE(::poll(&readable, 1, 5000), 1);
        char some[4096];
        QCOMPARE(::read(leaving, some, sizeof some), qsizetype(sizeof some));
        ::close(leaving);
        // Others are served meanwhile, and after.
        QCOMPARE(readBlocking(device->paste(source, "text/plain")), QByteArray("small"));
        QTest::qWait(100);
        QCOMPARE(readBlocking(device->paste(source, "text/plain")), QByteArray("small"));
        std::signal(SIGPIPE, previous);

        // A paster that takes nothing at all is given up after the write time-out, and its end of
        // the pipe closed: it sees the end of the data.
        WarningRecorder warnings;
        const int stalled = device->paste(source, "image/png");
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(warnings.contains(QRegularExpression(
                                     "A paste of \"image/png\" took nothing .* for 300 ms: gave it up "
                                     "after \\d+ of 8388608 bytes")),
                                 5000);
        QVERIFY2(clock.elapsed() >= 250, qPrintable(QString::number(clock.elapsed())));
        ::fcntl(stalled, F_SETFL, ::fcntl(stalled, F_GETFL) | O_NONBLOCK);
        char rest[65536];
        ssize_t count;
        while ((count = ::read(stalled, rest, sizeof rest)) > 0) {
        }
        QCOMPARE(count, 0);
        ::close(stalled);
    }

    // Our content replaced again and again while pastes of it are in flight: each source goes on the
    // serving thread, never under a paste being served, and every paste gets the whole content of
    // the source it asked or nothing at all (a source already gone).
    void replacingOurContentUnderPastesIsSafe()
    {
        makeClipboard();
        std::atomic<bool> onGuiThread = false;
        const QThread *gui = QThread::currentThread();
        device->log->onSourceDestroyed = [&onGuiThread, gui] {
            if (QThread::currentThread() == gui)
                onGuiThread = true;
        };
        QList<QPair<int, QByteArray>> pastes;
        for (int round = 0; round < 200; ++round) {
            auto *mime = new QMimeData;
            const QByteArray content = QByteArray::number(round).repeated(20000 + round);
            mime->setData("application/octet-stream", content);
            clipboard->setMimeData(mime, round % 3 ? QClipboard::Clipboard : QClipboard::Selection);
            DataControlDevice::Source *source =
                device->lastSource(round % 3 ? QClipboard::Clipboard : QClipboard::Selection);
            pastes.append({device->paste(source, "application/octet-stream"), content});
            if (round % 7 == 0)
                device->cancel(source);
            // Every so often the pastes in flight are read, the others wait.
            if (round % 10 == 9) {
                for (const auto &paste : std::as_const(pastes)) {
                    const std::optional<QByteArray> got = readBlocking(paste.first);
                    QVERIFY(got);
                    QVERIFY(got->isEmpty() || *got == paste.second);
                }
                pastes.clear();
            }
        }
        for (const auto &paste : std::as_const(pastes))
            QVERIFY(readBlocking(paste.first));
        // The ones replaced are gone, each on the serving thread; the last ones go with the device.
        QTRY_COMPARE(device->log->sourcesDestroyed, 198);
        QVERIFY(!onGuiThread);
        const std::shared_ptr<FakeDataControlDevice::Log> log = device->log;
        clipboard.reset();
        QCOMPARE(log->sourcesDestroyed, 200);
    }
};

QTEST_MAIN(TestWaylandBackend)
#include "tst_wayland_backend.moc"
