// Starts Tavrel on Windows: its command line when options ask for it,
// otherwise the registry, the state and the main window.
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

#include "CommandLine.h"
#include "ConsoleOutput.h"
#include "Mainfrm.h"
#include "MessageBoxes.h"
#include "ProgramState.h"
#include "Window.h"
#include "io/FilePath.h"
#include "registry/WinRegistryApi.h"

namespace {

// The folder of tavrel.exe, where the preset file lies, as the system's
// 8-bit text, which is what the file calls take.
tavrel::FilePath programFolder()
{
    std::string file(MAX_PATH, '\0');
    file.resize(::GetModuleFileNameA(nullptr, file.data(), MAX_PATH));
    const std::size_t slash = file.find_last_of("\\/");
    file.resize(slash == std::string::npos ? 0 : slash);
    return tavrel::FilePath(std::move(file));
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // The arguments as the C runtime split them, in the system's 8-bit code page.
    const std::vector<std::string> args(__argv + (__argc > 0 ? 1 : 0), __argv + __argc);
    if (tavrel::wantsCommandLine(args)) {
        tavrel::ConsoleOutput output = tavrel::ConsoleOutput::forThisProgram();
        const int status = tavrel::runCommandLine(args, programFolder(), output);
        tavrel::Win32MessageBoxes boxes;
        output.showKept(boxes);
        return status;
    }

    tavrel::WinRegistryApi registry;
    tavrel::Win32MessageBoxes messages;
    tavrel::ProgramState state(registry, tavrel::PresetFile(tavrel::PresetFilePath(programFolder())));
    if (!tavrel::Mainfrm::start(state, messages))
        return 0;
    // The editor or the adapter choice may outlive the main window.
    tavrel::setLastWindowClosed([] { ::PostQuitMessage(0); });
    return tavrel::runMessageLoop();
}
