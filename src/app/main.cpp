// Starts Tavrel: its command line when options ask for it, otherwise the
// registry, the state and the main window.
#include <filesystem>

#include <QApplication>

#include "CommandLine.h"
#include "Mainfrm.h"
#include "MessageBoxes.h"
#include "ProgramState.h"
#include "Resources.h"

#ifdef _WIN32
#include "registry/WinRegistryApi.h"
#else
#include "registry/RegFileStore.h"
#endif

int main(int argc, char* argv[])
{
    // Decided before any application object exists: the command line must
    // run without a display.
    if (tavrel::wantsCommandLine(argc, argv))
        return tavrel::runCommandLine(argc, argv);

    QApplication app(argc, argv);
    tavrel::initResources();
    tavrel::setApplicationMetadata();
    tavrel::QtMessageBoxes messages;

    const std::filesystem::path programFolder(QCoreApplication::applicationDirPath().toStdU16String());

#ifdef _WIN32
    tavrel::WinRegistryApi registry;
#else
    const auto file = tavrel::registryOption(argc, argv);
    tavrel::RegFileStore registry(file ? std::filesystem::path(*file) : tavrel::defaultRegistryPath());
    if (!tavrel::loadRegistryFile(registry, messages))
        return 1;
#endif

    tavrel::ProgramState state(registry, tavrel::PresetFile(tavrel::PresetFilePath(programFolder)));
    if (!tavrel::Mainfrm::start(state, messages))
        return 0;
    return app.exec();
}
