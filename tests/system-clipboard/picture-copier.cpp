// SPDX-License-Identifier: GPL-2.0-or-later

// Plays a Qt program that copies a picture: it puts a WIDTH x HEIGHT image on the clipboard as
// Qt programs do (setImageData, which Qt offers in every encoding it can write), says "ready" on
// its standard output and serves it until it is ended. The picture's colours repeat every 256
// pixels: at 1920 x 1080 the twelve encodings Qt offers come to 24 MB.
//
//   picture-copier WIDTH HEIGHT

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: picture-copier WIDTH HEIGHT\n");
        return 2;
    }
    QImage image(arguments.at(1).toInt(), arguments.at(2).toInt(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x & 0xff, y & 0xff, (x ^ y) & 0xff));
    }
    auto mime = new QMimeData;
    mime->setImageData(image);
    QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
