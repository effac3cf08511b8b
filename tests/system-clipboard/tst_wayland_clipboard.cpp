// SPDX-License-Identifier: GPL-2.0-or-later

#include "clipboardformats.h"
#include "datacontrolclient.h"
#include "datacontroldevice_wayland.h"
#include "ksystemclipboard.h"
#include "ksystemclipboard_wayland.h"
#include "shellcommand.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <wayland-client.h>

namespace {

using ShellCommand::run;
using ShellCommand::sha256;

// An 8000 x 8000 picture whose PNG is some 20 MB: noise keeps it from compressing to nothing.
QByteArray largePng()
{
    QImage image(8000, 8000, QImage::Format_RGB32);
    quint32 state = 1;
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            line[x] = 0xff000000u | quint32(x * 255 / 8000) << 16 | quint32(y * 255 / 8000) << 8 |
                      (state >> 31) * 3;
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 50);
    return png;
}

} // namespace

// The Wayland clipboard backend in a real session: a headless sway (from the test rig), with
// wl-copy and wl-paste as the other programs.
class TestWaylandClipboard : public QObject
{
    Q_OBJECT

private:
    KSystemClipboard *clipboard = nullptr;
    QTemporaryDir dir;
    QByteArray png;
    QString pngFile;

    // Waits until the clipboard holds the bytes under the type, and checks that this was reported.
    bool seen(QSignalSpy &changed, QClipboard::Mode mode, const QString &type, const QByteArray &bytes,
              int timeout = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeout) {
            const QMimeData *mime = clipboard->mimeData(mode);
            if (mime && mime->hasFormat(type) && mime->data(type) == bytes) {
                for (const QList<QVariant> &signal : std::as_const(changed)) {
                    if (signal.first().value<QClipboard::Mode>() == mode)
                        return true;
                }
            }
            QTest::qWait(10);
        }
        return false;
    }

    // Serves the owner's pastes until a change of the mode is reported; false after the time.
    static bool served(DataControlClient &owner, QSignalSpy &changed, QClipboard::Mode mode,
                       int timeout = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeout) {
            owner.serve();
            for (const QList<QVariant> &signal : std::as_const(changed)) {
                if (signal.first().value<QClipboard::Mode>() == mode)
                    return true;
            }
            QTest::qWait(10);
        }
        return false;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        clipboard = KSystemClipboard::instance();
        QVERIFY2(qobject_cast<WaylandSystemClipboard *>(clipboard), clipboard->metaObject()->className());
        clipboard->setSelectionWatched(true);
        QVERIFY(dir.isValid());
        png = largePng();
        QVERIFY(png.size() > 10 * 1024 * 1024);
        pngFile = dir.filePath(QStringLiteral("large.png"));
        QFile file(pngFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(png), png.size());
    }

    void choosesTheDataControlProtocolOnSway()
    {
        // sway 1.7 offers wlr data-control version 2 and no ext; sway 1.10 and later offer both,
        // and ext is taken. Either way the primary selection is there.
        const std::optional<QByteArray> globals = run(QStringLiteral("wayland-info"));
        QVERIFY(globals);
        const bool extOffered = globals->contains("ext_data_control_manager_v1");
        wl_display *display = wl_display_connect(nullptr);
        QVERIFY(display);
        WaylandDataControl::Protocol chosen = WaylandDataControl::Protocol::None;
        std::unique_ptr<DataControlDevice> device = WaylandDataControl::connect(display, &chosen);
        QVERIFY(device);
        QCOMPARE(chosen, extOffered ? WaylandDataControl::Protocol::Ext : WaylandDataControl::Protocol::Wlr);
        // Which protocol the Wayland tests of this run go through, for the log.
        qInfo("the compositor offers %s data-control; the backend speaks %s",
              extOffered ? "ext and wlr" : "wlr",
              chosen == WaylandDataControl::Protocol::Ext ? "ext" : "wlr");
        QVERIFY(device->hasPrimarySelection());
        device.reset();
        wl_display_disconnect(display);
        QVERIFY(clipboard->mimeData(QClipboard::Selection));
        QVERIFY(!clipboard->mimeData(QClipboard::FindBuffer));
    }

    void seesCopiesOfOtherPrograms_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QClipboard::Mode>("mode");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("text") << "printf 'hello wayland' | wl-copy" << QClipboard::Clipboard << "text/plain"
                              << QByteArray("hello wayland");
        QTest::newRow("html") << "printf '<b>bold</b>' | wl-copy --type text/html" << QClipboard::Clipboard
                              << "text/html" << QByteArray("<b>bold</b>");
        QTest::newRow("primary selection")
            << "printf 'selected words' | wl-copy --primary" << QClipboard::Selection << "text/plain"
            << QByteArray("selected words");
        QTest::newRow("8000 x 8000 png") << QStringLiteral("wl-copy --type image/png < '%1'").arg(pngFile)
                                         << QClipboard::Clipboard << "image/png" << png;
    }

    void seesCopiesOfOtherPrograms()
    {
        QFETCH(QString, command);
        QFETCH(QClipboard::Mode, mode);
        QFETCH(QString, type);
        QFETCH(QByteArray, bytes);
        QSignalSpy changed(clipboard, &KSystemClipboard::changed);
        QVERIFY(run(command));
        QVERIFY(seen(changed, mode, type, bytes, 60000));
        const QMimeData *mime = clipboard->mimeData(mode);
        const std::optional<QByteArray> listed =
            run(mode == QClipboard::Selection ? "wl-paste --primary --list-types" : "wl-paste --list-types");
        QVERIFY(listed);
        // Every type wl-copy offers that the history keeps is there, with its bytes; X11's names
        // (TEXT, STRING, UTF8_STRING) are not read.
        QStringList formats = mime->formats();
        formats.sort();
        QStringList kept = ClipboardFormats::kept(QString::fromUtf8(*listed).split('\n', Qt::SkipEmptyParts));
        kept.sort();
        QCOMPARE(formats, kept);
        QVERIFY(!kept.isEmpty());
        if (type == "text/html")
            QVERIFY(mime->hasHtml());
        if (type == "text/plain") {
            QCOMPARE(mime->text(), QString::fromUtf8(bytes));
            QCOMPARE(mime->data("text/plain;charset=utf-8"), bytes);
        }
    }

    void emptiedClipboardIsReported()
    {
        // The owner quits.
        QSignalSpy changed(clipboard, &KSystemClipboard::changed);
        QProcess owner;
        owner.start(QStringLiteral("wl-copy"),
                    {QStringLiteral("--foreground"), QStringLiteral("short-lived")});
        QVERIFY(seen(changed, QClipboard::Clipboard, "text/plain", "short-lived"));
        changed.clear();
        owner.terminate();
        QVERIFY(owner.waitForFinished(5000));
        QTRY_VERIFY(!changed.isEmpty());
        QCOMPARE(changed.last().first().value<QClipboard::Mode>(), QClipboard::Clipboard);
        QVERIFY(clipboard->mimeData(QClipboard::Clipboard));
        QVERIFY(clipboard->mimeData(QClipboard::Clipboard)->formats().isEmpty());

        // Someone clears the primary selection.
        QVERIFY(run("printf 'to be cleared' | wl-copy --primary"));
        QVERIFY(seen(changed, QClipboard::Selection, "text/plain", "to be cleared"));
        changed.clear();
        QVERIFY(run("wl-copy --primary --clear"));
        QTRY_VERIFY(!changed.isEmpty());
        QCOMPARE(changed.last().first().value<QClipboard::Mode>(), QClipboard::Selection);
        QVERIFY(clipboard->mimeData(QClipboard::Selection)->formats().isEmpty());
    }

    void servesOwnContentToEveryPaste()
    {
        QSignalSpy changed(clipboard, &KSystemClipboard::changed);
        auto *mime = new QMimeData;
        mime->setData("text/plain", "morv-clip says hi");
        mime->setData("text/html", "<p>morv-clip says <b>hi</b></p>");
        mime->setData("image/png", png);
        clipboard->setMimeData(mime, QClipboard::Clipboard);
        QCOMPARE(clipboard->mimeData(QClipboard::Clipboard), mime);

        for (int paste = 0; paste < 3; ++paste) {
            QCOMPARE(run("wl-paste --no-newline"), QByteArray("morv-clip says hi"));
            QCOMPARE(run("wl-paste --no-newline --type text/html"),
                     QByteArray("<p>morv-clip says <b>hi</b></p>"));
            QCOMPARE(run("wl-paste --type image/png | sha256sum | cut -d' ' -f1"), sha256(png) + '\n');
        }
        const std::optional<QByteArray> types = run("wl-paste --list-types");
        QVERIFY(types);
        QStringList listed = QString::fromUtf8(*types).split('\n', Qt::SkipEmptyParts);
        listed.sort();
        QCOMPARE(listed, QStringList({"image/png", "text/html", "text/plain", "text/plain;charset=utf-8"}));

        // Our content on the primary selection, at the same time.
        auto *selected = new QMimeData;
        selected->setData("text/plain", "primary of ours");
        clipboard->setMimeData(selected, QClipboard::Selection);
        QCOMPARE(run("wl-paste --primary --no-newline"), QByteArray("primary of ours"));
        QCOMPARE(run("wl-paste --no-newline"), QByteArray("morv-clip says hi"));

        // Neither write, nor its echo from the compositor, nor the pastes were a change made by
        // someone else; and nothing keeps going back and forth.
        QTest::qWait(300);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(clipboard->mimeData(QClipboard::Clipboard), mime);
        QCOMPARE(clipboard->mimeData(QClipboard::Selection), selected);

        // Once someone else copies, their content is what we see.
        QVERIFY(run("printf 'taken over' | wl-copy"));
        QVERIFY(seen(changed, QClipboard::Clipboard, "text/plain", "taken over"));
        QCOMPARE(clipboard->mimeData(QClipboard::Selection), selected);
    }

    void contentOfTheMomentIsThereAtStart()
    {
        QSignalSpy changed(clipboard, &KSystemClipboard::changed);
        QVERIFY(run("printf 'before start' | wl-copy"));
        QVERIFY(seen(changed, QClipboard::Clipboard, "text/plain", "before start"));
        // A backend made now knows the content when create() returns, without the event loop.
        std::unique_ptr<WaylandSystemClipboard> fresh = WaylandSystemClipboard::create();
        QVERIFY(fresh);
        QCOMPARE(fresh->mimeData(QClipboard::Clipboard)->data("text/plain"), "before start");
    }

    void aReaderThatNeverReadsDoesNotFreeze()
    {
        auto *mime = new QMimeData;
        mime->setData("text/plain", "still served");
        mime->setData("application/octet-stream", QByteArray(16 * 1024 * 1024, 'z'));
        clipboard->setMimeData(mime, QClipboard::Clipboard);

        // wl-paste writes into a fifo that nobody drains: it stops reading from us once the fifo
        // is full, and our pipe to it fills up too.
        const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("never-read")));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        const int fifoReader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(fifoReader >= 0);
        QProcess stuck;
        stuck.start(
            QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("exec wl-paste --type application/octet-stream > '%1'")
                                       .arg(QString::fromLocal8Bit(fifo))});
        QVERIFY(stuck.waitForStarted());

        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ticker.start(20);
        QTest::qWait(1000);
        QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
        QCOMPARE(stuck.state(), QProcess::Running);
        // Other pastes are served meanwhile.
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(run("wl-paste --no-newline --type text/plain"), QByteArray("still served"));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));

        // The reader gives up: our write fails with EPIPE, which must not end us with SIGPIPE.
        stuck.kill();
        QVERIFY(stuck.waitForFinished(5000));
        QTest::qWait(200);
        ::close(fifoReader);
        QCOMPARE(run("wl-paste --no-newline --type text/plain"), QByteArray("still served"));
    }

    void anOwnerThatNeverWritesDoesNotFreeze()
    {
        QSignalSpy changed(clipboard, &KSystemClipboard::changed);
        QVERIFY(run("printf 'before the hang' | wl-copy"));
        QVERIFY(seen(changed, QClipboard::Clipboard, "text/plain", "before the hang"));
        changed.clear();
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ticker.start(20);

        QTest::ignoreMessage(QtWarningMsg,
                             "The clipboard's owner sent nothing for \"text/plain\" in 2000 ms: "
                             "its offer is not taken");
        DataControlClient hung;
        QVERIFY(hung.isConnected());
        QVERIFY(hung.offer(QClipboard::Clipboard, {"text/plain", "image/png"}));
        // The event loop keeps running while the read waits for the silent owner.
        QTest::qWait(1000);
        QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
        // Past the read time-out: the owner still holds the clipboard, busy. That is no change, and
        // certainly not an empty clipboard.
        QTest::qWait(KSystemClipboard::defaultReadTimeout + 500);
        hung.serve();
        QCOMPARE(hung.asked, QStringList{"text/plain"});
        QCOMPARE(changed.count(), 0);
        QCOMPARE(clipboard->mimeData(QClipboard::Clipboard)->data("text/plain"), "before the hang");

        // The program is fine afterwards.
        QVERIFY(run("printf 'after the hang' | wl-copy"));
        QVERIFY(seen(changed, QClipboard::Clipboard, "text/plain", "after the hang"));
    }

    void aSecretIsNotRead()
    {
        // A password manager that lists the password before its hint.
        QSignalSpy changed(clipboard, &KSystemClipboard::changed);
        const QString hint = QStringLiteral("x-kde-passwordManagerHint");
        DataControlClient manager;
        QVERIFY(manager.offer(QClipboard::Clipboard, {"text/plain", "UTF8_STRING", hint},
                              {{"text/plain", "hunter2"}, {"UTF8_STRING", "hunter2"}, {hint, "secret"}}));
        QVERIFY(served(manager, changed, QClipboard::Clipboard));
        QCOMPARE(manager.asked, QStringList{hint});
        QCOMPARE(clipboard->mimeData(QClipboard::Clipboard)->formats(), QStringList{hint});
        QCOMPARE(clipboard->mimeData(QClipboard::Clipboard)->data("text/plain"), QByteArray());
    }

    void thePrimarySelectionIsReadOnlyWhileWatched()
    {
        clipboard->setSelectionWatched(false);
        QSignalSpy changed(clipboard, &KSystemClipboard::changed);
        DataControlClient selecting;
        QVERIFY(
            selecting.offer(QClipboard::Selection, {"text/plain"}, {{"text/plain", "selected by mouse"}}));
        // Long enough for any read to reach the owner: nothing is asked of it.
        QVERIFY(!served(selecting, changed, QClipboard::Selection, 1000));
        QCOMPARE(selecting.asked, QStringList());
        QVERIFY(clipboard->mimeData(QClipboard::Selection)->formats().isEmpty());
        // wl-copy's selection neither.
        QVERIFY(run("printf 'selected in a terminal' | wl-copy --primary"));
        QTest::qWait(500);
        for (const QList<QVariant> &signal : std::as_const(changed))
            QCOMPARE(signal.first().value<QClipboard::Mode>(), QClipboard::Clipboard);
        QVERIFY(clipboard->mimeData(QClipboard::Selection)->formats().isEmpty());

        // Watched: what it holds now is read.
        clipboard->setSelectionWatched(true);
        QVERIFY(seen(changed, QClipboard::Selection, "text/plain", "selected in a terminal"));
        QVERIFY(selecting.offer(QClipboard::Selection, {"text/plain"}, {{"text/plain", "selected again"}}));
        changed.clear();
        QVERIFY(served(selecting, changed, QClipboard::Selection));
        QCOMPARE(selecting.asked, QStringList{"text/plain"});
        QCOMPARE(clipboard->mimeData(QClipboard::Selection)->data("text/plain"), "selected again");
    }
};

QTEST_MAIN(TestWaylandClipboard)
#include "tst_wayland_clipboard.moc"
