// Starts Tavrel: its command line when options ask for it, otherwise the
// registry, the state and the main window.
#include <filesystem>

#include <QApplication>

#include "CommandLine.h"
#include "Mainfrm.h"
#include "MessageBoxes.h"
#include "ProgramState.h"
#include "RegistryFile.h"
#include "Resources.h"
#include "Startup.h"

#ifdef _WIN32
#include "registry/WinRegistryApi.h"
#else
#include "registry/RegFileStore.h"
#endif

int main(int argc, char* argv[])
{
    // Decided before any application object exists: the command line must
    // run without a display. Qt's own options are left to Qt.
    const std::vector<std::string> args = tavrel::argumentsWithoutQtOptions(argc, argv);
    if (tavrel::wantsCommandLine(args)) {
        tavrel::StdioOutput output;
        return tavrel::runCommandLine(args, tavrel::programFolder(argc > 0 ? argv[0] : nullptr), output);
    }

    QApplication app(argc, argv);
    tavrel::initResources();
    tavrel::setApplicationMetadata();
    tavrel::QtMessageBoxes messages;

    const std::filesystem::path programFolder(QCoreApplication::applicationDirPath().toStdU16String());

#ifdef _WIN32
    tavrel::WinRegistryApi registry;
#else
    // The file name as given, bytes and all.
    const auto file = tavrel::registryOption(args);
    tavrel::RegFileStore registry(file ? std::filesystem::path(*file) : tavrel::defaultRegistryPath());
    if (!tavrel::loadRegistryFile(registry, messages))
        return 1;
    // A registry file that is missing, empty or without display keys is why there is no adapter: say so.
    if (const std::string shortfall = tavrel::registryFileShortfall(registry); !shortfall.empty()) {
        messages.show(nullptr, QString::fromLocal8Bit(tavrel::noAdapterMessage(shortfall)));
        return 0;
    }
#endif

    tavrel::ProgramState state(registry, tavrel::PresetFile(tavrel::PresetFilePath(programFolder)));
    if (!tavrel::Mainfrm::start(state, messages))
        return 0;
    return app.exec();
}
