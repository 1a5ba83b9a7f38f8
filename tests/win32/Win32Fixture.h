#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "Mainfrm.h"
#include "MessageBoxes.h"
#include "Presets.h"
#include "ProgramState.h"
#include "Warning.h"
#include "driver/DriverLayout.h"
#include "support/FakeRegistry.h"
#include "support/TempDir.h"

namespace tavrel::test {

// An open window of the program by its caption; nullptr when none is open.
inline HWND window(const std::string& caption)
{
    for (HWND w : openWindows())
        if (windowText(w) == caption)
            return w;
    return nullptr;
}

inline HWND control(HWND w, int id)
{
    HWND c = ::GetDlgItem(w, id);
    return c ? c : throw std::runtime_error("no control " + std::to_string(id));
}
inline std::string text(HWND w, int id) { return windowText(control(w, id)); }
inline void click(HWND w, int id) { ::SendMessageA(control(w, id), BM_CLICK, 0, 0); } // what it closes is gone after
inline void type(HWND w, int id, const char* text) { ::SendMessageA(control(w, id), WM_SETTEXT, 0, LPARAM(text)); }
// The user moves a slider: the control's new place, then its notification to the window.
inline void slide(HWND w, int id, int position, int code)
{
    ::SendMessageA(control(w, id), TBM_SETPOS, TRUE, position);
    ::SendMessageA(w, WM_HSCROLL, MAKEWPARAM(code, position), LPARAM(control(w, id)));
}

using M = MainfrmControls;

// The windows on an in-memory registry and a fresh folder; message boxes (modal, they would block) are kept.
struct Win32Fixture : MessageBoxes {
    explicit Win32Fixture(bool oneAdapter = true) // a GeForceDDR under "0000" at 450/135
    {
        oneAdapter ? reg.addAdapter(0, "GeForceDDR", 450, 135) : void();
    }
    ~Win32Fixture() override // destroys the windows left open
    {
        for (HWND w : std::vector<HWND>(openWindows()))
            ::DestroyWindow(w);
    }
    void show(HWND, const std::string& text, UINT icon) override { messages.push_back(text), icons.push_back(icon); }

    HWND start()
    {
        Mainfrm* w = Mainfrm::start(state, *this);
        return main = w ? w->hwnd() : nullptr;
    }
    HWND openEditor() { return click(main, Mainfrm::IDC_Command5), window("Set presets"); }
    std::string clocks() const // "Text1/Slider1 Text2/Slider2"
    {
        const auto slider = [&](int id) { return std::to_string(sliderValue(control(main, id))); };
        return text(main, M::IDC_Text1) + "/" + slider(M::IDC_Slider1) + " " + text(main, M::IDC_Text2) + "/"
            + slider(M::IDC_Slider2);
    }

    TempDir dir;
    std::filesystem::path presetPath = dir / "TAVRL.CFG";
    FakeRegistry reg;
    ProgramState state { reg, PresetFile(presetPath) };
    std::vector<std::string> messages;
    std::vector<UINT> icons;
    HWND main = nullptr;
};

} // namespace tavrel::test
