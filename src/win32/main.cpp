// Starts Tavrel on Windows: the registry, the state and the main window.
#include <filesystem>
#include <string>

#include <windows.h>

#include "Mainfrm.h"
#include "MessageBoxes.h"
#include "ProgramState.h"
#include "Window.h"
#include "registry/WinRegistryApi.h"
#include "values/Ansi.h"

namespace {

// The folder of tavrel.exe, where the preset file lies. The system's 8-bit
// name goes through UTF-16, which a path holds exactly.
std::filesystem::path programFolder()
{
    std::string file(MAX_PATH, '\0');
    file.resize(::GetModuleFileNameA(nullptr, file.data(), MAX_PATH));
    const std::size_t slash = file.find_last_of("\\/");
    file.resize(slash == std::string::npos ? 0 : slash);
    return std::filesystem::path(tavrel::ansiToUtf16(file));
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    tavrel::WinRegistryApi registry;
    tavrel::Win32MessageBoxes messages;
    tavrel::ProgramState state(registry, tavrel::PresetFile(tavrel::PresetFilePath(programFolder())));
    if (!tavrel::Mainfrm::start(state, messages))
        return 0;
    // The editor or the adapter choice may outlive the main window.
    tavrel::setLastWindowClosed([] { ::PostQuitMessage(0); });
    return tavrel::runMessageLoop();
}
