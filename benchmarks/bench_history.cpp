// SPDX-License-Identifier: GPL-2.0-or-later

// Measures the history's hot paths at its largest size (99 items):
//   capture of a new item (duplicate search, insertion, trim, handing the save to its thread), the
//   save itself, a preference change synced, the model reads of one menu rebuild, and loading the
//   stored history at start-up; for text items and, with --images, for items of 1 MB PNG bytes
//   offered with two more formats. Prints medians and the peak memory.
//
//   bench-history [--images] [--runs N]
//
// Runs on Qt's offscreen platform with an in-process clipboard and a temporary settings file.

#include "clipboardwrap.h"
#include "historystore.h"
#include "item.h"
#include "ksystemclipboard_fake.h"
#include "model.h"
#include "preferences.h"
#include "startup.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

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

qint64 peakMemoryKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

QByteArray noisePng(quint32 pattern, int side)
{
    QImage image(side, side, QImage::Format_RGB32);
    QRandomGenerator random(pattern);
    for (int y = 0; y < side; ++y) {
        auto line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < side; ++x)
            line[x] = random.generate();
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 0);
    return png;
}

// One offer as a Qt program makes it on X11: the PNG and the same picture in two more formats.
QMimeData *imageOffer(quint32 pattern)
{
    const QByteArray png = noisePng(pattern, 512); // about 1 MB of incompressible pixels
    return FakeSystemClipboard::mimeData({{QStringLiteral("image/png"), png},
                                          {QStringLiteral("application/x-qt-image"), png},
                                          {QStringLiteral("image/bmp"), png}});
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

void report(QTextStream &out, const QString &what, const Figures &figures, const QString &target)
{
    out << QStringLiteral("| %1 | %2 ms | %3 ms | %4 |\n")
               .arg(what)
               .arg(figures.median, 0, 'f', 3)
               .arg(figures.slowest, 0, 'f', 3)
               .arg(target);
    out.flush();
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
        // Filled without a save after every capture (the measured captures below do save): each
        // save rewrites the whole file, which would make the filling itself quadratic.
        preferences->setValue(QStringLiteral("synchronizeHistory"), false);
        for (int i = 0; i < historySize; ++i) {
            clipboard->simulateCopy(offer(), QClipboard::Clipboard, FakeSystemClipboard::Report::Silent);
            capture(&model);
        }
        Q_ASSERT(model.rowCount() == historySize);
        preferences->setValue(QStringLiteral("synchronizeHistory"), true);

        // Each run captures a new item: the duplicate search finds nothing, the insertion pushes
        // the oldest item out, and the save is handed to its thread. The save of the run before is
        // usually still being written meanwhile, on the other core.
        report(out,
               QStringLiteral(
                   "capture a new %1 item into a full history (the save is written in the background)")
                   .arg(kind),
               measure(
                   runs,
                   [&] {
                       clipboard->simulateCopy(offer(), QClipboard::Clipboard,
                                               FakeSystemClipboard::Report::Silent);
                   },
                   [&] { capture(&model); }),
               QStringLiteral("≤ 5 ms"));
        QElapsedTimer drain;
        drain.start();
        preferences->waitForBackgroundSave();
        out << QStringLiteral("| the last background save, waited for after the captures | %1 ms | | |\n")
                   .arg(drain.nsecsElapsed() / 1e6, 0, 'f', 3);

        // Two histories in turn: a save of what the file holds already is skipped.
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
                   runs, [] {}, [&] { preferences->saveHistory(++turn % 2 ? rotated : history); }),
               QString());

        // At exit the model saves what the last background save wrote already.
        report(out,
               QStringLiteral("the save at exit, the background save being current (%1 items)").arg(kind),
               measure(
                   runs,
                   [&] {
                       preferences->saveHistory(rotated);
                       preferences->saveHistoryInBackground(history);
                       preferences->waitForBackgroundSave();
                   },
                   [&] { preferences->saveHistory(history); }),
               QString());

        report(
            out,
            QStringLiteral("a preference change synced, with %1 %2 items stored").arg(historySize).arg(kind),
            measure(
                runs, [] {},
                [&] {
                    preferences->setValue(QStringLiteral("trim"), ++turn % 2 == 0);
                    preferences->sync();
                }),
            QString());

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
    } // the model stores the history here

    // Loading at start-up parses the file and decodes every stored content. QSettings keeps parsed
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
                   QFile::remove(copyName);
                   copyName = storedInfo.absolutePath() + QStringLiteral("/copy-%1.ini").arg(++copy);
                   QFile::copy(stored, copyName);
               },
               [&] {
                   QSettings settings(copyName, QSettings::IniFormat);
                   loaded = Morv::HistoryStore::loadHistory(settings);
               }),
           images ? QStringLiteral("none yet") : QStringLiteral("≤ 20 ms"));
    QFile::remove(copyName);
    out << QStringLiteral("| settings file with %1 %2 items | %3 KB | | |\n")
               .arg(loaded.size())
               .arg(kind)
               .arg(QFileInfo(stored).size() / 1024);
    out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const bool images = arguments.contains(QStringLiteral("--images"));
    const int runsAt = arguments.indexOf(QStringLiteral("--runs"));
    const int runs = runsAt > 0 ? std::max(1, arguments.value(runsAt + 1).toInt()) : (images ? 5 : 101);

    QTemporaryDir settingsFolder;
    Morv::StartUp::setIdentity();
    Morv::StartUp::setApplicationDefaults();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    FakeSystemClipboard::install();

    QTextStream out(stdout);
    out << "| what | median | slowest | target |\n|---|---|---|---|\n";
    run(false, runs, out);
    if (images)
        run(true, runs, out);
    out << QStringLiteral("| peak memory (VmHWM) | %1 MB | | |\n").arg(peakMemoryKiB() / 1024.0, 0, 'f', 0);
    return 0;
}
