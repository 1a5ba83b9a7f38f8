#include "FormLayout.h"

#include "Version.h"
#include "driver/DriverLayout.h"

namespace tavrel {

const ControlLayout* FormLayout::find(int id) const
{
    for (const ControlLayout& c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

TwipRect FormLayout::clientRect(const ControlLayout& control) const
{
    TwipRect r = control.rect;
    if (const ControlLayout* frame = control.frame ? find(control.frame) : nullptr) {
        r.left += frame->rect.left;
        r.top += frame->rect.top;
    }
    return r;
}

namespace {

constexpr ControlKind kFrame = ControlKind::Frame, kLabel = ControlKind::Label, kEdit = ControlKind::Edit,
                      kValue = ControlKind::ReadOnlyEdit, kSlider = ControlKind::Slider,
                      kButton = ControlKind::Button, kOption = ControlKind::Option;

using M = MainfrmControls;
const ControlLayout kMainfrm[] = {
    { M::IDC_Frame1, "Frame1", kFrame, "Memory clock", { 120, 1355, 2775, 975 } },
    { M::IDC_Frame2, "Frame2", kFrame, "Core clock", { 120, 2520, 2775, 975 } },
    { M::IDC_Slider1, "Slider1", kSlider, "", { 600, 360, 2055, 375 }, M::IDC_Frame1, kMemClockMax },
    { M::IDC_Text1, "Text1", kValue, "", { 120, 360, 495, 285 }, M::IDC_Frame1 },
    { M::IDC_Slider2, "Slider2", kSlider, "", { 600, 360, 2055, 375 }, M::IDC_Frame2, kCoreClockMax },
    { M::IDC_Text2, "Text2", kValue, "", { 120, 360, 495, 285 }, M::IDC_Frame2 },
    { M::IDC_Picture1, "Picture1", ControlKind::Picture, "", { 3000, 1440, 2535, 1755 } },
    { M::IDC_Command1, "Command1", kButton, "OK", { 3600, 3480, 1215, 255 } },
    { M::IDC_Command2, "Command2", kButton, "Close", { 3600, 4560, 1215, 255 } },
    { M::IDC_Command3, "Command3", kButton, "Reset", { 3600, 3840, 1215, 255 } },
    { M::IDC_Frame3, "Frame3", kFrame, "Info", { 120, 0, 5415, 1215 } },
    { M::IDC_Text3, "Text3", ControlKind::InfoBox, "", { 120, 240, 5175, 885 }, M::IDC_Frame3 },
    { M::IDC_Frame4, "Frame4", kFrame, "Clock presets", { 120, 3600, 2775, 1215 } },
    { M::IDC_Option1, "Option1", ControlKind::FirstOption, "Preset1", { 120, 240, 1215, 255 }, M::IDC_Frame4 },
    { M::IDC_Option2, "Option2", kOption, "Preset2", { 120, 480, 1215, 255 }, M::IDC_Frame4 },
    { M::IDC_Option3, "Option3", kOption, "Preset3", { 1320, 240, 1335, 255 }, M::IDC_Frame4 },
    { M::IDC_Option4, "Option4", kOption, "Preset4", { 1320, 480, 1335, 255 }, M::IDC_Frame4 },
    { M::IDC_Command4, "Command4", kButton, "Defaults", { 3600, 4200, 1215, 255 } },
    { M::IDC_Command5, "Command5", kButton, "Set presets", { 600, 840, 1095, 255 }, M::IDC_Frame4 },
};

// The editor's four frames hold the same controls at the same places. Every
// frame is 15 twips wider than the window.
using P = PresetsControls;
constexpr TwipRect frame(int entry)
{
    return { 0, 1560 * entry, 4695, 1455 };
}
constexpr TwipRect kNameBox { 120, 600, 1335, 285 }, kMemoryBox { 2280, 360, 495, 285 },
    kCoreBox { 2280, 960, 495, 285 }, kMemorySlider { 2760, 360, 1815, 375 }, kCoreSlider { 2760, 960, 1815, 375 };
constexpr TwipRect nameLabel(int width)
{
    return { 480, 360, width, 255 };
}
constexpr TwipRect memoryLabel(int left, int width)
{
    return { left, 120, width, 255 };
}
constexpr TwipRect coreLabel(int left, int width)
{
    return { left, 720, width, 255 };
}
constexpr int kMem = kMemClockMax, kCore = kCoreClockMax;

const ControlLayout kPresets[] = {
    { P::IDC_Frame1, "Frame1", kFrame, "Preset 1", frame(0) },
    { P::IDC_Text1, "Text1", kEdit, "", kNameBox, P::IDC_Frame1 },
    { P::IDC_Label1, "Label1", kLabel, "Caption", nameLabel(615), P::IDC_Frame1 },
    { P::IDC_Slider1, "Slider1", kSlider, "", kMemorySlider, P::IDC_Frame1, kMem },
    { P::IDC_Slider2, "Slider2", kSlider, "", kCoreSlider, P::IDC_Frame1, kCore },
    { P::IDC_Text2, "Text2", kValue, "", kMemoryBox, P::IDC_Frame1 },
    { P::IDC_Text3, "Text3", kValue, "", kCoreBox, P::IDC_Frame1 },
    { P::IDC_Frame2, "Frame2", kFrame, "Preset 2", frame(1) },
    { P::IDC_Label2, "Label2", kLabel, "Caption", nameLabel(735), P::IDC_Frame2 },
    { P::IDC_Text4, "Text4", kEdit, "", kNameBox, P::IDC_Frame2 },
    { P::IDC_Text5, "Text5", kValue, "", kMemoryBox, P::IDC_Frame2 },
    { P::IDC_Text6, "Text6", kValue, "", kCoreBox, P::IDC_Frame2 },
    { P::IDC_Slider3, "Slider3", kSlider, "", kMemorySlider, P::IDC_Frame2, kMem },
    { P::IDC_Slider4, "Slider4", kSlider, "", kCoreSlider, P::IDC_Frame2, kCore },
    { P::IDC_Frame3, "Frame3", kFrame, "Preset 3", frame(2) },
    { P::IDC_Frame4, "Frame4", kFrame, "Preset 4", frame(3) },
    { P::IDC_Command1, "Command1", kButton, "OK", { 2760, 6240, 855, 255 } },
    { P::IDC_Command2, "Command2", kButton, "Cancel", { 3720, 6240, 855, 255 } },
    { P::IDC_Label3, "Label3", kLabel, "Caption", nameLabel(855), P::IDC_Frame3 },
    { P::IDC_Text7, "Text7", kEdit, "", kNameBox, P::IDC_Frame3 },
    { P::IDC_Text8, "Text8", kValue, "", kMemoryBox, P::IDC_Frame3 },
    { P::IDC_Text9, "Text9", kValue, "", kCoreBox, P::IDC_Frame3 },
    { P::IDC_Slider5, "Slider5", kSlider, "", kMemorySlider, P::IDC_Frame3, kMem },
    { P::IDC_Slider6, "Slider6", kSlider, "", kCoreSlider, P::IDC_Frame3, kCore },
    { P::IDC_Label4, "Label4", kLabel, "Caption", nameLabel(735), P::IDC_Frame4 },
    { P::IDC_Text10, "Text10", kEdit, "", kNameBox, P::IDC_Frame4 },
    { P::IDC_Text11, "Text11", kValue, "", kMemoryBox, P::IDC_Frame4 },
    { P::IDC_Text12, "Text12", kValue, "", kCoreBox, P::IDC_Frame4 },
    { P::IDC_Slider7, "Slider7", kSlider, "", kMemorySlider, P::IDC_Frame4, kMem },
    { P::IDC_Slider8, "Slider8", kSlider, "", kCoreSlider, P::IDC_Frame4, kCore },
    { P::IDC_Label5, "Label5", kLabel, "Memory", memoryLabel(3360, 615), P::IDC_Frame1 },
    { P::IDC_Label6, "Label6", kLabel, "     Core", coreLabel(3240, 855), P::IDC_Frame1 },
    { P::IDC_Label7, "Label7", kLabel, "Memory", memoryLabel(3360, 615), P::IDC_Frame2 },
    { P::IDC_Label8, "Label8", kLabel, "     Core", coreLabel(3240, 855), P::IDC_Frame2 },
    { P::IDC_Label9, "Label9", kLabel, "   Memory", memoryLabel(3240, 735), P::IDC_Frame3 },
    { P::IDC_Label10, "Label10", kLabel, "   Core", coreLabel(3360, 615), P::IDC_Frame3 },
    { P::IDC_Label11, "Label11", kLabel, " Memory", memoryLabel(3360, 735), P::IDC_Frame4 },
    { P::IDC_Label12, "Label12", kLabel, " Core", coreLabel(3480, 735), P::IDC_Frame4 },
};

using W = WarningControls;
const ControlLayout kWarning[] = {
    { W::IDC_Label1, "Label1", kLabel, "There is a conflict in your registry's driver section",
        { 240, 120, 3735, 255 } },
    { W::IDC_Label2, "Label2", kLabel, "Please define manually your current Video adapter", { 240, 360, 3855, 255 } },
    { W::IDC_Option1, "Option1", ControlKind::FirstOption, "GeForce", { 240, 720, 1815, 255 } },
    { W::IDC_Option2, "Option2", kOption, "TNT 2 Ultra", { 240, 960, 1695, 255 } },
    { W::IDC_Command1, "Command1", kButton, "OK", { 2040, 840, 855, 255 } },
    { W::IDC_Command2, "Command2", kButton, "Cancel", { 3000, 840, 855, 255 } },
};

} // namespace

const FormLayout& mainfrmLayout()
{
    static const FormLayout layout { "Mainfrm", kMainCaption, 5610, 4845, kMainfrm };
    return layout;
}

const FormLayout& presetsLayout()
{
    static const FormLayout layout { "Presets", "Set presets", 4680, 6525, kPresets };
    return layout;
}

const FormLayout& warningLayout()
{
    // The form is 3930 twips wide, which would cut the end of Label1's text
    // (it reaches 3975): 60 twips more show it whole.
    static const FormLayout layout { "Warning", "Warning", 3990, 1215, kWarning };
    return layout;
}

} // namespace tavrel
