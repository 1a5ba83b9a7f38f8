// A small Windows program for the Windows 95/98/ME audit's own tests, built
// once per case with the define that picks what it does wrong.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>

#include <stdexcept>
#include <string>

extern "C" void __stdcall AuditOrdinalCall(); // ordinal.def

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    INITCOMMONCONTROLSEX controls { sizeof controls, ICC_BAR_CLASSES };
    InitCommonControlsEx(&controls);
    HWND slider
        = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, instance, nullptr);
    std::string text(commandLine);
    float sum = 0;
    for (char c : text)
        sum += static_cast<float>(c) * 2.5f; // SSE when the compiler may use it
    try {
        HANDLE file = CreateFileA("TAVRL.TMP", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            throw std::runtime_error("TAVRL.TMP");
#if defined(AUDIT_SAMPLE_NEWER_CALL)
        LARGE_INTEGER size {};
        GetFileSizeEx(file, &size);
#endif
        CloseHandle(file);
    } catch (const std::exception& e) {
        MessageBoxA(slider, e.what(), "Sample", MB_OK);
    }
#if defined(AUDIT_SAMPLE_WIDE_CALL)
    MessageBoxW(slider, L"wide", L"Sample", MB_OK);
#endif
#if defined(AUDIT_SAMPLE_ORDINAL)
    AuditOrdinalCall();
#endif
#if defined(AUDIT_SAMPLE_OTHER_DLL)
    ShellExecuteA(slider, "open", "TAVRL.TMP", nullptr, nullptr, SW_SHOW);
#endif
    DestroyWindow(slider);
    return static_cast<int>(sum);
}
