#include "Mainfrm.h"

#include "AnsiText.h"
#include "ChildWindows.h"
#include "MessageBoxes.h"
#include "ProgramState.h"
#include "Version.h"
#include "driver/ApplyClocks.h"
#include "driver/Detection.h"
#include "driver/DriverLayout.h"
#include "presets/PresetStore.h"

namespace tavrel {

namespace {

// The program's icon and the logo, numbered as in resources/tavrel.rc.in.
constexpr WORD kIconResource = 1;
constexpr WORD kLogoResource = 2;

using C = Mainfrm::Control;
constexpr TwipRect kFrame1 { 120, 1355, 2775, 975 };
constexpr TwipRect kFrame2 { 120, 2520, 2775, 975 };
constexpr TwipRect kFrame3 { 120, 0, 5415, 1215 };
constexpr TwipRect kFrame4 { 120, 3600, 2775, 1215 };

const ControlSpec kControls[] = {
    { C::IDC_Frame1, ControlKind::Frame, "Memory clock", kFrame1 },
    { C::IDC_Frame2, ControlKind::Frame, "Core clock", kFrame2 },
    { C::IDC_Slider1, ControlKind::Slider, "", inside(kFrame1, { 600, 360, 2055, 375 }), kMemClockMax },
    { C::IDC_Text1, ControlKind::ReadOnlyEdit, "", inside(kFrame1, { 120, 360, 495, 285 }) },
    { C::IDC_Slider2, ControlKind::Slider, "", inside(kFrame2, { 600, 360, 2055, 375 }), kCoreClockMax },
    { C::IDC_Text2, ControlKind::ReadOnlyEdit, "", inside(kFrame2, { 120, 360, 495, 285 }) },
    { C::IDC_Picture1, ControlKind::Picture, "", { 3000, 1440, 2535, 1755 } },
    { C::IDC_Command1, ControlKind::Button, "OK", { 3600, 3480, 1215, 255 } },
    { C::IDC_Command2, ControlKind::Button, "Close", { 3600, 4560, 1215, 255 } },
    { C::IDC_Command3, ControlKind::Button, "Reset", { 3600, 3840, 1215, 255 } },
    { C::IDC_Frame3, ControlKind::Frame, "Info", kFrame3 },
    { C::IDC_Text3, ControlKind::InfoBox, "", inside(kFrame3, { 120, 240, 5175, 885 }) },
    { C::IDC_Frame4, ControlKind::Frame, "Clock presets", kFrame4 },
    { C::IDC_Option1, ControlKind::FirstOption, "Preset1", inside(kFrame4, { 120, 240, 1215, 255 }) },
    { C::IDC_Option2, ControlKind::Option, "Preset2", inside(kFrame4, { 120, 480, 1215, 255 }) },
    { C::IDC_Option3, ControlKind::Option, "Preset3", inside(kFrame4, { 1320, 240, 1335, 255 }) },
    { C::IDC_Option4, ControlKind::Option, "Preset4", inside(kFrame4, { 1320, 480, 1335, 255 }) },
    { C::IDC_Command4, ControlKind::Button, "Defaults", { 3600, 4200, 1215, 255 } },
    { C::IDC_Command5, ControlKind::Button, "Set presets", inside(kFrame4, { 600, 840, 1095, 255 }) },
};

} // namespace

Mainfrm::Mainfrm(ProgramState& state, MessageBoxes& messages)
    : state_(state)
    , messages_(messages)
{
}

Mainfrm::~Mainfrm()
{
    if (logo_)
        ::DeleteObject(logo_);
}

Mainfrm* Mainfrm::start(ProgramState& state, MessageBoxes& messages)
{
    auto* w = new Mainfrm(state, messages);
    if (!w->create(kMainCaption, 5610, 4845, kControls, false)) {
        delete w;
        return nullptr;
    }
    w->showImages();
    if (!w->Form_Load()) {
        w->close();
        return nullptr;
    }
    w->bringForward();
    // The question comes first: keep the adapter choice above the main window.
    if (w->warning_ && ::IsWindow(w->warning_))
        tavrel::bringForward(w->warning_);
    return w;
}

void Mainfrm::showImages()
{
    HINSTANCE module = ::GetModuleHandleA(nullptr);
    const auto icon = [&](int size) {
        return reinterpret_cast<LPARAM>(
            ::LoadImageA(module, MAKEINTRESOURCEA(kIconResource), IMAGE_ICON, size, size, LR_SHARED));
    };
    ::SendMessageA(hwnd(), WM_SETICON, ICON_BIG, icon(::GetSystemMetrics(SM_CXICON)));
    ::SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, icon(::GetSystemMetrics(SM_CXSMICON)));
    logo_ = static_cast<HBITMAP>(::LoadImageA(module, MAKEINTRESOURCEA(kLogoResource), IMAGE_BITMAP, 0, 0, 0));
    ::SendMessageA(item(IDC_Picture1), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_));
}

bool Mainfrm::Form_Load()
{
    loadPresets();

    switch (ScanDisplayKeys(state_)) {
    case ScanOutcome::NoAdapter:
        messages_.show(nullptr, kNoAdapterMessage);
        return false;
    case ScanOutcome::SeveralAdapters:
        openAdapterChoice();
        break;
    case ScanOutcome::OneAdapter:
        break;
    }
    showAdapter();
    return true;
}

void Mainfrm::loadPresets()
{
    const PresetLoad load = tavrel::loadPresets(state_.presetFile, state_.PresetTable, PresetDefaults::Start);
    if (load.source == PresetLoad::Source::Defaults) {
        // The sliders start at preset 1's clocks until the adapter's are read.
        setSliderValue(item(IDC_Slider1), state_.PresetTable[0].MemoryClock.toInt32().value_or(0));
        setSliderValue(item(IDC_Slider2), state_.PresetTable[0].CoreClock.toInt32().value_or(0));
    } else if (load.source == PresetLoad::Source::Unreadable) {
        // The program goes on without the presets, but says why they are missing.
        messages_.show(nullptr,
            "The presets could not be read; the preset buttons stay empty.\r\n\r\n"
                + utf8ToAnsi(load.error.message()));
    }
    showPresetNames();
}

void Mainfrm::showPresetNames()
{
    const int options[] = { IDC_Option1, IDC_Option2, IDC_Option3, IDC_Option4 };
    for (std::size_t i = 0; i < 4; ++i)
        setWindowText(item(options[i]), captionText(state_.PresetTable[i].Name));
}

void Mainfrm::showAdapter()
{
    // Four lines, each ending in CR LF: the box needs no empty fifth one.
    std::string shown = ShowDriverInfo(state_);
    if (shown.ends_with("\r\n"))
        shown.resize(shown.size() - 2);
    setWindowText(item(IDC_Text3), shown);

    const CurrentClocks clocks = ReadCurrentClocks(state_);
    applyClocks(clocks.core, clocks.memory);
}

void Mainfrm::applyClocks(const ClockReading& core, const ClockReading& memory)
{
    setClockText(IDC_Text2, core.text);
    if (core.slider)
        setSliderValue(item(IDC_Slider2), *core.slider);
    setClockText(IDC_Text1, memory.text);
    if (memory.slider)
        setSliderValue(item(IDC_Slider1), *memory.slider);
}

void Mainfrm::openAdapterChoice()
{
    // Opened without waiting: the load sequence goes on, and the main
    // window appears beside it. Only detection opens it, once per run.
    if (!warning_ || !::IsWindow(warning_))
        warning_ = createAdapterChoice(state_, hwnd());
}

void Mainfrm::setClockText(int box, const std::string& text)
{
    HWND control = item(box);
    if (windowText(control) != text) {
        setWindowText(control, text); // EN_CHANGE runs the change handler
        return;
    }
    box == IDC_Text1 ? Text1_Change() : Text2_Change();
}

void Mainfrm::onCommand(int id, int code)
{
    if (code == EN_CHANGE && (id == IDC_Text1 || id == IDC_Text2))
        return id == IDC_Text1 ? Text1_Change() : Text2_Change();
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case IDC_Command1:
        return Command1_Click();
    case IDC_Command2:
        return Command2_Click();
    case IDC_Command3:
        return Command3_Click();
    case IDC_Command4:
        return Command4_Click();
    case IDC_Command5:
        return Command5_Click();
    case IDC_Option1:
        return Option1_Click();
    case IDC_Option2:
        return Option2_Click();
    case IDC_Option3:
        return Option3_Click();
    case IDC_Option4:
        return Option4_Click();
    }
}

void Mainfrm::onSlider(int id, SliderEvent event)
{
    const bool scroll = event == SliderEvent::Scroll;
    if (id == IDC_Slider1)
        scroll ? Slider1_Scroll() : Slider1_Click();
    else if (id == IDC_Slider2)
        scroll ? Slider2_Scroll() : Slider2_Click();
}

bool Mainfrm::onAppMessage(UINT message, WPARAM, LPARAM)
{
    if (message == kAdapterChangedMessage)
        showAdapter(); // the main window must show the adapter its "OK" writes to
    else if (message == kPresetsStoredMessage)
        showPresetNames();
    else
        return false;
    return true;
}

void Mainfrm::showSliderIn(int slider, int box)
{
    setWindowText(item(box), std::to_string(sliderValue(item(slider))));
    enableControl(hwnd(), item(IDC_Command1), true);
}

void Mainfrm::Slider1_Scroll()
{
    showSliderIn(IDC_Slider1, IDC_Text1);
}
void Mainfrm::Slider1_Click()
{
    Slider1_Scroll();
}
void Mainfrm::Slider2_Scroll()
{
    showSliderIn(IDC_Slider2, IDC_Text2);
}
void Mainfrm::Slider2_Click()
{
    Slider2_Scroll();
}

void Mainfrm::Text1_Change()
{
    // A text that is no number leaves the slider where it is.
    if (const auto n = readStrict(windowText(item(IDC_Text1))))
        setSliderValue(item(IDC_Slider1), *n);
    enableControl(hwnd(), item(IDC_Command1), true);
}

void Mainfrm::Text2_Change()
{
    if (const auto n = readStrict(windowText(item(IDC_Text2))))
        setSliderValue(item(IDC_Slider2), *n);
    enableControl(hwnd(), item(IDC_Command1), true);
}

void Mainfrm::Command1_Click()
{
    const ApplyOutcome outcome
        = tavrel::applyClocks(state_, state_.AdapterKey, windowText(item(IDC_Text1)), windowText(item(IDC_Text2)));
    if (!outcome.message.empty())
        messages_.show(hwnd(), utf8ToAnsi(outcome.message));
    // After a failure "OK" stays enabled, to try again.
    if (outcome.written)
        enableControl(hwnd(), item(IDC_Command1), false);
}

void Mainfrm::Command2_Click()
{
    close();
}

void Mainfrm::Command3_Click()
{
    setClockText(IDC_Text1, state_.StartMemClock.toText());
    setClockText(IDC_Text2, std::to_string(state_.StartGrfxClock));
    if (const auto n = state_.StartMemClock.toInt32())
        setSliderValue(item(IDC_Slider1), *n);
    setSliderValue(item(IDC_Slider2), state_.StartGrfxClock);
}

void Mainfrm::Command4_Click()
{
    setSliderValue(item(IDC_Slider1), kStockMemClock);
    setSliderValue(item(IDC_Slider2), kStockCoreClock);
    setClockText(IDC_Text1, std::to_string(sliderValue(item(IDC_Slider1))));
    setClockText(IDC_Text2, std::to_string(sliderValue(item(IDC_Slider2))));
}

void Mainfrm::Command5_Click()
{
    // Modeless and only one: a second press brings the open editor forward
    // as it is, without loading it again.
    if (!presets_ || !::IsWindow(presets_))
        presets_ = createPresetEditor(state_, messages_, hwnd());
    if (presets_)
        tavrel::bringForward(presets_);
}

void Mainfrm::applyPreset(int entry)
{
    const ClockPreset& preset = state_.PresetTable[static_cast<std::size_t>(entry - 1)];
    if (const auto n = preset.MemoryClock.toInt32())
        setSliderValue(item(IDC_Slider1), *n);
    if (const auto n = preset.CoreClock.toInt32())
        setSliderValue(item(IDC_Slider2), *n);
    setClockText(IDC_Text1, preset.MemoryClock.toText());
    setClockText(IDC_Text2, preset.CoreClock.toText());
}

void Mainfrm::Option1_Click()
{
    applyPreset(1);
}
void Mainfrm::Option2_Click()
{
    applyPreset(2);
}
void Mainfrm::Option3_Click()
{
    applyPreset(3);
}
void Mainfrm::Option4_Click()
{
    applyPreset(4);
}

} // namespace tavrel
