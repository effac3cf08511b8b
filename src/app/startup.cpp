// SPDX-License-Identifier: GPL-2.0-or-later

#include "startup.h"

#include "preferences.h"
#include "signalhandler.h"

#include <QApplication>
#include <QIcon>
#include <QSettings>

namespace Morv::StartUp {

void setIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral("morv-clip"));
    QGuiApplication::setDesktopFileName(QStringLiteral("morv-clip"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MORV_VERSION));
    QCoreApplication::setOrganizationDomain(QStringLiteral("morv.org"));
    QCoreApplication::setOrganizationName(QStringLiteral("morv"));
}

void setApplicationDefaults()
{
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

void setWindowIconFromPreferences()
{
    // A file that is no readable image gives an empty icon; start-up goes on without a message.
    QGuiApplication::setWindowIcon(QIcon(Preferences::instance()->trayIconFile()));
}

int runEventLoop()
{
    if (SignalHandler::instance()->quitRequested())
        return 0;
    return QApplication::exec();
}

QString catalogue()
{
    return QStringLiteral("morv-clip");
}

} // namespace Morv::StartUp
