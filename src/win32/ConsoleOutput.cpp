#include "ConsoleOutput.h"

#include <algorithm>

#include "MessageBoxes.h"

namespace tavrel {

namespace {

HANDLE standardHandle(DWORD which)
{
    const HANDLE h = ::GetStdHandle(which);
    return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

// The texts are in the ANSI code page; a console shows its own (the OEM one
// unless changed), so they are converted for it.
std::string forConsole(std::string_view text)
{
    const UINT console = ::GetConsoleOutputCP();
    if (console == 0 || console == ::GetACP() || text.empty())
        return std::string(text);
    const int size = static_cast<int>(text.size());
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        std::max(::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), size), 0)));
    const int wideSize = static_cast<int>(wide.size());
    std::string out(text.size() * 2, '\0');
    out.resize(static_cast<std::size_t>(std::max(::WideCharToMultiByte(console, 0, wide.data(), wideSize, out.data(),
                                                     static_cast<int>(out.size()), nullptr, nullptr),
        0)));
    return out;
}

} // namespace

ConsoleOutput ConsoleOutput::forThisProgram()
{
    HANDLE out = standardHandle(STD_OUTPUT_HANDLE), err = standardHandle(STD_ERROR_HANDLE);
    if (out && err)
        return { out, err };
    // Looked up, not linked: Windows 95/98/ME and NT 4 lack it.
    using AttachConsoleFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    const auto attach = kernel
        ? reinterpret_cast<AttachConsoleFn>(reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "AttachConsole")))
        : nullptr;
    if (attach && attach(static_cast<DWORD>(-1))) { // ATTACH_PARENT_PROCESS
        HANDLE console = ::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
            nullptr, OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE)
            return { out ? out : console, err ? err : console };
    }
    return { out, err };
}

void ConsoleOutput::write(HANDLE handle, std::string_view text, bool error)
{
    const std::string bytes
        = handle && ::GetFileType(handle) == FILE_TYPE_CHAR ? forConsole(text) : std::string(text);
    DWORD written = 0;
    if (handle && ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return;
    kept_ += text;
    keptError_ = keptError_ || error;
}

void ConsoleOutput::showKept(MessageBoxes& boxes) const
{
    if (kept_.empty())
        return;
    std::string text = kept_;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    boxes.show(nullptr, text, keptError_ ? MB_ICONERROR : 0u);
}

} // namespace tavrel
