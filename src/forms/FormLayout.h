#pragma once

#include <span>

namespace tavrel {

// The program's three windows as they were laid out: every control with its
// name, kind, text and place in twips (1/1440 inch), listed in tab order,
// which is also the order they are made in. Both front ends build their
// windows from these tables, so a place or a text is written only here.

struct TwipRect {
    int left, top, width, height;
};

// 15 twips make a pixel at 96 dots per inch; each number is rounded on its own.
constexpr int toPixels(int twips)
{
    return (twips + 7) / 15;
}

enum class ControlKind {
    Frame, // group box
    Label, // static text, opaque
    Edit, // one line, editable
    ReadOnlyEdit, // one line, the program's text only
    InfoBox, // several lines, the program's text only
    Slider, // without ticks, from 100 to its maximum, steps of 1
    FirstOption, // the first option button of a group: starts it
    Option, // the next option buttons of the same group
    Button, // push button, never the default one
    Picture // a bitmap, centred and clipped, in a sunken box
};

struct ControlLayout {
    int id;
    const char* name;
    ControlKind kind;
    const char* text;
    TwipRect rect; // relative to the frame that holds the control, else to the client area
    int frame = 0; // the id of that frame; 0 for none
    int sliderMax = 0;
};

struct FormLayout {
    const char* name;
    const char* caption;
    int clientWidth, clientHeight; // twips
    std::span<const ControlLayout> controls;

    const ControlLayout* find(int id) const;
    // The control's place in the client area: its frame's place added.
    TwipRect clientRect(const ControlLayout& control) const;
};

// The control ids, each form's in tab order. The windows' own ids: a
// Windows front end uses them as dialog item ids.
struct MainfrmControls {
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
};

struct PresetsControls {
    // Entry k (0 to 3) has frame IDC_Frame1 + k, name box IDC_Text1 + 3k,
    // value boxes the two after it, and sliders IDC_Slider1 + 2k and the next.
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
};

struct WarningControls {
    enum Control : int { IDC_Label1 = 100, IDC_Label2, IDC_Option1, IDC_Option2, IDC_Command1, IDC_Command2 };
};

const FormLayout& mainfrmLayout();
const FormLayout& presetsLayout();
const FormLayout& warningLayout();

} // namespace tavrel
