// Starts Tavrel: its command line when options ask for it, otherwise the
// registry, the state and the main window.
#include <QApplication>

#include "CommandLine.h"
#include "Mainfrm.h"
#include "MessageBoxes.h"
#include "QtOptions.h"
#include "RegistryFile.h"
#include "Resources.h"
#include "Startup.h"

int main(int argc, char* argv[])
{
    // Decided before any application object exists: the command line must
    // run without a display. Qt's own options are left to Qt.
    const std::vector<std::string> args = tavrel::argumentsWithoutQtOptions(argc, argv);
    const tavrel::FilePath folder = tavrel::programFolder(argc > 0 ? argv[0] : nullptr);
    if (tavrel::wantsCommandLine(args)) {
        tavrel::StdioOutput output;
        return tavrel::runCommandLine(args, folder, output);
    }

    QApplication app(argc, argv);
    tavrel::initResources();
    tavrel::setApplicationMetadata();
    tavrel::QtMessageBoxes messages;

    // The registry file named as given, bytes and all.
    const tavrel::ProgramStart start = tavrel::startProgram(folder, tavrel::registryOption(args));
    if (!start.registryError.empty()) {
        messages.show(nullptr, tavrel::registryRefusedMessage(start.registryError));
        return 1;
    }
    // A registry file that is missing, empty or without display keys is why there is no adapter: say so.
    if (!start.noAdapter.empty()) {
        messages.show(nullptr, QString::fromLocal8Bit(start.noAdapter));
        return 0;
    }
    if (!tavrel::Mainfrm::start(*start.state, messages))
        return 0;
    return app.exec();
}
