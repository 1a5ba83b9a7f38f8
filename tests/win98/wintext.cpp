// Drives a Windows program from outside in the emulated PC, and prints what
// its windows hold: wintext.exe STEP... runs each step in turn.
//   run=CMDLINE   start it with no standard handles, as from Explorer
//   wait=CAPTION  wait up to 60 s for its visible window of that caption (or
//                 that begins so, if CAPTION ends in *); print the caption,
//                 the client size and the controls' classes and texts
//   click=TEXT    press the window's button of that text
//   type=N:TEXT   select all of its Nth edit box (from 1) and type TEXT
//   right=N       press Right on its Nth slider
//   shot=FILE     keep the window as a 24-bit BMP
//   ok | close    answer a message box with OK, or close the window
//   end           wait up to 60 s for the program to end; print its status
// A step that fails prints why and ends with status 1.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

PROCESS_INFORMATION program {};
HWND current = nullptr;

[[noreturn]] void fail(const std::string& why)
{
    std::printf("wintext: %s\n", why.c_str());
    std::exit(1);
}

std::string textOf(HWND w)
{
    char text[4096] = "";
    ::SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

std::string classOf(HWND w)
{
    char name[64] = "";
    ::GetClassNameA(w, name, sizeof name);
    return name;
}

std::vector<HWND> children(HWND parent, const char* cls)
{
    std::vector<HWND> found;
    for (HWND c = ::FindWindowExA(parent, nullptr, cls, nullptr); c; c = ::FindWindowExA(parent, c, cls, nullptr))
        found.push_back(c);
    return found;
}

HWND nth(const char* cls, const std::string& n)
{
    const std::vector<HWND> all = children(current, cls);
    const std::size_t i = std::strtoul(n.c_str(), nullptr, 10);
    if (i < 1 || i > all.size())
        fail("no " + std::string(cls) + " number " + n);
    return all[i - 1];
}

bool matches(const std::string& text, const std::string& caption)
{
    if (!caption.empty() && caption.back() == '*')
        return text.rfind(caption.substr(0, caption.size() - 1), 0) == 0;
    return text == caption;
}

void wait(const std::string& caption)
{
    for (int tries = 0; tries < 600; ::Sleep(100), ++tries) {
        for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            if (pid != program.dwProcessId || !::IsWindowVisible(w) || !matches(textOf(w), caption))
                continue;
            current = w;
            RECT r;
            ::GetClientRect(w, &r);
            std::printf("window \"%s\" client %ldx%ld\n", textOf(w).c_str(), r.right, r.bottom);
            for (HWND c = ::GetWindow(w, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
                std::printf("  %s \"%s\"\n", classOf(c).c_str(), textOf(c).c_str());
            return;
        }
    }
    fail("no window \"" + caption + "\" within 60 s");
}

void shot(const std::string& file)
{
    RECT r;
    ::GetWindowRect(current, &r);
    const int w = r.right - r.left, h = r.bottom - r.top, row = (w * 3 + 3) & ~3;
    HDC screen = ::GetDC(nullptr), mem = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, w, h);
    ::SelectObject(mem, bitmap);
    ::BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    BITMAPINFOHEADER info { sizeof info, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0 };
    std::vector<char> pixels(static_cast<std::size_t>(row) * h);
    ::GetDIBits(mem, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    BITMAPFILEHEADER head { 0x4d42, static_cast<DWORD>(offset + pixels.size()), 0, 0, offset };
    FILE* out = std::fopen(file.c_str(), "wb");
    if (!out)
        fail("cannot write " + file);
    std::fwrite(&head, sizeof head, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
}

void step(const std::string& name, const std::string& arg)
{
    const std::size_t colon = arg.find(':');
    if (name == "run") {
        STARTUPINFOA si {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES; // and all three null
        std::string line = arg;
        if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &program))
            fail("cannot start " + arg);
    } else if (name == "wait") {
        wait(arg);
    } else if (name == "click") {
        for (HWND b : children(current, "Button"))
            if (textOf(b) == arg)
                return void(::PostMessageA(b, BM_CLICK, 0, 0));
        fail("no button \"" + arg + "\"");
    } else if (name == "type" && colon != std::string::npos) {
        HWND box = nth("Edit", arg.substr(0, colon));
        ::PostMessageA(box, EM_SETSEL, 0, -1);
        for (char c : arg.substr(colon + 1))
            ::PostMessageA(box, WM_CHAR, static_cast<unsigned char>(c), 1);
    } else if (name == "right") {
        HWND slider = nth("msctls_trackbar32", arg);
        ::PostMessageA(slider, WM_KEYDOWN, VK_RIGHT, 1);
        ::PostMessageA(slider, WM_KEYUP, VK_RIGHT, 0xC0000001);
    } else if (name == "shot") {
        shot(arg);
    } else if (name == "ok" || name == "close") {
        ::PostMessageA(current, name == "ok" ? WM_COMMAND : WM_CLOSE, IDOK, 0);
    } else if (name == "end") {
        DWORD status = 0;
        if (::WaitForSingleObject(program.hProcess, 60000) != WAIT_OBJECT_0 || !::GetExitCodeProcess(program.hProcess, &status))
            fail("the program did not end within 60 s");
        std::printf("exit %lu\n", status);
    } else {
        fail("unknown step " + name);
    }
    ::Sleep(300); // for the program to take what was posted
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string s = argv[i];
        const std::size_t eq = s.find('=');
        step(s.substr(0, eq), eq == std::string::npos ? std::string() : s.substr(eq + 1));
        std::fflush(stdout);
    }
    return 0;
}
