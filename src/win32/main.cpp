// Starts Tavrel on Windows: its command line when options ask for it,
// otherwise the registry, the state and the main window.
#include <string>
#include <vector>

#include <windows.h>

#include "CommandLine.h"
#include "ConsoleOutput.h"
#include "Mainfrm.h"
#include "MessageBoxes.h"
#include "Startup.h"
#include "Window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // The arguments as the C runtime split them, in the system's 8-bit code page.
    const std::vector<std::string> args(__argv + (__argc > 0 ? 1 : 0), __argv + __argc);
    const tavrel::FilePath folder = tavrel::programFolder(__argc > 0 ? __argv[0] : nullptr);
    if (tavrel::wantsCommandLine(args)) {
        tavrel::ConsoleOutput output = tavrel::ConsoleOutput::forThisProgram();
        const int status = tavrel::runCommandLine(args, folder, output);
        tavrel::Win32MessageBoxes boxes;
        output.showKept(boxes);
        return status;
    }

    // The system's registry always opens; there is no file to refuse.
    const tavrel::ProgramStart start = tavrel::startProgram(folder, std::nullopt);
    tavrel::Win32MessageBoxes messages;
    if (!tavrel::Mainfrm::start(*start.state, messages))
        return 0;
    // The editor or the adapter choice may outlive the main window.
    tavrel::setLastWindowClosed([] { ::PostQuitMessage(0); });
    return tavrel::runMessageLoop();
}
