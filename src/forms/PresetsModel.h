#pragma once

#include "FormLayout.h"
#include "FormView.h"

namespace tavrel {

struct ProgramState;

// What the preset editor does: four entries, each a name and the two clocks
// of one preset on sliders. It loads the presets when it opens and stores
// them only on "OK". The handlers carry the window's names.
class PresetsModel : public PresetsControls {
public:
    PresetsModel(ProgramState& state, PresetsView& view);

    // Loads the table (creating the file with the editor's defaults when
    // there is none) and fills the controls. Run once, before the first show.
    void Form_Load();
    // A user's event on a control; false when the window has no handler for it.
    bool handle(int control, FormEvent event);

    // Click and Scroll both show the slider's position in its value box.
    void Slider1_Click();
    void Slider1_Scroll();
    void Slider2_Click();
    void Slider2_Scroll();
    void Slider3_Click();
    void Slider3_Scroll();
    void Slider4_Click();
    void Slider4_Scroll();
    void Slider5_Click();
    void Slider5_Scroll();
    void Slider6_Click();
    void Slider6_Scroll();
    void Slider7_Click();
    void Slider7_Scroll();
    void Slider8_Click();
    void Slider8_Scroll();
    // The user changed a name box: what the file could not give back is dropped.
    void Text1_Change();
    void Text4_Change();
    void Text7_Change();
    void Text10_Change();
    void Command1_Click();
    void Command2_Click();

private:
    // A slider's value box, by slider id.
    static int valueBoxOf(int slider);
    void showPosition(int slider);
    void dropUnstorable(int nameBox);

    ProgramState& state_;
    PresetsView& view_;
};

} // namespace tavrel
