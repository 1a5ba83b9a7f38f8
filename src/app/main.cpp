#include <filesystem>

#include <QApplication>

#include "Mainfrm.h"
#include "MessageBoxes.h"
#include "Resources.h"
#include "ProgramState.h"

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

    // The preset file lives beside the program.
    const std::filesystem::path folder(QCoreApplication::applicationDirPath().toStdU16String());

#ifdef _WIN32
    tavrel::WinRegistryApi registry;
#else
    tavrel::RegFileStore registry(tavrel::defaultRegistryPath());
    if (!tavrel::loadRegistryFile(registry))
        return 1;
#endif

    tavrel::ProgramState state(registry, folder);
    if (!tavrel::Mainfrm::start(state))
        return 0;
    return app.exec();
}
