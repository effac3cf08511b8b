// SPDX-License-Identifier: GPL-2.0-or-later

// Measures the previews of pictures ("showPreviews") over a history of 99 stored pictures:
//   - the first start with the previews on, while the thumbnails of all 99 pictures are made: the
//     longest stall of the GUI thread, how long until all are made, the memory it adds (against a
//     start with the previews off);
//   - the next start, which reads the thumbnails back: the same, and how many pictures it decoded;
//   - opening the menu, previews on and off: the model's data() for the 99 rows, and the rebuild
//     of the real menu view (its actions made from the model).
//
//   bench-previews [--runs N] [--size PIXELS] [--keep FOLDER]
//
// Each picture is offered as a Qt program offers it on X11: a PNG of noise of PIXELS x PIXELS
// (592 by default, about 1 MB), with two more formats of noise of the same size. Runs on Qt's
// offscreen platform unless QT_QPA_PLATFORM says otherwise, with an in-process clipboard and
// temporary settings and data folders (FOLDER/config and FOLDER/data with --keep).

#include "ksystemclipboard_fake.h"
#include "model.h"
#include "picturepreviews.h"
#include "preferences.h"
#include "qfilteringmenuview.h"
#include "stallmeter.h"
#include "startup.h"
#include "thumbnailstore.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>

namespace {

constexpr int historySize = 99;

using StallMeasure::StallMeter;

qint64 memoryKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

QByteArray noise(quint32 pattern, qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(pattern);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

QMimeData *pictureOffer(quint32 pattern, int pixels)
{
    QImage image(pixels, pixels, QImage::Format_RGB32);
    QRandomGenerator random(pattern);
    for (int y = 0; y < pixels; ++y)
        random.fillRange(reinterpret_cast<quint32 *>(image.scanLine(y)), pixels);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 0);
    return FakeSystemClipboard::mimeData(
        {{QStringLiteral("image/png"), png},
         {QStringLiteral("application/x-qt-image"), noise(pattern, png.size())},
         {QStringLiteral("image/bmp"), noise(~pattern, png.size())}});
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed()) : QString();
}

struct Figures
{
    double median = 0;
    double slowest = 0;
};

Figures measure(int runs, const std::function<void()> &work)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        times.append(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times.at(times.size() / 2), times.last()};
}

void row(const QString &what, const QString &value, const QString &target = QString())
{
    QTextStream(stdout) << QStringLiteral("| %1 | %2 | %3 |\n").arg(what, value, target);
}

QString ms(double value)
{
    return QStringLiteral("%1 ms").arg(value, 0, 'f', 2);
}

QString ms(const Figures &figures)
{
    return QStringLiteral("%1 ms (slowest %2 ms)")
        .arg(figures.median, 0, 'f', 3)
        .arg(figures.slowest, 0, 'f', 3);
}

int thumbnailFiles()
{
    return int(QDir(Morv::ThumbnailStore::folder()).entryList(QDir::Files).size());
}

// A start of the program on the stored history, in a process of its own: "off", "first" (the
// thumbnails are made) or "next" (they are read back).
int startUp(const QString &kind, int runs)
{
    FakeSystemClipboard::install();
    Morv::Preferences *preferences = Morv::Preferences::instance();
    const bool previews = kind != QLatin1String("off");
    preferences->setValue(QStringLiteral("showPreviews"), previews);
    preferences->sync();
    if (previews)
        Morv::PicturePreviews::instance(); // the thread, and Qt's image plugins, before the figures
    const qint64 before = memoryKiB("VmRSS:");

    QElapsedTimer clock;
    clock.start();
    Morv::Model model;
    const double loaded = clock.nsecsElapsed() / 1e6;
    // From the end of the start-up on: what the making of the thumbnails costs the GUI thread.
    StallMeter stalls;
    stalls.start();
    const int decodedBefore = Morv::PicturePreviews::decodeCount();
    const double cpuBefore = StallMeasure::threadCpuMs();
    // Until every preview is made and its thumbnails written (8 s with the previews off, about
    // as long as the first start with the previews on takes here). The folder is listed at most
    // every 50 ms: listing it at every tick of the 1 ms timer would cost the GUI thread more than
    // what is measured.
    QElapsedTimer listed;
    listed.start();
    StallMeasure::waitFor(
        [&] {
            if (!previews)
                return clock.elapsed() > 8000;
            if (Morv::PicturePreviews::instance()->pendingCount() > 0 || listed.elapsed() < 50)
                return false;
            listed.restart();
            return thumbnailFiles() >= 2 * historySize;
        },
        600000);
    const double madeIn = clock.nsecsElapsed() / 1e6;
    // A little more, for what was handed to the GUI thread last.
    QElapsedTimer settle;
    settle.start();
    StallMeasure::waitFor([&] { return settle.elapsed() > 200; }, 1000);
    const double longest = stalls.stop();
    const qint64 after = memoryKiB("VmRSS:");
    const double cpu = StallMeasure::threadCpuMs() - cpuBefore;

    const QString what = kind == QLatin1String("off")     ? QStringLiteral("previews off")
                         : kind == QLatin1String("first") ? QStringLiteral("first start, thumbnails made")
                                                          : QStringLiteral("next start, thumbnails read");
    row(QStringLiteral("%1: the history model built on %2 stored pictures").arg(what).arg(model.rowCount()),
        ms(loaded));
    if (previews) {
        row(QStringLiteral("%1: from the start until all %2 are ready").arg(what).arg(historySize),
            ms(madeIn));
        row(QStringLiteral("%1: pictures decoded").arg(what),
            QString::number(Morv::PicturePreviews::decodeCount() - decodedBefore));
    }
    row(QStringLiteral("%1: longest GUI stall from the end of the start-up until then (previews off: 8 s)")
            .arg(what),
        ms(longest), QStringLiteral("≤ 16 ms"));
    row(QStringLiteral("%1: gaps of the 1 ms timer longer than 16 ms meanwhile").arg(what),
        QString::number(stalls.gapsLongerThan16Ms()));
    row(QStringLiteral("%1: most processor time the GUI thread used between two ticks (its own work, "
                       "whatever the load)")
            .arg(what),
        ms(stalls.busiest()), QStringLiteral("≤ 16 ms"));
    row(QStringLiteral("%1: CPU time of the GUI thread meanwhile (the 1 ms timer included)").arg(what),
        ms(cpu));
    row(QStringLiteral("%1: load average then").arg(what), loadAverage());
    row(QStringLiteral("%1: resident memory after start-up (VmRSS)").arg(what),
        QStringLiteral("%1 MB (%2 MB more than before the model)")
            .arg(after / 1024.0, 0, 'f', 1)
            .arg((after - before) / 1024.0, 0, 'f', 1));

    if (kind == QLatin1String("next")) {
        qint64 thumbnailBytes = 0;
        const QDir folder(Morv::ThumbnailStore::folder());
        for (const QFileInfo &file : folder.entryInfoList(QDir::Files))
            thumbnailBytes += file.size();
        row(QStringLiteral("thumbnails on the disk (icon and preview of %1 pictures)").arg(historySize),
            QStringLiteral("%1 KB (icons %2 KB each)")
                .arg(thumbnailBytes / 1024)
                .arg(QFileInfo(folder.filePath(folder.entryList({QStringLiteral("*.icon.png")}).value(0)))
                             .size() /
                         1024.0,
                     0, 'f', 1));

        // Opening the menu: the model's answers, and the real menu view's rebuild.
        const auto readRows = [&] {
            for (int i = 0; i < model.rowCount(); ++i) {
                const QModelIndex index = model.index(i);
                model.data(index, Qt::DisplayRole);
                model.data(index, Qt::DecorationRole);
                model.data(index, Qt::ToolTipRole);
                model.data(index, Qt::FontRole);
                model.flags(index);
            }
        };
        QFilteringMenuView menu;
        menu.setModel(&model);
        menu.setFilterRole(Morv::Model::TextRole);
        const auto rebuild = [&] { Q_EMIT menu.aboutToShow(); };
        for (const bool on : {false, true, false, true}) {
            preferences->setValue(QStringLiteral("showPreviews"), on);
            readRows();
            rebuild();
            const QString state = on ? QStringLiteral("previews on") : QStringLiteral("previews off");
            row(QStringLiteral("menu: data() for %1 picture rows, %2").arg(historySize).arg(state),
                ms(measure(runs * 10, readRows)));
            row(QStringLiteral("menu: the view's rebuild (%1 actions from the model), %2")
                    .arg(historySize)
                    .arg(state),
                ms(measure(runs, [&] {
                    rebuild();
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                })));
        }
        // The rebuild and the menu painted whole, its icons and texts (into a pixmap: the style's
        // drawing, without the display server's), off and on in turns, so that a change of the
        // machine's load meanwhile weighs on both alike.
        QList<double> paintedOff;
        QList<double> paintedOn;
        for (int i = 0; i < runs * 2; ++i) {
            const bool on = i % 2 == 1;
            preferences->setValue(QStringLiteral("showPreviews"), on);
            QElapsedTimer clock;
            clock.start();
            rebuild();
            menu.grab();
            (on ? paintedOn : paintedOff).append(clock.nsecsElapsed() / 1e6);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        for (const bool on : {false, true}) {
            const QList<double> &times = on ? paintedOn : paintedOff;
            row(QStringLiteral("menu: the view's rebuild and the menu painted (%1 x %2 pixels), %3, in turns")
                    .arg(menu.width())
                    .arg(menu.height())
                    .arg(on ? QStringLiteral("previews on") : QStringLiteral("previews off")),
                QStringLiteral("%1 ms (a quarter of the runs under %2 ms)")
                    .arg(StallMeasure::percentile(times, 0.5), 0, 'f', 3)
                    .arg(StallMeasure::percentile(times, 0.25), 0, 'f', 3));
        }
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool child = argc >= 5 && qstrcmp(argv[1], "--start-up") == 0;
    QTemporaryDir temporary;
    QDir folder(temporary.path());
    int runs = 21;
    int pixels = 592;
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--keep") == 0)
            folder.setPath(QFile::decodeName(argv[i + 1]));
        if (qstrcmp(argv[i], "--runs") == 0)
            runs = std::max(1, atoi(argv[i + 1]));
        if (qstrcmp(argv[i], "--size") == 0)
            pixels = std::max(16, atoi(argv[i + 1]));
    }
    const QString data = child ? QFile::decodeName(argv[3]) : folder.filePath(QStringLiteral("data"));
    const QString config = child ? QFile::decodeName(argv[4]) : folder.filePath(QStringLiteral("config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    QApplication app(argc, argv);
    Morv::StartUp::setIdentity();
    Morv::StartUp::setApplicationDefaults();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
    if (child && qstrcmp(argv[2], "store") != 0)
        return startUp(QString::fromLatin1(argv[2]), runs);
    if (!child) {
        // Every step in a process of its own: the one that stores the history holds the storage
        // lock for life.
        QTextStream(stdout) << "| what | figure | target |\n|---|---|---|\n";
        for (const char *kind : {"store", "off", "first", "next"}) {
            QProcess start;
            start.setProcessChannelMode(QProcess::ForwardedChannels);
            start.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--start-up"), QString::fromLatin1(kind), data, config,
                         QStringLiteral("--runs"), QString::number(runs), QStringLiteral("--size"),
                         QString::number(pixels)});
            start.waitForFinished(-1);
        }
        return 0;
    }

    FakeSystemClipboard::install();
    FakeSystemClipboard *clipboard = qobject_cast<FakeSystemClipboard *>(KSystemClipboard::instance());
    Morv::Preferences *preferences = Morv::Preferences::instance();
    preferences->clear();
    preferences->setValue(QStringLiteral("historyCount"), historySize);
    preferences->sync();
    {
        Morv::Model model;
        for (int i = 0; i < historySize; ++i) {
            clipboard->simulateCopy(pictureOffer(quint32(i + 1), pixels), QClipboard::Clipboard,
                                    FakeSystemClipboard::Report::Silent);
            QMetaObject::invokeMethod(&model, "clipboard_changed", Qt::DirectConnection,
                                      Q_ARG(QClipboard::Mode, QClipboard::Clipboard));
            preferences->waitForBackgroundSave();
        }
    }
    QDir(Morv::ThumbnailStore::folder()).removeRecursively();
    row(QStringLiteral("%1 pictures of %2 x %2 pixels stored; load average").arg(historySize).arg(pixels),
        loadAverage());
    return 0;
}
