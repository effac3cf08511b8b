// SPDX-License-Identifier: GPL-2.0-or-later

// Measures choosing a stored picture of 100 MB in the history and pasting it into another program
// (xclip -o on a real X display; with --wayland, wl-paste under a Wayland compositor), with the
// real history model and clipboard backend:
//   - the GUI thread's longest stall from the choice until a paste has all the bytes: the paste
//     starts right after the choice, and is repeated every 20 ms until it gets them (a paste that
//     comes before the read ahead has ended gets a refusal);
//   - the same for a second paste, and for a new choice of the same entry (a text chosen between);
//     for the second paste also the processor time the GUI thread used meanwhile, which the load
//     of the machine does not change;
//   - with --wait-for-read, the first paste waits until the read ahead has ended, and the stall
//     until then is measured on its own;
//   - what reading and checking the file costs, done on the GUI thread as a paste once did.
//
//   xvfb-run -a bench-paste [--size MB] [--runs N] [--wait-for-read]
//   bench-paste --wayland [--size MB] [--runs N] [--wait-for-read]    (with WAYLAND_DISPLAY set)
//
// Settings and content files go to a temporary folder.

#include "clipboardwrap.h"
#include "contentfilestore.h"
#include "itemmimedata.h"
#include "model.h"
#include "noise.h"
#include "preferences.h"
#include "stallmeter.h"
#include "startup.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <ctime>

using Morv::ContentFileStore;
using namespace StallMeasure;

namespace {

const QString format = QStringLiteral("image/png");

struct Paste
{
    double stall = 0;   // ms, the longest of the GUI thread
    double elapsed = 0; // ms, from the choice (or the first try) to the bytes
    double busy = 0;    // ms of processor time the GUI thread used meanwhile
    int refused = 0;    // pastes that came before the read ahead had ended
};

// The processor time the calling thread has used, in ms: what the GUI thread spent, whatever the
// load of the machine.
double threadTime()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000 + double(now.tv_nsec) / 1e6;
}

// Runs the pastes. A shell started while this process is small starts them: forking this process,
// which holds the pictures read ahead, would cost the GUI thread milliseconds of its own.
class Paster
{
public:
    Paster(const QByteArray &command, const QString &into)
        : command(command)
        , into(into)
    {
        shell.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                           QStringLiteral("while read -r line; do eval \"$line\" >\"$0\" "
                                                          "2>/dev/null; echo $?; done"),
                                           into});
        shell.waitForStarted();
    }

    ~Paster()
    {
        shell.closeWriteChannel();
        shell.waitForFinished();
    }

    // Pastes until a paste gets all the bytes; false when none does within 60 s.
    bool paste(const QByteArray &expectedHash, qint64 size, Paste *result)
    {
        StallMeter meter;
        const Clock::time_point started = Clock::now();
        const double busyBefore = threadTime();
        meter.start();
        bool pasted = false;
        while (!pasted && msBetween(started, Clock::now()) < 60000) {
            shell.write(command + '\n');
            if (!waitFor([this] { return shell.canReadLine(); }, 60000))
                return false;
            pasted = shell.readLine().trimmed() == "0" && QFileInfo(into).size() == size;
            if (!pasted) {
                ++result->refused;
                waitFor([] { return false; }, 20);
            }
        }
        result->stall = meter.stop();
        result->elapsed = msBetween(started, Clock::now());
        result->busy = threadTime() - busyBefore;
        if (!pasted)
            return false;
        QFile file(into);
        return file.open(QIODevice::ReadOnly) && ContentFileStore::hash(file.readAll()) == expectedHash;
    }

private:
    const QByteArray command;
    const QString into;
    QProcess shell;
};

// Whether the picture on our clipboard has been read ahead: asked as a paste would, without waiting.
bool readAheadEnded()
{
    const auto *mime = qobject_cast<const Morv::ItemMimeData *>(
        Morv::ClipboardWrap::instance()->mimeData(QClipboard::Clipboard));
    return mime &&
           !mime->item().largeContents().value(format).bytesForPaste(format, QDeadlineTimer(0)).isNull();
}

// The row whose text holds the given one.
int rowOf(const Morv::Model &model, const QString &text)
{
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.data(model.index(row)).toString().contains(text))
            return row;
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool wayland = argc > 1 && qstrcmp(argv[1], "--wayland") == 0;
    qputenv("QT_QPA_PLATFORM", wayland ? "wayland" : "xcb");
    QTemporaryDir temporary;
    qputenv("XDG_DATA_HOME", QFile::encodeName(temporary.filePath(QStringLiteral("data"))));
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const auto option = [&arguments](const QString &name, int fallback) {
        const qsizetype at = arguments.indexOf(name);
        return at > 0 ? std::max(1, arguments.value(at + 1).toInt()) : fallback;
    };
    const qint64 size = qint64(option(QStringLiteral("--size"), 100)) * 1000 * 1000;
    const int runs = option(QStringLiteral("--runs"), 5);
    const bool waitForRead = arguments.contains(QStringLiteral("--wait-for-read"));

    Morv::StartUp::setIdentity();
    Morv::StartUp::setApplicationDefaults();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       temporary.filePath(QStringLiteral("config")));
    Morv::Preferences *preferences = Morv::Preferences::instance();
    preferences->setValue(QStringLiteral("synchronizeHistory"), false);
    preferences->setValue(QStringLiteral("historyCount"), 99);

    // One picture per run, each its own bytes, named in its text; and a text to choose between.
    QList<Morv::Item> items;
    QList<QByteArray> hashes;
    for (int run = 0; run < runs; ++run) {
        const QByteArray bytes = noise(quint32(run), size);
        hashes.append(ContentFileStore::hash(bytes));
        items.append(Morv::Item(
            QClipboard::Clipboard, Morv::Binary,
            {{format, bytes}, {QStringLiteral("text/plain"), "picture " + QByteArray::number(run)}}));
    }
    items.append(
        Morv::Item(QClipboard::Clipboard, Morv::PlainText, {{QStringLiteral("text/plain"), "between"}}));
    preferences->saveHistory(items);
    items.clear();

    Paster paster(wayland ? "wl-paste -n -t " + format.toUtf8()
                          : "xclip -o -selection clipboard -t " + format.toUtf8(),
                  temporary.filePath(QStringLiteral("pasted")));
    Morv::Model model;

    QTextStream out(stdout);
    StallMeter idle;
    const double idleBefore = threadTime();
    idle.start();
    waitFor([] { return false; }, 2000);
    out << QStringLiteral("| longest GUI stall with nothing to do (2 s) | %1 ms | | |\n")
               .arg(idle.stop(), 0, 'f', 1);
    out << QStringLiteral("| the GUI thread's processor time meanwhile, per second | %1 ms | | |\n")
               .arg((threadTime() - idleBefore) / 2, 0, 'f', 1);

    QList<double> readStalls, readTimes, firstStalls, firstTimes, secondStalls, secondBusy, secondTimes,
        againStalls, refusals, readOnGui;
    for (int run = 0; run < runs; ++run) {
        const QString name = QStringLiteral("picture %1").arg(run);
        Paste first, second, again;
        StallMeter meter;
        const Clock::time_point chosen = Clock::now();
        meter.start();
        model.indexTriggered(model.index(rowOf(model, name)));
        if (waitForRead) {
            if (!waitFor(readAheadEnded, 60000)) {
                std::fprintf(stderr, "bench-paste: the picture was not read\n");
                return 1;
            }
            readStalls.append(meter.stop());
            readTimes.append(msBetween(chosen, Clock::now()));
        }
        if (!paster.paste(hashes.at(run), size, &first) || !paster.paste(hashes.at(run), size, &second)) {
            std::fprintf(stderr, "bench-paste: the picture was not pasted\n");
            return 1;
        }
        model.indexTriggered(model.index(rowOf(model, QStringLiteral("between"))));
        model.indexTriggered(model.index(rowOf(model, name)));
        if (!paster.paste(hashes.at(run), size, &again)) {
            std::fprintf(stderr, "bench-paste: the picture chosen again was not pasted\n");
            return 1;
        }
        firstStalls.append(first.stall);
        firstTimes.append(first.elapsed);
        refusals.append(first.refused);
        secondStalls.append(second.stall);
        secondBusy.append(second.busy);
        secondTimes.append(second.elapsed);
        againStalls.append(again.stall);

        QString problem;
        const Clock::time_point reading = Clock::now();
        const QByteArray read = ContentFileStore::read(hashes.at(run), size, &problem);
        readOnGui.append(msBetween(reading, Clock::now()));
        if (read.size() != size) {
            std::fprintf(stderr, "bench-paste: %s\n", qPrintable(problem));
            return 1;
        }
    }
    const auto row = [&out](const QString &what, const QList<double> &values, const QString &target) {
        out << QStringLiteral("| %1 | %2 ms | %3 ms | %4 |\n")
                   .arg(what)
                   .arg(percentile(values, 0.5), 0, 'f', 1)
                   .arg(percentile(values, 1.0), 0, 'f', 1)
                   .arg(target);
    };
    const QString mb = QString::number(size / 1000000);
    if (waitForRead) {
        row(QStringLiteral(
                "longest GUI stall, choice of a %1 MB picture until its read ahead has ended (no paste)")
                .arg(mb),
            readStalls, QStringLiteral("<= 16 ms"));
        row(QStringLiteral("choice to the end of the read ahead"), readTimes, QString());
    }
    row(waitForRead
            ? QStringLiteral("longest GUI stall, the first paste")
            : QStringLiteral("longest GUI stall, choice of a %1 MB picture to its first full paste").arg(mb),
        firstStalls, QStringLiteral("<= 16 ms"));
    row(waitForRead ? QStringLiteral("the first paste") : QStringLiteral("choice to the first full paste"),
        firstTimes, QString());
    out << QStringLiteral("| pastes refused before the read ahead had ended | %1 | %2 | |\n")
               .arg(percentile(refusals, 0.5))
               .arg(percentile(refusals, 1.0));
    row(QStringLiteral("longest GUI stall, a second paste"), secondStalls, QStringLiteral("<= 16 ms"));
    row(QStringLiteral("the GUI thread's processor time during a second paste"), secondBusy, QString());
    row(QStringLiteral("a second paste, start of the paster to its exit"), secondTimes, QString());
    row(QStringLiteral("longest GUI stall, the entry chosen again and pasted"), againStalls,
        QStringLiteral("<= 16 ms"));
    row(QStringLiteral("reading and checking the file on the GUI thread (as a first paste once did)"),
        readOnGui, QString());
    return 0;
}
