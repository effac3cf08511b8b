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

#include <utility>

namespace {

std::unique_ptr<KSystemClipboard> &storage()
{
    static std::unique_ptr<KSystemClipboard> clipboard;
    return clipboard;
}

// The backends to release when the application object goes. Never destroyed: the process-wide
// clipboard is destroyed during static destruction, and its destructor looks here.
QList<KSystemClipboard *> &releasedAtExit()
{
    static auto *clipboards = new QList<KSystemClipboard *>;
    return *clipboards;
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

KSystemClipboard::~KSystemClipboard()
{
    releasedAtExit().removeAll(this);
}

void KSystemClipboard::releasePlatformAtExit()
{
    if (!releasedAtExit().contains(this))
        releasedAtExit().append(this);
    // Qt calls its post routines newest first: added again now, the release comes before every
    // routine added until now (the last clean-up of the content files is one).
    qRemovePostRoutine(releaseAll);
    qAddPostRoutine(releaseAll);
}

void KSystemClipboard::releaseAll()
{
    const QList<KSystemClipboard *> clipboards = std::exchange(releasedAtExit(), {});
    for (KSystemClipboard *clipboard : clipboards)
        clipboard->releasePlatform();
}

void KSystemClipboard::releasePlatform() {}

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

void KSystemClipboard::setSelectionWatched(bool) {}

void KSystemClipboard::setReadingPaused(bool) {}

void KSystemClipboard::setInstance(std::unique_ptr<KSystemClipboard> clipboard)
{
    storage() = std::move(clipboard);
}
