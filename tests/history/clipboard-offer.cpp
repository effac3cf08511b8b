// SPDX-License-Identifier: GPL-2.0-or-later

// Plays another program on the X display: offers the formats given on the command line on the
// clipboard (or with --selection on the primary selection), says "ready" on its standard output
// and serves them until it is ended. Exiting leaves the clipboard without an owner.
//
//   clipboard-offer [--selection] FORMAT=TEXT | FORMAT=@FILE ...

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QClipboard::Mode mode = QClipboard::Clipboard;
    auto mime = new QMimeData;
    QStringList arguments = app.arguments().mid(1);
    for (const QString &argument : std::as_const(arguments)) {
        if (argument == QLatin1String("--selection")) {
            mode = QClipboard::Selection;
            continue;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        if (equals < 0) {
            std::fprintf(stderr, "clipboard-offer: FORMAT=TEXT or FORMAT=@FILE expected, not %s\n",
                         qPrintable(argument));
            return 2;
        }
        const QString format = argument.left(equals);
        const QString value = argument.mid(equals + 1);
        QByteArray bytes = value.toUtf8();
        if (value.startsWith(QLatin1Char('@'))) {
            QFile file(value.mid(1));
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "clipboard-offer: cannot read %s\n", qPrintable(file.fileName()));
                return 2;
            }
            bytes = file.readAll();
        }
        mime->setData(format, bytes);
    }
    QGuiApplication::clipboard()->setMimeData(mime, mode);
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
