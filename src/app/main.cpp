// SPDX-License-Identifier: GPL-2.0-or-later

#include "dbusinterface.h"
#include "historyadaptor.h"
#include "jobthread.h"
#include "ksystemclipboard.h"
#include "platformchoice.h"
#include "preferences.h"
#include "signalhandler.h"
#include "singleapplication.h"
#include "startup.h"
#include "systray.h"
#include "translator.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDebug>

namespace {

void createSignalBridge()
{
    Morv::SignalHandler::instance();
}

void loadTranslations()
{
    Morv::Translator::translateApplication(Morv::StartUp::catalogue());
}

// Qt runs these inside the application object's constructor, before anything else of the program.
[[maybe_unused]] const bool startUpRoutinesRegistered = [] {
    qAddPreRoutine(createSignalBridge);
    qAddPreRoutine(loadTranslations);
    return true;
}();

// Builds what lives for the whole run and runs the event loop; the exit status.
int run(int argc, char *argv[])
{
    Morv::SingleApplication app(argc, argv, Morv::SingleApplication::NoInstanceCheck);
    Morv::StartUp::setIdentity();
    Morv::StartUp::setApplicationDefaults();
    Morv::StartUp::setWindowIconFromPreferences();

    // The service name is the single-instance check, and it is taken before anything touches the
    // user's data: a second process must neither load the history and write its stale copy back
    // over the running instance's, nor delete the files only the running one still holds, nor
    // fight it for the key grab.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerService(QStringLiteral("org.morv.morv-clip"))) {
        qWarning("Can't register D-Bus service");
        qWarning("An instance of morv-clip is already running!");
        return 1;
    }

    Morv::Systray tray;
    Morv::DbusInterface dbusInterface(&tray);
    // A second interface on the same object, "org.morv.clip.History"; owned by the object.
    const QString path = QStringLiteral("/org/morv/clip");
    new Morv::HistoryAdaptor(&dbusInterface, path);
    if (!bus.registerObject(path, &dbusInterface,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAdaptors))
        qWarning() << "Can't register object:" << bus.lastError().message();

    tray.setVisible(true);
    // Teardown in reverse order: the D-Bus object goes first, then the tray, whose history model
    // stores the history and the sticky items from its destructor.
    return Morv::StartUp::runEventLoop();
}

} // namespace

int main(int argc, char *argv[])
{
    // Qt reads the platform in the application object's constructor.
    Morv::PlatformChoice::applyBeforeStart(argc, argv);
    const int status = run(argc, argv);
    // Our clipboard offers hold content files that the history may no longer name: Qt's lets go
    // with the application object, the backend's with the backend. Then those files can go.
    KSystemClipboard::setInstance(nullptr);
    // A read ahead under way holds its content until it ends, and would keep its file.
    Morv::JobThread::readAhead().stop();
    Morv::Preferences::instance()->removeContentFilesLeftAtExit();
    return status;
}
