#include "Presets.h"

#include <algorithm>
#include <array>

#include "AnsiText.h"
#include "ChildWindows.h"
#include "MessageBoxes.h"
#include "ProgramState.h"
#include "driver/DriverLayout.h"
#include "presets/PresetStore.h"

namespace tavrel {

namespace {

using C = Presets::Control;

// Every frame is 15 twips wider than the window; each holds the same
// controls at the same places.
constexpr TwipRect frame(int entry)
{
    return { 0, 1560 * entry, 4695, 1455 };
}
constexpr TwipRect nameBox(int entry)
{
    return inside(frame(entry), { 120, 600, 1335, 285 });
}
constexpr TwipRect nameLabel(int entry, int width)
{
    return inside(frame(entry), { 480, 360, width, 255 });
}
constexpr TwipRect memoryBox(int entry)
{
    return inside(frame(entry), { 2280, 360, 495, 285 });
}
constexpr TwipRect coreBox(int entry)
{
    return inside(frame(entry), { 2280, 960, 495, 285 });
}
constexpr TwipRect memorySlider(int entry)
{
    return inside(frame(entry), { 2760, 360, 1815, 375 });
}
constexpr TwipRect coreSlider(int entry)
{
    return inside(frame(entry), { 2760, 960, 1815, 375 });
}
constexpr TwipRect memoryLabel(int entry, int left, int width)
{
    return inside(frame(entry), { left, 120, width, 255 });
}
constexpr TwipRect coreLabel(int entry, int left, int width)
{
    return inside(frame(entry), { left, 720, width, 255 });
}

constexpr ControlKind kEdit = ControlKind::Edit, kValue = ControlKind::ReadOnlyEdit, kSlider = ControlKind::Slider,
                      kLabel = ControlKind::Label, kFrame = ControlKind::Frame;

const ControlSpec kControls[] = {
    { C::IDC_Frame1, kFrame, "Preset 1", frame(0) },
    { C::IDC_Text1, kEdit, "", nameBox(0) },
    { C::IDC_Label1, kLabel, "Caption", nameLabel(0, 615) },
    { C::IDC_Slider1, kSlider, "", memorySlider(0), kMemClockMax },
    { C::IDC_Slider2, kSlider, "", coreSlider(0), kCoreClockMax },
    { C::IDC_Text2, kValue, "", memoryBox(0) },
    { C::IDC_Text3, kValue, "", coreBox(0) },
    { C::IDC_Frame2, kFrame, "Preset 2", frame(1) },
    { C::IDC_Label2, kLabel, "Caption", nameLabel(1, 735) },
    { C::IDC_Text4, kEdit, "", nameBox(1) },
    { C::IDC_Text5, kValue, "", memoryBox(1) },
    { C::IDC_Text6, kValue, "", coreBox(1) },
    { C::IDC_Slider3, kSlider, "", memorySlider(1), kMemClockMax },
    { C::IDC_Slider4, kSlider, "", coreSlider(1), kCoreClockMax },
    { C::IDC_Frame3, kFrame, "Preset 3", frame(2) },
    { C::IDC_Frame4, kFrame, "Preset 4", frame(3) },
    { C::IDC_Command1, ControlKind::Button, "OK", { 2760, 6240, 855, 255 } },
    { C::IDC_Command2, ControlKind::Button, "Cancel", { 3720, 6240, 855, 255 } },
    { C::IDC_Label3, kLabel, "Caption", nameLabel(2, 855) },
    { C::IDC_Text7, kEdit, "", nameBox(2) },
    { C::IDC_Text8, kValue, "", memoryBox(2) },
    { C::IDC_Text9, kValue, "", coreBox(2) },
    { C::IDC_Slider5, kSlider, "", memorySlider(2), kMemClockMax },
    { C::IDC_Slider6, kSlider, "", coreSlider(2), kCoreClockMax },
    { C::IDC_Label4, kLabel, "Caption", nameLabel(3, 735) },
    { C::IDC_Text10, kEdit, "", nameBox(3) },
    { C::IDC_Text11, kValue, "", memoryBox(3) },
    { C::IDC_Text12, kValue, "", coreBox(3) },
    { C::IDC_Slider7, kSlider, "", memorySlider(3), kMemClockMax },
    { C::IDC_Slider8, kSlider, "", coreSlider(3), kCoreClockMax },
    { C::IDC_Label5, kLabel, "Memory", memoryLabel(0, 3360, 615) },
    { C::IDC_Label6, kLabel, "     Core", coreLabel(0, 3240, 855) },
    { C::IDC_Label7, kLabel, "Memory", memoryLabel(1, 3360, 615) },
    { C::IDC_Label8, kLabel, "     Core", coreLabel(1, 3240, 855) },
    { C::IDC_Label9, kLabel, "   Memory", memoryLabel(2, 3240, 735) },
    { C::IDC_Label10, kLabel, "   Core", coreLabel(2, 3360, 615) },
    { C::IDC_Label11, kLabel, " Memory", memoryLabel(3, 3360, 735) },
    { C::IDC_Label12, kLabel, " Core", coreLabel(3, 3480, 735) },
};

} // namespace

Presets::Presets(ProgramState& state, MessageBoxes& messages, HWND notify)
    : state_(state)
    , messages_(messages)
    , notify_(notify)
{
}

Presets* Presets::create(ProgramState& state, MessageBoxes& messages, HWND notify)
{
    auto* w = new Presets(state, messages, notify);
    if (!w->Window::create("Set presets", 4680, 6525, kControls, true)) {
        delete w;
        return nullptr;
    }
    w->loading_ = true;
    w->Form_Load();
    w->loading_ = false;
    return w;
}

Presets::EntryControls Presets::entry(int index)
{
    return { IDC_Text1 + 3 * index, IDC_Text2 + 3 * index, IDC_Text3 + 3 * index, IDC_Slider1 + 2 * index,
        IDC_Slider2 + 2 * index };
}

void Presets::Form_Load()
{
    ClockPresetTable& table = state_.PresetTable;
    const auto at = [&](int i) -> const ClockPreset& { return table[static_cast<std::size_t>(i)]; };
    // A file that cannot be created here is reported by "OK", which writes
    // it again; an unreadable file leaves the table as it was, and that is
    // shown.
    if (loadPresets(state_.presetFile, table, PresetDefaults::Editor).source == PresetLoad::Source::Defaults) {
        for (int i = 0; i < 4; ++i) {
            setSliderValue(item(entry(i).memorySlider), at(i).MemoryClock.toInt32().value_or(0));
            setSliderValue(item(entry(i).coreSlider), at(i).CoreClock.toInt32().value_or(0));
        }
        for (int i = 0; i < 4; ++i)
            setWindowText(item(entry(i).name), at(i).Name);
        for (int i = 0; i < 4; ++i) {
            setWindowText(item(entry(i).memoryBox), at(i).MemoryClock.toText());
            setWindowText(item(entry(i).coreBox), at(i).CoreClock.toText());
        }
        return;
    }
    for (int i = 0; i < 4; ++i)
        setWindowText(item(entry(i).name), at(i).Name);
    for (int i = 0; i < 4; ++i) {
        const EntryControls c = entry(i);
        setWindowText(item(c.memoryBox), at(i).MemoryClock.toText());
        setWindowText(item(c.coreBox), at(i).CoreClock.toText());
        // A clock that is no number leaves its slider where it is; the box
        // still shows the text.
        if (const auto n = at(i).MemoryClock.toInt32())
            setSliderValue(item(c.memorySlider), *n);
        if (const auto n = at(i).CoreClock.toInt32())
            setSliderValue(item(c.coreSlider), *n);
    }
}

void Presets::onCommand(int id, int code)
{
    if (code == EN_CHANGE && !loading_ && id >= IDC_Text1 && id <= IDC_Text10 && (id - IDC_Text1) % 3 == 0)
        return dropUnstorable(id);
    if (code == BN_CLICKED && id == IDC_Command1)
        return Command1_Click();
    if (code == BN_CLICKED && id == IDC_Command2)
        return Command2_Click();
}

void Presets::onSlider(int id, SliderEvent event)
{
    using Handler = void (Presets::*)();
    static constexpr struct {
        int slider;
        Handler click, scroll;
    } handlers[] = {
        { IDC_Slider1, &Presets::Slider1_Click, &Presets::Slider1_Scroll },
        { IDC_Slider2, &Presets::Slider2_Click, &Presets::Slider2_Scroll },
        { IDC_Slider3, &Presets::Slider3_Click, &Presets::Slider3_Scroll },
        { IDC_Slider4, &Presets::Slider4_Click, &Presets::Slider4_Scroll },
        { IDC_Slider5, &Presets::Slider5_Click, &Presets::Slider5_Scroll },
        { IDC_Slider6, &Presets::Slider6_Click, &Presets::Slider6_Scroll },
        { IDC_Slider7, &Presets::Slider7_Click, &Presets::Slider7_Scroll },
        { IDC_Slider8, &Presets::Slider8_Click, &Presets::Slider8_Scroll },
    };
    for (const auto& h : handlers)
        if (h.slider == id)
            return (this->*(event == SliderEvent::Scroll ? h.scroll : h.click))();
}

void Presets::showPosition(int slider, int box)
{
    setWindowText(item(box), std::to_string(sliderValue(item(slider))));
}

void Presets::Slider1_Click()
{
    showPosition(IDC_Slider1, IDC_Text2);
}
void Presets::Slider1_Scroll()
{
    showPosition(IDC_Slider1, IDC_Text2);
}
void Presets::Slider2_Click()
{
    showPosition(IDC_Slider2, IDC_Text3);
}
void Presets::Slider2_Scroll()
{
    showPosition(IDC_Slider2, IDC_Text3);
}
void Presets::Slider3_Click()
{
    showPosition(IDC_Slider3, IDC_Text5);
}
void Presets::Slider3_Scroll()
{
    showPosition(IDC_Slider3, IDC_Text5);
}
void Presets::Slider4_Click()
{
    showPosition(IDC_Slider4, IDC_Text6);
}
void Presets::Slider4_Scroll()
{
    showPosition(IDC_Slider4, IDC_Text6);
}
void Presets::Slider5_Click()
{
    showPosition(IDC_Slider5, IDC_Text8);
}
void Presets::Slider5_Scroll()
{
    showPosition(IDC_Slider5, IDC_Text8);
}
void Presets::Slider6_Click()
{
    showPosition(IDC_Slider6, IDC_Text9);
}
void Presets::Slider6_Scroll()
{
    showPosition(IDC_Slider6, IDC_Text9);
}
void Presets::Slider7_Click()
{
    showPosition(IDC_Slider7, IDC_Text11);
}
void Presets::Slider7_Scroll()
{
    showPosition(IDC_Slider7, IDC_Text11);
}
void Presets::Slider8_Click()
{
    showPosition(IDC_Slider8, IDC_Text12);
}
void Presets::Slider8_Scroll()
{
    showPosition(IDC_Slider8, IDC_Text12);
}

// Keeps out of a name what the preset file cannot give back: a double quote
// ends the name when the file is read, a line break ends the field. Such
// characters are dropped from typed and pasted text alike (a name read from
// the file is shown as it is); commas are fine, since names are written in
// quotes.
void Presets::dropUnstorable(int nameBox)
{
    HWND box = item(nameBox);
    const std::string text = windowText(box);
    const auto unstorable = [](char c) { return c == '"' || c == '\r' || c == '\n'; };
    if (std::none_of(text.begin(), text.end(), unstorable))
        return;
    DWORD caret = 0;
    ::SendMessageA(box, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    caret = std::min<DWORD>(caret, static_cast<DWORD>(text.size()));
    const auto dropped = std::count_if(text.begin(), text.begin() + caret, unstorable);
    std::string kept = text;
    kept.erase(std::remove_if(kept.begin(), kept.end(), unstorable), kept.end());
    setWindowText(box, kept); // runs this again, which then finds nothing
    caret -= static_cast<DWORD>(dropped);
    ::SendMessageA(box, EM_SETSEL, caret, caret);
}

void Presets::Command1_Click()
{
    std::array<PresetEntryTexts, 4> texts;
    for (int i = 0; i < 4; ++i) {
        const EntryControls c = entry(i);
        texts[static_cast<std::size_t>(i)]
            = { windowText(item(c.name)), windowText(item(c.memoryBox)), windowText(item(c.coreBox)) };
    }
    storePresetEntries(state_.PresetTable, texts);

    // The store replaces the file whole or not at all, so a failure leaves
    // the previous presets on disk; the ones entered stay in use for this run.
    if (const FileError error = WritePresetFile(state_.presetFile, state_.PresetTable)) {
        messages_.show(hwnd(),
            "The presets could not be saved; the preset file keeps its previous presets. "
            "The new ones are used until Tavrel ends.\r\n\r\n"
                + utf8ToAnsi(error.message()));
    }
    // The main window may have been closed while the editor stayed open;
    // then there are no option buttons to rename.
    if (::IsWindow(notify_))
        ::SendMessageA(notify_, kPresetsStoredMessage, 0, 0);
    close();
}

void Presets::Command2_Click()
{
    close();
}

HWND createPresetEditor(ProgramState& state, MessageBoxes& messages, HWND notify)
{
    Presets* w = Presets::create(state, messages, notify);
    return w ? w->hwnd() : nullptr;
}

} // namespace tavrel
