#include "desktop/singleapplication.h"
#include "desktop/translator.h"
#include "signalhandler.h"
#include "startup.h"

namespace {

void createSignalBridge() {}

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

} // namespace

int main(int argc, char *argv[])
{
    Morv::SingleApplication app(argc, argv, Morv::SingleApplication::NoInstanceCheck);
    Morv::StartUp::setIdentity();
    Morv::StartUp::setApplicationDefaults();
    Morv::StartUp::setWindowIconFromPreferences();
    return Morv::StartUp::runEventLoop();
}
