// SPDX-License-Identifier: GPL-2.0-or-later

// Measures the history's hot paths at its largest size (99 items):
//   capture of a new item (duplicate search, insertion, trim, handing the save to its thread), the
//   save itself, a preference change synced, the model reads of one menu rebuild, and loading the
//   stored history at start-up; for text items and, with --images, for items of three 1 MB
//   formats of incompressible picture bytes. With --images it also measures a big picture offered
//   in 12 encodings, how long a PNG copy takes to reach the disk, the disk the history takes, and,
//   in a process of its own, the start of the history model on the stored images.
//
//   bench-history [--images] [--runs N] [--keep FOLDER]
//
// Runs on Qt's offscreen platform with an in-process clipboard and temporary settings and data
// folders; with --keep, in FOLDER/config and FOLDER/data, which stay (to start the real program on
// the stored history: XDG_CONFIG_HOME=FOLDER/config XDG_DATA_HOME=FOLDER/data morv-clip).

#include "contentfilestore.h"
#include "historystore.h"
#include "item.h"
#include "ksystemclipboard_fake.h"
#include "model.h"
#include "preferences.h"
#include "startup.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <sys/stat.h>

namespace {

constexpr int historySize = 99;

struct Figures
{
    double median = 0;
    double slowest = 0;
};

Figures measure(int runs, const std::function<void()> &prepare, const std::function<void()> &work)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer clock;
        clock.start();
        work();
        times.append(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times.at(times.size() / 2), times.last()};
}

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

QByteArray noisePng(quint32 pattern, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(pattern);
    for (int y = 0; y < height; ++y)
        random.fillRange(reinterpret_cast<quint32 *>(image.scanLine(y)), width);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 0);
    return png;
}

// One offer as a Qt program makes it on X11: a picture in three formats of about 1 MB each, all
// different bytes (none is stored twice).
QMimeData *imageOffer(quint32 pattern)
{
    const QByteArray png = noisePng(pattern, 592, 592);
    return FakeSystemClipboard::mimeData(
        {{QStringLiteral("image/png"), png},
         {QStringLiteral("application/x-qt-image"), noise(pattern, png.size())},
         {QStringLiteral("image/bmp"), noise(~pattern, png.size())}});
}

QMimeData *textOffer(int n)
{
    return FakeSystemClipboard::mimeData(
        {{QStringLiteral("text/plain"),
          QStringLiteral("Copied text number %1, a line of ordinary length for a menu").arg(n).toUtf8()}});
}

void capture(Morv::Model *model)
{
    QMetaObject::invokeMethod(model, "clipboard_changed", Qt::DirectConnection,
                              Q_ARG(QClipboard::Mode, QClipboard::Clipboard));
}

void report(QTextStream &out, const QString &what, const Figures &figures, const QString &target = QString())
{
    out << QStringLiteral("| %1 | %2 ms | %3 ms | %4 |\n")
               .arg(what)
               .arg(figures.median, 0, 'f', 3)
               .arg(figures.slowest, 0, 'f', 3)
               .arg(target);
    out.flush();
}

void reportValue(QTextStream &out, const QString &what, const QString &value,
                 const QString &target = QString())
{
    out << QStringLiteral("| %1 | %2 | | %3 |\n").arg(what, value, target);
    out.flush();
}

// Bytes the content files take on the disk, and the bytes they hold.
std::pair<qint64, qint64> contentFileUsage()
{
    qint64 disk = 0;
    qint64 bytes = 0;
    const QDir folder(Morv::ContentFileStore::folder());
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
        struct stat status;
        if (::stat(QFile::encodeName(folder.filePath(name)).constData(), &status) == 0) {
            disk += qint64(status.st_blocks) * 512;
            bytes += status.st_size;
        }
    }
    return {disk, bytes};
}

void run(bool images, int runs, QTextStream &out)
{
    FakeSystemClipboard *clipboard = qobject_cast<FakeSystemClipboard *>(KSystemClipboard::instance());
    Morv::Preferences *preferences = Morv::Preferences::instance();
    preferences->clear();
    preferences->setValue(QStringLiteral("historyCount"), historySize);
    preferences->sync();
    clipboard->reset();

    int next = 0;
    auto offer = [&] { return images ? imageOffer(quint32(++next)) : textOffer(++next); };
    const QString kind = images ? QStringLiteral("image") : QStringLiteral("text");

    {
        Morv::Model model;
        for (int i = 0; i < historySize; ++i) {
            clipboard->simulateCopy(offer(), QClipboard::Clipboard, FakeSystemClipboard::Report::Silent);
            capture(&model);
        }
        preferences->waitForBackgroundSave();
        Q_ASSERT(model.rowCount() == historySize);

        // Each run captures a new item: the duplicate search finds nothing, the insertion pushes
        // the oldest item out, and the save is handed to its thread.
        QList<double> drains;
        report(out,
               QStringLiteral(
                   "capture a new %1 item into a full history (the save is written in the background)")
                   .arg(kind),
               measure(
                   runs,
                   [&] {
                       QElapsedTimer drain;
                       drain.start();
                       preferences->waitForBackgroundSave();
                       if (next > historySize + 1)
                           drains.append(drain.nsecsElapsed() / 1e6);
                       clipboard->simulateCopy(offer(), QClipboard::Clipboard,
                                               FakeSystemClipboard::Report::Silent);
                   },
                   [&] { capture(&model); }),
               QStringLiteral("≤ 5 ms"));
        {
            QElapsedTimer drain;
            drain.start();
            preferences->waitForBackgroundSave();
            drains.append(drain.nsecsElapsed() / 1e6);
            std::sort(drains.begin(), drains.end());
            report(out,
                   QStringLiteral("the background save of that capture, waited for (hash, content files, "
                                  "settings file, removal of the oldest item's files)"),
                   {drains.at(drains.size() / 2), drains.last()});
        }

        // Two histories in turn, every content stored already: the settings file alone.
        const QList<Morv::Item> history = preferences->loadHistory();
        QList<Morv::Item> rotated = history;
        rotated.move(0, rotated.size() - 1);
        int turn = 0;
        report(out,
               QStringLiteral(
                   "the save itself: write the %1 %2 items (background thread; at exit the GUI thread)")
                   .arg(history.size())
                   .arg(kind),
               measure(
                   runs, [] {}, [&] { preferences->saveHistory(++turn % 2 ? rotated : history); }));

        report(out,
               QStringLiteral("a preference change synced (the dialog's OK), with %1 %2 items stored")
                   .arg(historySize)
                   .arg(kind),
               measure(
                   runs, [] {},
                   [&] {
                       preferences->setValue(QStringLiteral("trim"), ++turn % 2 == 0);
                       preferences->sync();
                   }),
               images ? QStringLiteral("≤ 20 ms") : QString());

        report(out,
               QStringLiteral("menu rebuild: data() for %1 %2 rows, four roles and flags")
                   .arg(historySize)
                   .arg(kind),
               measure(
                   runs * 10, [] {},
                   [&] {
                       for (int row = 0; row < model.rowCount(); ++row) {
                           const QModelIndex index = model.index(row);
                           model.data(index, Qt::DisplayRole);
                           model.data(index, Qt::DecorationRole);
                           model.data(index, Qt::ToolTipRole);
                           model.data(index, Qt::FontRole);
                           model.flags(index);
                       }
                   }),
               QStringLiteral("≤ 2 ms"));

        if (images) {
            // A 1920 x 1080 picture copied from a Qt program: 12 encodings, 24 MB.
            report(out, QStringLiteral("capture a 1920 x 1080 picture offered in 12 encodings (24 MB)"),
                   measure(
                       runs,
                       [&] {
                           preferences->waitForBackgroundSave();
                           QList<std::pair<QString, QByteArray>> formats;
                           for (int i = 0; i < 12; ++i)
                               formats.append({QStringLiteral("image/x-encoding-%1").arg(i),
                                               noise(quint32(++next), 2 * 1024 * 1024)});
                           clipboard->simulateCopy(FakeSystemClipboard::mimeData(formats),
                                                   QClipboard::Clipboard,
                                                   FakeSystemClipboard::Report::Silent);
                       },
                       [&] { capture(&model); }),
                   QStringLiteral("≤ 16 ms"));

            // From the copy to a settings file that names the picture's content file.
            const QByteArray screenshot = noisePng(0x5c4ee, 1064, 1064);
            report(out,
                   QStringLiteral("a %1 MB PNG copy on disk (capture, hash, content file, settings file)")
                       .arg(screenshot.size() / 1e6, 0, 'f', 1),
                   measure(
                       runs,
                       [&] {
                           preferences->waitForBackgroundSave();
                           QByteArray png = screenshot;
                           png[png.size() - 1] = char(++next); // a new picture each time
                           clipboard->simulateCopy(
                               FakeSystemClipboard::mimeData({{QStringLiteral("image/png"), png}}),
                               QClipboard::Clipboard, FakeSystemClipboard::Report::Silent);
                       },
                       [&] {
                           capture(&model);
                           preferences->waitForBackgroundSave();
                       }),
                   QStringLiteral("≤ 150 ms"));

            // Back to 99 items of three formats, for the figures below.
            for (int i = 0; i < historySize; ++i) {
                clipboard->simulateCopy(offer(), QClipboard::Clipboard, FakeSystemClipboard::Report::Silent);
                capture(&model);
            }
            preferences->waitForBackgroundSave();
        }
    } // the model stores the history here

    // Loading at start-up parses the file and checks every content file. QSettings keeps parsed
    // files cached by name, so every run reads a fresh copy.
    const QString stored = preferences->fileName();
    const QFileInfo storedInfo(stored);
    int copy = 0;
    QString copyName = storedInfo.absolutePath() + QStringLiteral("/copy-0.ini");
    QList<Morv::Item> loaded;
    report(out, QStringLiteral("load a stored history of %1 %2 items").arg(historySize).arg(kind),
           measure(
               runs,
               [&] {
                   loaded.clear();
                   QFile::remove(copyName);
                   copyName = storedInfo.absolutePath() + QStringLiteral("/copy-%1.ini").arg(++copy);
                   QFile::copy(stored, copyName);
               },
               [&] {
                   QSettings settings(copyName, QSettings::IniFormat);
                   loaded = Morv::HistoryStore::loadHistory(settings);
               }),
           QStringLiteral("≤ 20 ms"));
    QFile::remove(copyName);
    reportValue(out, QStringLiteral("settings file with %1 %2 items").arg(loaded.size()).arg(kind),
                QStringLiteral("%1 KB").arg(QFileInfo(stored).size() / 1024),
                images ? QStringLiteral("≤ 100 KB") : QString());
    if (images) {
        qint64 contents = 0;
        for (const Morv::Item &item : std::as_const(loaded)) {
            for (const Morv::LargeContent &large : item.largeContents())
                contents += large.size();
        }
        const auto [disk, bytes] = contentFileUsage();
        reportValue(out, QStringLiteral("content files on disk / the contents' bytes"),
                    QStringLiteral("%1 MB / %2 MB = %3 (files hold %4 MB)")
                        .arg(disk / 1e6, 0, 'f', 1)
                        .arg(contents / 1e6, 0, 'f', 1)
                        .arg(double(disk) / double(contents), 0, 'f', 3)
                        .arg(bytes / 1e6, 0, 'f', 1),
                    QStringLiteral("≤ 1.05"));
    }
}

// In a process of its own, on the history the parent stored: what the start of the program costs.
int startUp()
{
    FakeSystemClipboard::install();
    QElapsedTimer clock;
    clock.start();
    Morv::Model model;
    const double elapsed = clock.nsecsElapsed() / 1e6;
    Morv::Preferences::instance()->waitForBackgroundSave();
    QTextStream(stdout) << QStringLiteral(
                               "| start-up: the history model built on %1 stored rows | %2 ms | | ≤ 20 ms |\n"
                               "| resident memory after start-up (VmRSS, offscreen) | %3 MB | | ≤ 60 MB |\n")
                               .arg(model.rowCount())
                               .arg(elapsed, 0, 'f', 1)
                               .arg(memoryKiB("VmRSS:") / 1024.0, 0, 'f', 1);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool child = argc == 4 && qstrcmp(argv[1], "--start-up") == 0;
    QTemporaryDir temporary;
    QDir folder(temporary.path());
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--keep") == 0)
            folder.setPath(QFile::decodeName(argv[i + 1]));
    }
    // The content files go below the temporary folder too.
    qputenv("XDG_DATA_HOME",
            child ? QByteArray(argv[3]) : QFile::encodeName(folder.filePath(QStringLiteral("data"))));
    QApplication app(argc, argv);
    Morv::StartUp::setIdentity();
    Morv::StartUp::setApplicationDefaults();
    const QString settingsFolder =
        child ? QString::fromLocal8Bit(argv[2]) : folder.filePath(QStringLiteral("config"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder);
    // As the program finds its file: morv/morv-clip.ini below the folder.
    if (child)
        return startUp();

    const QStringList arguments = app.arguments();
    const bool images = arguments.contains(QStringLiteral("--images"));
    const int runsAt = arguments.indexOf(QStringLiteral("--runs"));
    const int runs = runsAt > 0 ? std::max(1, arguments.value(runsAt + 1).toInt()) : (images ? 11 : 101);
    FakeSystemClipboard::install();

    QTextStream out(stdout);
    out << "| what | median | slowest | target |\n|---|---|---|---|\n";
    run(false, runs, out);
    if (images) {
        run(true, runs, out);
        out << QStringLiteral("| peak memory of the benchmark (VmHWM) | %1 MB | | |\n")
                   .arg(memoryKiB("VmHWM:") / 1024.0, 0, 'f', 0);
        out.flush();
        QProcess startUpRun;
        startUpRun.setProcessChannelMode(QProcess::ForwardedChannels);
        startUpRun.start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--start-up"), settingsFolder, folder.filePath(QStringLiteral("data"))});
        startUpRun.waitForFinished(-1);
    }
    return 0;
}
