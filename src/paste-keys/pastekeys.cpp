// SPDX-License-Identifier: GPL-2.0-or-later

#include "pastekeys.h"

#include "pastekeys_none.h"
#ifdef MORV_HAVE_X11_PASTE_KEYS
#include "pastekeys_x11.h"
#endif
#ifdef MORV_HAVE_WAYLAND_PASTE_KEYS
#include "pastekeys_wayland.h"
#endif

#include <QGuiApplication>

namespace {

std::unique_ptr<PasteKeys> &storage()
{
    static std::unique_ptr<PasteKeys> keys;
    return keys;
}

std::unique_ptr<PasteKeys> createForPlatform()
{
    const QString platform = QGuiApplication::platformName();
#ifdef MORV_HAVE_X11_PASTE_KEYS
    if (platform == QLatin1String("xcb"))
        return X11PasteKeys::create();
#endif
#ifdef MORV_HAVE_WAYLAND_PASTE_KEYS
    // Wayland objects may only be made under Qt's Wayland platform: no other has a connection.
    if (platform.startsWith(QLatin1String("wayland")))
        return WaylandPasteKeys::create();
#endif
    return std::make_unique<NoPasteKeys>(PasteKeys::Availability::UnsupportedPlatform);
}

void releaseAtExit()
{
    storage().reset();
}

} // namespace

PasteKeys::PasteKeys(QObject *parent)
    : QObject(parent)
{}

PasteKeys::~PasteKeys() = default;

PasteKeys *PasteKeys::instance()
{
    std::unique_ptr<PasteKeys> &keys = storage();
    if (!keys) {
        keys = createForPlatform();
        // A backend lets go of the display connection while the application object still has it.
        qAddPostRoutine(releaseAtExit);
    }
    return keys.get();
}

void PasteKeys::setInstance(std::unique_ptr<PasteKeys> keys)
{
    storage() = std::move(keys);
}

bool PasteKeys::isTerminal(const QStringList &windowClasses, const QStringList &terminalClasses)
{
    for (const QString &name : windowClasses) {
        if (!name.isEmpty() && terminalClasses.contains(name, Qt::CaseInsensitive))
            return true;
    }
    return false;
}
