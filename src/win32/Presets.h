#pragma once

#include "Window.h"

namespace tavrel {

struct ProgramState;
class MessageBoxes;

// The preset editor: four frames, each with a name and the two clocks of one
// preset on sliders. It loads the presets when it opens and stores them only
// on "OK". A window of its own rather than one owned by the main window, so
// that it stays open (and keeps the program running) when the main window
// has been closed.
class Presets final : public Window {
public:
    // Control IDs; the tab order is the form's, kept by the control table.
    enum Control : int {
        IDC_Frame1 = 100,
        IDC_Frame2,
        IDC_Frame3,
        IDC_Frame4,
        IDC_Text1 = 110,
        IDC_Text2,
        IDC_Text3,
        IDC_Text4,
        IDC_Text5,
        IDC_Text6,
        IDC_Text7,
        IDC_Text8,
        IDC_Text9,
        IDC_Text10,
        IDC_Text11,
        IDC_Text12,
        IDC_Slider1 = 130,
        IDC_Slider2,
        IDC_Slider3,
        IDC_Slider4,
        IDC_Slider5,
        IDC_Slider6,
        IDC_Slider7,
        IDC_Slider8,
        IDC_Label1 = 140,
        IDC_Label2,
        IDC_Label3,
        IDC_Label4,
        IDC_Label5,
        IDC_Label6,
        IDC_Label7,
        IDC_Label8,
        IDC_Label9,
        IDC_Label10,
        IDC_Label11,
        IDC_Label12,
        IDC_Command1 = 160,
        IDC_Command2
    };

    // Makes the window, not yet shown, and loads it; nullptr when Windows
    // refused it. kPresetsStoredMessage goes to `notify` when "OK" stored.
    static Presets* create(ProgramState& state, MessageBoxes& messages, HWND notify);

    // Loads the table (creating the file with the editor's defaults when
    // there is none) and fills the controls. Run once, before the first show.
    void Form_Load();

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
    void Command1_Click();
    void Command2_Click();

private:
    struct EntryControls {
        int name, memoryBox, coreBox, memorySlider, coreSlider;
    };
    static EntryControls entry(int index);

    Presets(ProgramState& state, MessageBoxes& messages, HWND notify);
    void onCommand(int id, int code) override;
    void onSlider(int id, SliderEvent event) override;
    void showPosition(int slider, int box);
    void dropUnstorable(int nameBox);

    ProgramState& state_;
    MessageBoxes& messages_;
    HWND notify_;
    bool loading_ = false; // names from the file are shown as they are
};

} // namespace tavrel
