// SPDX-License-Identifier: GPL-2.0-or-later

// Saves or loads the history through the preferences store, as the program does, in a process of
// its own: the name QSettings stores contents under is decided by what a process has registered,
// and which of several aliases it picks changes from one process to the next.
//
//   storedname_helper save TEXT        stores one item whose text/plain is TEXT
//   storedname_helper save-after-aliases TEXT
//                                      the same, after registering the content type's former names
//                                      for it, as a Q_DECLARE_METATYPE or qRegisterMetaType would
//   storedname_helper save-after-foreign-alias TEXT
//                                      the same, after registering some other alias for it
//   storedname_helper load             prints the text/plain of every stored item, one a line

#include "item.h"
#include "preferences.h"
#include "testenvironment.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestEnvironment::setUp();
    const QStringList args = app.arguments();
    const QString command = args.value(1);
    Morv::Preferences *preferences = Morv::Preferences::instance();

    if (command == QLatin1String("load")) {
        QTextStream out(stdout);
        for (const Morv::Item &item : preferences->loadHistory())
            out << item.text() << '\n';
        return 0;
    }
    if (command == QLatin1String("save-after-aliases")) {
        qRegisterMetaType<Morv::ClipboardContent>("ClipboardContent");
        qRegisterMetaType<Morv::ClipboardContent>("Morv::ClipboardContent");
    } else if (command == QLatin1String("save-after-foreign-alias")) {
        qRegisterMetaType<Morv::ClipboardContent>("Morv::Content");
    } else if (command != QLatin1String("save")) {
        return 2;
    }
    const Morv::ClipboardContent content{{QStringLiteral("text/plain"), args.value(2).toUtf8()},
                                         {QStringLiteral("image/png"), QByteArray("\x89PNG", 4)}};
    preferences->saveHistory({Morv::Item(QClipboard::Clipboard, Morv::PlainText, content)});
    return preferences->lastSyncSucceeded() ? 0 : 1;
}
