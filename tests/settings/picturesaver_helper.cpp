// SPDX-License-Identifier: GPL-2.0-or-later

// Stores pictures into the history through the preferences store, as the program does, one save
// after another, until it is killed: the other half of tst_crashsafety.
//
//   picturesaver_helper N      loads the stored history (removing the leftovers of the process
//                              killed before), prints "ready", then stores new items for ever
//                              (N makes them differ from run to run)
//   picturesaver_helper start  only loads and removes leftovers, then exits
//
// Every new item has one to three large formats of up to 1.5 MB, now and then bytes of the
// previous item again, and a small "text/plain" that lists "<format>=<SHA-256>" for each large
// format, so that whoever loads the history can check every format by hash.

#include "contentfilestore.h"
#include "item.h"
#include "preferences.h"
#include "testenvironment.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestEnvironment::setUp();
    Morv::Preferences *preferences = Morv::Preferences::instance();
    QList<Morv::Item> history = preferences->loadHistory();
    preferences->removeUnusedContentFiles();
    if (app.arguments().value(1) == QLatin1String("start")) {
        preferences->waitForBackgroundSave();
        return 0;
    }

    QRandomGenerator random(app.arguments().value(1).toUInt());
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    QByteArray previous;
    for (;;) {
        Morv::ClipboardContent content;
        QStringList declared;
        const int formats = 1 + int(random.bounded(3));
        for (int format = 0; format < formats; ++format) {
            QByteArray bytes;
            if (!previous.isEmpty() && random.bounded(4) == 0) {
                bytes = previous;
            } else {
                bytes = QByteArray(5000 + random.bounded(1500000), Qt::Uninitialized);
                random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
            }
            const QString name = QStringLiteral("image/x-%1").arg(format);
            content.insert(name, bytes);
            declared.append(name + QLatin1Char('=') + QLatin1String(Morv::ContentFileStore::hash(bytes)));
            previous = bytes;
        }
        content.insert(QStringLiteral("text/plain"), declared.join(QLatin1Char(' ')).toUtf8());
        history.prepend(Morv::Item(QClipboard::Clipboard, Morv::Binary, content));
        if (history.size() > 8)
            history.removeLast();

        switch (random.bounded(12)) {
        case 0:
            preferences->saveHistory(history);
            break;
        case 1:
            history.clear();
            preferences->saveHistoryInBackground(history);
            break;
        default:
            preferences->saveHistoryInBackground(history);
        }
        QThread::msleep(random.bounded(25));
        // Delivers the saver's reports, as the event loop does.
        QCoreApplication::processEvents();
    }
}
