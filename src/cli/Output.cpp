#include <cstdio>

#include "Output.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tavrel {

StdioOutput::StdioOutput()
{
#ifdef _WIN32
    const auto missing = [](DWORD which) {
        const HANDLE h = GetStdHandle(which);
        return h == nullptr || h == INVALID_HANDLE_VALUE;
    };
    const bool out = missing(STD_OUTPUT_HANDLE);
    const bool err = missing(STD_ERROR_HANDLE);
    if (!out && !err)
        return;
    // Looked up, not linked: Windows 9x and NT 4 have no AttachConsole.
    using AttachConsoleFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto attach = kernel
        ? reinterpret_cast<AttachConsoleFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "AttachConsole")))
        : nullptr;
    if (attach && attach(static_cast<DWORD>(-1))) { // ATTACH_PARENT_PROCESS
        if (out)
            std::freopen("CONOUT$", "w", stdout);
        if (err)
            std::freopen("CONOUT$", "w", stderr);
    }
#endif
}

void StdioOutput::out(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void StdioOutput::err(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

namespace cli {

void say(CommandLineOutput& output, const std::string& text)
{
    output.err("tavrel: " + text + "\n");
}

int usage(CommandLineOutput& output, const std::string& text)
{
    say(output, text + " (tavrel --help lists the options)");
    return kExitUsage;
}

} // namespace cli

} // namespace tavrel
