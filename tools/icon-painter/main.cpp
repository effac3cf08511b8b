// SPDX-License-Identifier: GPL-2.0-or-later

#include "icons.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTextStream>

int main(int argc, char **argv)
{
    // A GUI application object sets up the platform plugin and font database
    // that QPainter relies on; with QT_QPA_PLATFORM=offscreen it runs headless.
    QGuiApplication app(argc, argv);

    QTextStream err(stderr);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 2) {
        err << "usage: icon-painter OUTPUT_DIR\n";
        return 2;
    }

    const QDir outDir(args.at(1));
    if (!outDir.mkpath(QStringLiteral("."))) {
        err << "cannot create " << outDir.path() << '\n';
        return 1;
    }

    for (const IconEntry &icon : allIcons()) {
        QImage image(icon.size, icon.size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            icon.paint(painter);
        }

        // Straight (non-premultiplied) alpha is what PNG stores; converting
        // here keeps the writer from guessing and always yields 8-bit RGBA.
        image = image.convertToFormat(QImage::Format_ARGB32);

        const QString path = outDir.filePath(icon.fileName);
        QImageWriter writer(path, "png");
        if (!writer.write(image)) {
            err << "cannot write " << path << ": " << writer.errorString() << '\n';
            return 1;
        }
    }
    return 0;
}
