// SPDX-License-Identifier: GPL-2.0-or-later

#include "ksystemclipboard.h"

#include "ksystemclipboard_qt.h"
#ifdef MORV_HAVE_WAYLAND
#include "ksystemclipboard_wayland.h"
#endif
#ifdef MORV_HAVE_X11_CLIPBOARD
#include "ksystemclipboard_x11.h"
#endif

#include <QGuiApplication>

namespace {

std::unique_ptr<KSystemClipboard> &storage()
{
    static std::unique_ptr<KSystemClipboard> clipboard;
    return clipboard;
}

std::unique_ptr<KSystemClipboard> createForPlatform()
{
    // Under Wayland a program without keyboard focus (a tray applet always) gets no clipboard
    // changes through QClipboard; the compositor's data-control protocol gives them. Wayland
    // objects may only be made under Qt's Wayland platform: no other has a Wayland connection.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
#ifdef MORV_HAVE_WAYLAND
        if (std::unique_ptr<WaylandSystemClipboard> clipboard = WaylandSystemClipboard::create())
            return clipboard;
#else
        qWarning(
            "morv-clip was built without its Wayland clipboard backend: copies made in other programs will "
            "not be seen");
#endif
    }
#ifdef MORV_HAVE_X11_CLIPBOARD
    // Qt's xcb clipboard reads other programs' offers on the GUI thread and waits for each answer.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (std::unique_ptr<X11SystemClipboard> clipboard = X11SystemClipboard::create())
            return clipboard;
    }
#endif
    return std::make_unique<QtSystemClipboard>();
}

} // namespace

KSystemClipboard::KSystemClipboard(QObject *parent)
    : QObject(parent)
{}

std::shared_ptr<const QMimeData> KSystemClipboard::sharedMimeData(QClipboard::Mode) const
{
    return {};
}

KSystemClipboard *KSystemClipboard::instance()
{
    std::unique_ptr<KSystemClipboard> &clipboard = storage();
    if (!clipboard)
        clipboard = createForPlatform();
    return clipboard.get();
}

void KSystemClipboard::setInstance(std::unique_ptr<KSystemClipboard> clipboard)
{
    storage() = std::move(clipboard);
}
