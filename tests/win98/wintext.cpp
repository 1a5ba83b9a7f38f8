// Drives a Windows program from outside in the emulated PC and prints what
// its windows hold: wintext.exe STEP... (tests/win98/guest-tests.sh).
//   run=CMDLINE   start it with no standard handles, as from Explorer (a later
//                 run= starts the next program; the steps after it drive that)
//   wait=CAPTION  wait for its visible window of that caption (that begins so
//                 if it ends in *); print the client size and each control's
//                 class, text, width and its text's width in the dialog font
//   gone=CAPTION  wait until that window is gone
//   click=TEXT, type=N:TEXT, right=N  press a button; type into the Nth edit
//                 box, all of it selected; press Right on the Nth slider
//   shot=FILE     keep its client area as a 24-bit BMP;  ok, close  answer or close it
//   end           wait for the program to end; print its status
// Waits give up after 60 s; a step that fails prints why, with status 1.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
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

HWND nth(const char* cls, const std::string& n)
{
    HWND c = nullptr;
    for (long i = std::strtol(n.c_str(), nullptr, 10); i > 0 && (c = ::FindWindowExA(current, c, cls, nullptr)); --i) { }
    return c ? c : (fail("no " + std::string(cls) + " number " + n), nullptr);
}

void printControl(HWND c)
{
    const std::string text = textOf(c);
    char cls[64] = "";
    ::GetClassNameA(c, cls, sizeof cls);
    RECT r;
    ::GetWindowRect(c, &r);
    // In the dialog font, which the program gives its controls (a font handle
    // of another process means nothing here).
    HDC dc = ::GetDC(nullptr);
    ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE size {};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::ReleaseDC(nullptr, dc);
    std::printf("  %s \"%s\" width %ld text %ld\n", cls, text.c_str(), r.right - r.left, size.cx);
}

HWND find(const std::string& caption)
{
    const bool prefix = !caption.empty() && caption.back() == '*';
    for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        const std::string text = textOf(w);
        if (pid == program.dwProcessId && ::IsWindowVisible(w)
            && (prefix ? text.rfind(caption.substr(0, caption.size() - 1), 0) == 0 : text == caption))
            return w;
    }
    return nullptr;
}

void wait(const std::string& caption, bool gone)
{
    for (int tries = 0; tries < 600; ::Sleep(100), ++tries) {
        HWND w = find(caption);
        if (gone == !w && !gone) {
            current = w;
            RECT r;
            ::GetClientRect(w, &r);
            std::printf("window \"%s\" client %ldx%ld\n", textOf(w).c_str(), r.right, r.bottom);
            for (HWND c = ::GetWindow(w, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
                printControl(c);
        }
        if (gone == !w)
            return;
    }
    fail("window \"" + caption + (gone ? "\" still there" : "\" not there") + " after 60 s");
}

void shot(const std::string& file)
{
    // Painted first: a window that has just appeared may not be yet.
    ::RedrawWindow(current, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(2000);
    // With no window manager the client area lies where Wine places the
    // window's top left corner.
    RECT r, at;
    ::GetClientRect(current, &r);
    ::GetWindowRect(current, &at);
    const LONG w = r.right, h = r.bottom;
    HDC screen = ::GetDC(nullptr), mem = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, w, h);
    ::SelectObject(mem, bitmap);
    ::BitBlt(mem, 0, 0, w, h, screen, at.left, at.top, SRCCOPY);
    BITMAPINFOHEADER info { sizeof info, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0 };
    std::vector<char> pixels(static_cast<std::size_t>((w * 3 + 3) & ~3) * h);
    ::GetDIBits(mem, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    BITMAPFILEHEADER head { 0x4d42, static_cast<DWORD>(offset + pixels.size()), 0, 0, offset };
    FILE* out = std::fopen(file.c_str(), "wb");
    if (!out || !std::fwrite(&head, sizeof head, 1, out) || !std::fwrite(&info, sizeof info, 1, out)
        || !std::fwrite(pixels.data(), pixels.size(), 1, out) || std::fclose(out))
        fail("cannot write " + file);
}

void step(const std::string& name, const std::string& arg)
{
    const std::size_t colon = arg.find(':');
    if (name == "run") {
        STARTUPINFOA si {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES; // and all three null
        std::printf("run %s\n", arg.c_str());
        std::string line = arg;
        if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &program))
            fail("cannot start " + arg);
    } else if (name == "wait" || name == "gone") {
        wait(arg, name == "gone");
    } else if (name == "click") {
        HWND b = nullptr;
        while ((b = ::FindWindowExA(current, b, "Button", nullptr)) && textOf(b) != arg) { }
        ::PostMessageA(b ? b : (fail("no button \"" + arg + "\""), b), BM_CLICK, 0, 0);
    } else if (name == "type" && colon != std::string::npos) {
        HWND box = nth("Edit", arg.substr(0, colon));
        ::PostMessageA(box, EM_SETSEL, 0, -1);
        for (char c : arg.substr(colon + 1))
            ::PostMessageA(box, WM_CHAR, static_cast<unsigned char>(c), 1);
    } else if (name == "right") {
        ::PostMessageA(nth("msctls_trackbar32", arg), WM_KEYDOWN, VK_RIGHT, 1);
    } else if (name == "shot") {
        shot(arg);
    } else if (name == "ok" || name == "close") {
        ::PostMessageA(current, name == "ok" ? WM_COMMAND : WM_CLOSE, IDOK, 0);
    } else if (name == "end") {
        DWORD status = 0;
        if (::WaitForSingleObject(program.hProcess, 60000) || !::GetExitCodeProcess(program.hProcess, &status))
            fail("the program did not end within 60 s");
        std::printf("exit %lu\n", status);
    } else {
        fail("unknown step " + name);
    }
    ::Sleep(100); // for the program to take what was posted
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
