#pragma once

#include <string>

#include "FormLayout.h"
#include "FormView.h"

namespace tavrel {

struct ProgramState;
struct ClockReading;

// What the main window does: the driver's Info, the two clocks on sliders
// and in boxes kept in step, the preset buttons, and "OK", "Reset",
// "Defaults", "Close". It shows what the core reads and decides; "OK" itself
// is applyClocks. The handlers carry the window's names.
class MainfrmModel : public MainfrmControls {
public:
    MainfrmModel(ProgramState& state, MainfrmView& view);

    // The load sequence; false when no adapter was found and the message
    // has been shown. The window is not shown by it.
    bool Form_Load();
    // A user's event on a control; false when the window has no handler for it.
    bool handle(int control, FormEvent event);

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
    void loadPresets();
    void showClocks(const ClockReading& core, const ClockReading& memory);
    void applyPreset(int entry);
    // Sets a clock box and runs its change handler, as a box does even when
    // the text is the same.
    void setClockText(int box, const std::string& text);
    void showSliderIn(int slider, int box);
    void boxChanged(int box, int slider);

    ProgramState& state_;
    MainfrmView& view_;
};

// A caption for a button or frame: '&' shows as itself, not as a shortcut.
std::string captionText(const std::string& text);

} // namespace tavrel
