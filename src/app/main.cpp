// Starts Tavrel: the registry, the state and the main window.
#include <filesystem>

#include <QApplication>

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
    QApplication app(argc, argv);
    tavrel::initResources();
    tavrel::setApplicationMetadata();
    tavrel::QtMessageBoxes messages;

    const std::filesystem::path programFolder(QCoreApplication::applicationDirPath().toStdU16String());

#ifdef _WIN32
    tavrel::WinRegistryApi registry;
#else
    tavrel::RegFileStore registry(tavrel::defaultRegistryPath());
    if (!tavrel::loadRegistryFile(registry, messages))
        return 1;
#endif

    tavrel::ProgramState state(registry, tavrel::PresetFile(tavrel::PresetFilePath(programFolder)));
    if (!tavrel::Mainfrm::start(state, messages))
        return 0;
    return app.exec();
}
