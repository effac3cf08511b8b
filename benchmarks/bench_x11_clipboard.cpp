// SPDX-License-Identifier: GPL-2.0-or-later

// Measures the X11 clipboard reader with the real history model, on a real X display:
//   - the GUI thread's longest stall while a Qt program's 1920 x 1080 picture (twelve encodings,
//     24 MB) is read and captured, from the copy until the history row is current;
//   - the time from the owner's notification reaching this process to the new row in the model,
//     for text copied by xclip, median and 90th percentile.
// Offers are read on the reader's own thread, or with --reader gui on the GUI thread (the design
// the thread was measured against).
//
//   xvfb-run -a bench-x11-clipboard [--reader own|gui] [--pictures N] [--copies N]
//
// Settings go to a temporary folder; the history is not stored while measuring.

#include "clipboardwrap.h"
#include "ksystemclipboard_x11.h"
#include "model.h"
#include "preferences.h"
#include "stallmeter.h"
#include "startup.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImage>
#include <QMimeData>
#include <QMutex>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <poll.h>
#include <time.h>
#include <vector>

namespace {

using namespace StallMeasure;

// Plays the Qt program that copies a picture; the copy's number changes the picture, so that every copy
// is a new history item.
int copyPicture(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const int number = app.arguments().value(2).toInt();
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x + number) & 0xff, y & 0xff, (x ^ y) & 0xff));
    }
    auto mime = new QMimeData;
    mime->setImageData(image);
    QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

// When the X server's notifications of a new clipboard owner reach this process: a connection
// and thread of its own, so that nothing of the program under measurement delays it.
class NotificationClock : public QThread
{
public:
    ~NotificationClock() override
    {
        stopping = true;
        wait();
    }

    // The arrival of the first notification at or after the given moment.
    std::optional<Clock::time_point> firstSince(Clock::time_point since)
    {
        QMutexLocker locker(&mutex);
        for (Clock::time_point arrival : std::as_const(arrivals)) {
            if (arrival >= since)
                return arrival;
        }
        return std::nullopt;
    }

    bool ready() const { return watching; }

protected:
    void run() override
    {
        xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
        const xcb_query_extension_reply_t *xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
        std::free(
            xcb_xfixes_query_version_reply(connection, xcb_xfixes_query_version(connection, 5, 0), nullptr));
        xcb_intern_atom_reply_t *clipboard =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, false, 9, "CLIPBOARD"), nullptr);
        const xcb_window_t window = xcb_generate_id(connection);
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_xfixes_select_selection_input(connection, window, clipboard->atom,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
        std::free(clipboard);
        xcb_flush(connection);
        watching = true;
        pollfd socket{xcb_get_file_descriptor(connection), POLLIN, 0};
        while (!stopping) {
            ::poll(&socket, 1, 100);
            while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
                if ((event->response_type & 0x7f) == xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY) {
                    QMutexLocker locker(&mutex);
                    arrivals.append(Clock::now());
                }
                std::free(event);
            }
        }
        xcb_disconnect(connection);
    }

private:
    QMutex mutex;
    QList<Clock::time_point> arrivals;
    std::atomic<bool> stopping = false;
    std::atomic<bool> watching = false;
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--copy-picture") == 0)
        return copyPicture(argc, argv);

    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const auto option = [&arguments](const QString &name, const QString &fallback) {
        const qsizetype at = arguments.indexOf(name);
        return at > 0 ? arguments.value(at + 1, fallback) : fallback;
    };
    const bool onGuiThread =
        option(QStringLiteral("--reader"), QStringLiteral("own")) == QLatin1String("gui");
    const int pictures = std::max(1, option(QStringLiteral("--pictures"), QStringLiteral("5")).toInt());
    const int copies = std::max(1, option(QStringLiteral("--copies"), QStringLiteral("200")).toInt());

    QTemporaryDir settingsFolder;
    Morv::StartUp::setIdentity();
    Morv::StartUp::setApplicationDefaults();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    Morv::Preferences *preferences = Morv::Preferences::instance();
    preferences->setValue(QStringLiteral("synchronizeHistory"), false);
    preferences->setValue(QStringLiteral("historyCount"), 99);
    preferences->sync();

    std::unique_ptr<X11SystemClipboard> clipboard = X11SystemClipboard::create(
        onGuiThread ? X11SystemClipboard::ReaderThread::Gui : X11SystemClipboard::ReaderThread::Own);
    if (!clipboard) {
        std::fprintf(stderr, "bench-x11-clipboard: needs an X display with XFixes\n");
        return 1;
    }
    KSystemClipboard::setInstance(std::move(clipboard));
    Morv::Model model;
    NotificationClock notifications;
    notifications.start();
    waitFor([&] { return notifications.ready(); }, 5000);

    // The history row of a copy is current once the model has inserted or moved it to the top.
    int rowEvents = 0;
    Clock::time_point rowTime;
    const auto rowChanged = [&] {
        ++rowEvents;
        rowTime = Clock::now();
    };
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, &model, rowChanged);
    QObject::connect(&model, &QAbstractItemModel::rowsMoved, &model, rowChanged);

    QTextStream out(stdout);
    out << QStringLiteral("reader on %1 thread\n").arg(onGuiThread ? "the GUI" : "its own");
    out << "| what | median | slowest or p90 | target |\n|---|---|---|---|\n";

    // What the event loop looks like with nothing to do but the meter, on this machine now.
    StallMeter meter;
    meter.start();
    waitFor([] { return false; }, 2000);
    out << QStringLiteral("| longest GUI stall with nothing to do (2 s) | %1 ms | | |\n")
               .arg(meter.stop(), 0, 'f', 1);

    QList<double> stalls;
    QList<double> guiCpu;
    QList<double> pictureTimes;
    // Every painter lives to the end: one that exits empties the clipboard, and the restore that
    // follows would be one more owner change.
    std::vector<std::unique_ptr<QProcess>> painters;
    for (int run = 0; run < pictures; ++run) {
        painters.push_back(std::make_unique<QProcess>());
        QProcess &painter = *painters.back();
        const int seen = rowEvents;
        const Clock::time_point started = Clock::now();
        painter.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--copy-picture"), QString::number(run)});
        // From here: starting the painter forks this process, which with pictures in the history
        // takes a few ms of its own.
        meter.start();
        const double cpuBefore = threadCpuMs();
        if (!waitFor([&] { return rowEvents > seen; }, 60000)) {
            std::fprintf(stderr, "bench-x11-clipboard: the picture was not captured\n");
            return 1;
        }
        stalls.append(meter.stop());
        guiCpu.append(threadCpuMs() - cpuBefore);
        if (const auto arrival = notifications.firstSince(started))
            pictureTimes.append(msBetween(*arrival, rowTime));
    }
    out << QStringLiteral(
               "| longest GUI stall, 1920 x 1080 picture in 12 encodings | %1 ms | %2 ms | <= 16 ms |\n")
               .arg(percentile(stalls, 0.5), 0, 'f', 1)
               .arg(percentile(stalls, 1.0), 0, 'f', 1);
    out << QStringLiteral(
               "| picture: CPU time of the GUI thread, from the copy to the row | %1 ms | %2 ms | |\n")
               .arg(percentile(guiCpu, 0.5), 0, 'f', 1)
               .arg(percentile(guiCpu, 1.0), 0, 'f', 1);
    out << QStringLiteral("| picture: notification to row | %1 ms | %2 ms | |\n")
               .arg(percentile(pictureTimes, 0.5), 0, 'f', 0)
               .arg(percentile(pictureTimes, 1.0), 0, 'f', 0);
    out.flush();

    // xclip forks into the background right after it has taken the clipboard, and answers the
    // first request only once the fork is done; with -quiet it stays in the foreground and
    // answers at once, which shows what the reader itself adds.
    for (const bool forks : {true, false}) {
        QList<double> latencies;
        std::unique_ptr<QProcess> previous;
        for (int copy = 0; copy < copies; ++copy) {
            auto xclip = std::make_unique<QProcess>();
            xclip->setStandardErrorFile(QProcess::nullDevice());
            const int seen = rowEvents;
            const Clock::time_point started = Clock::now();
            QStringList arguments{QStringLiteral("-selection"), QStringLiteral("clipboard")};
            if (!forks)
                arguments.prepend(QStringLiteral("-quiet"));
            xclip->start(QStringLiteral("xclip"), arguments);
            xclip->write(QStringLiteral("copy number %1 of the benchmark, %2").arg(copy).arg(forks).toUtf8());
            xclip->closeWriteChannel();
            if (!waitFor([&] { return rowEvents > seen; }, 10000)) {
                std::fprintf(stderr, "bench-x11-clipboard: copy %d was not captured\n", copy);
                return 1;
            }
            // The clock's thread may be scheduled after the row, on a loaded machine.
            waitFor([&] { return notifications.firstSince(started).has_value(); }, 1000);
            if (const auto arrival = notifications.firstSince(started))
                latencies.append(msBetween(*arrival, rowTime));
            // The one in the foreground ends when the next copy takes the clipboard.
            if (previous)
                previous->waitForFinished();
            previous = std::move(xclip);
        }
        out << QStringLiteral(
                   "| text copied by %1: notification to row (%2 copies) | %3 ms | p90 %4 ms | %5 |\n")
                   .arg(forks ? QStringLiteral("xclip") : QStringLiteral("xclip -quiet (no fork)"))
                   .arg(latencies.size())
                   .arg(percentile(latencies, 0.5), 0, 'f', 2)
                   .arg(percentile(latencies, 0.9), 0, 'f', 2)
                   .arg(forks ? QStringLiteral("<= 5 ms") : QString());
        out.flush();
        if (previous && !forks) {
            previous->kill();
            previous->waitForFinished();
        }
    }
    for (const auto &painter : painters) {
        painter->kill();
        painter->waitForFinished();
    }
    return 0;
}
