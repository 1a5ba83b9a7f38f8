#pragma once

#include <string>

#include "Window.h"

namespace tavrel {

struct ProgramState;
struct ClockReading;
class MessageBoxes;

// The main window: the driver's Info, the two clocks on sliders and in text
// boxes, the preset buttons, and "OK", "Reset", "Defaults", "Close". It shows
// what the core reads and decides; "OK" itself is tavrel::applyClocks.
class Mainfrm final : public Window {
public:
    // Control IDs, in tab order.
    enum Control : int {
        IDC_Frame1 = 100,
        IDC_Frame2,
        IDC_Slider1,
        IDC_Text1,
        IDC_Slider2,
        IDC_Text2,
        IDC_Picture1,
        IDC_Command1,
        IDC_Command2,
        IDC_Command3,
        IDC_Frame3,
        IDC_Text3,
        IDC_Frame4,
        IDC_Option1,
        IDC_Option2,
        IDC_Option3,
        IDC_Option4,
        IDC_Command4,
        IDC_Command5
    };

    // Creates the window, runs its load sequence and shows it. Returns
    // nullptr when the program must end instead (no adapter found).
    static Mainfrm* start(ProgramState& state, MessageBoxes& messages);

    // The load sequence; false when no adapter was found and the message
    // has been shown. The window is not shown by it.
    bool Form_Load();

    // The option buttons take the names of the preset table.
    void showPresetNames();
    // Shows the Info and the clocks of the adapter now in AdapterKey, so
    // that what "OK" writes and what the window shows belong together.
    void showAdapter();

    void Slider1_Scroll();
    void Slider1_Click();
    void Slider2_Scroll();
    void Slider2_Click();
    void Text1_Change();
    void Text2_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();

private:
    Mainfrm(ProgramState& state, MessageBoxes& messages);
    ~Mainfrm() override;
    void onCommand(int id, int code) override;
    void onSlider(int id, SliderEvent event) override;
    bool onAppMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void showImages();

    void loadPresets();
    void openAdapterChoice();
    void applyClocks(const ClockReading& core, const ClockReading& memory);
    void applyPreset(int entry);
    // Sets a clock box; its change handler runs even when the text is the same.
    void setClockText(int box, const std::string& text);
    void showSliderIn(int slider, int box);

    ProgramState& state_;
    MessageBoxes& messages_;
    HWND presets_ = nullptr;
    HWND warning_ = nullptr;
    HBITMAP logo_ = nullptr;
};

} // namespace tavrel
