#include "PresetsModel.h"

#include <algorithm>
#include <array>

#include "ProgramState.h"
#include "presets/PresetName.h"
#include "presets/PresetStore.h"

namespace tavrel {

namespace {

struct EntryControls {
    int name, memoryBox, coreBox, memorySlider, coreSlider;
};

constexpr EntryControls entry(int index)
{
    using P = PresetsControls;
    return { P::IDC_Text1 + 3 * index, P::IDC_Text2 + 3 * index, P::IDC_Text3 + 3 * index,
        P::IDC_Slider1 + 2 * index, P::IDC_Slider2 + 2 * index };
}

} // namespace

PresetsModel::PresetsModel(ProgramState& state, PresetsView& view)
    : state_(state)
    , view_(view)
{
}

bool PresetsModel::handle(int control, FormEvent event)
{
    using E = FormEvent;
    using P = PresetsModel;
    static const FormHandler<P> handlers[] = {
        { IDC_Slider1, E::Click, &P::Slider1_Click },
        { IDC_Slider1, E::Scroll, &P::Slider1_Scroll },
        { IDC_Slider2, E::Click, &P::Slider2_Click },
        { IDC_Slider2, E::Scroll, &P::Slider2_Scroll },
        { IDC_Slider3, E::Click, &P::Slider3_Click },
        { IDC_Slider3, E::Scroll, &P::Slider3_Scroll },
        { IDC_Slider4, E::Click, &P::Slider4_Click },
        { IDC_Slider4, E::Scroll, &P::Slider4_Scroll },
        { IDC_Slider5, E::Click, &P::Slider5_Click },
        { IDC_Slider5, E::Scroll, &P::Slider5_Scroll },
        { IDC_Slider6, E::Click, &P::Slider6_Click },
        { IDC_Slider6, E::Scroll, &P::Slider6_Scroll },
        { IDC_Slider7, E::Click, &P::Slider7_Click },
        { IDC_Slider7, E::Scroll, &P::Slider7_Scroll },
        { IDC_Slider8, E::Click, &P::Slider8_Click },
        { IDC_Slider8, E::Scroll, &P::Slider8_Scroll },
        { IDC_Text1, E::Change, &P::Text1_Change },
        { IDC_Text4, E::Change, &P::Text4_Change },
        { IDC_Text7, E::Change, &P::Text7_Change },
        { IDC_Text10, E::Change, &P::Text10_Change },
        { IDC_Command1, E::Click, &P::Command1_Click },
        { IDC_Command2, E::Click, &P::Command2_Click },
    };
    return dispatch(*this, handlers, control, event);
}

int PresetsModel::valueBoxOf(int slider)
{
    const int k = slider - IDC_Slider1;
    return k % 2 ? entry(k / 2).coreBox : entry(k / 2).memoryBox;
}

void PresetsModel::Form_Load()
{
    ClockPresetTable& table = state_.PresetTable;
    // A file that cannot be created here is reported by "OK", which writes
    // it again; an unreadable file leaves the table as it was, and that is
    // shown.
    tavrel::loadPresets(state_.presetFile, table, PresetDefaults::Editor);
    for (int i = 0; i < 4; ++i) {
        const ClockPreset& preset = table[static_cast<std::size_t>(i)];
        const EntryControls c = entry(i);
        view_.setText(c.name, preset.Name);
        view_.setText(c.memoryBox, preset.MemoryClock.toText());
        view_.setText(c.coreBox, preset.CoreClock.toText());
        // A clock that is no number leaves its slider where it is; the box
        // still shows the text.
        if (const auto n = preset.MemoryClock.toInt32())
            view_.setSliderValue(c.memorySlider, *n);
        if (const auto n = preset.CoreClock.toInt32())
            view_.setSliderValue(c.coreSlider, *n);
    }
}

void PresetsModel::showPosition(int slider)
{
    view_.setText(valueBoxOf(slider), std::to_string(view_.sliderValue(slider)));
}

void PresetsModel::Slider1_Click()
{
    showPosition(IDC_Slider1);
}
void PresetsModel::Slider1_Scroll()
{
    showPosition(IDC_Slider1);
}
void PresetsModel::Slider2_Click()
{
    showPosition(IDC_Slider2);
}
void PresetsModel::Slider2_Scroll()
{
    showPosition(IDC_Slider2);
}
void PresetsModel::Slider3_Click()
{
    showPosition(IDC_Slider3);
}
void PresetsModel::Slider3_Scroll()
{
    showPosition(IDC_Slider3);
}
void PresetsModel::Slider4_Click()
{
    showPosition(IDC_Slider4);
}
void PresetsModel::Slider4_Scroll()
{
    showPosition(IDC_Slider4);
}
void PresetsModel::Slider5_Click()
{
    showPosition(IDC_Slider5);
}
void PresetsModel::Slider5_Scroll()
{
    showPosition(IDC_Slider5);
}
void PresetsModel::Slider6_Click()
{
    showPosition(IDC_Slider6);
}
void PresetsModel::Slider6_Scroll()
{
    showPosition(IDC_Slider6);
}
void PresetsModel::Slider7_Click()
{
    showPosition(IDC_Slider7);
}
void PresetsModel::Slider7_Scroll()
{
    showPosition(IDC_Slider7);
}
void PresetsModel::Slider8_Click()
{
    showPosition(IDC_Slider8);
}
void PresetsModel::Slider8_Scroll()
{
    showPosition(IDC_Slider8);
}

void PresetsModel::Text1_Change()
{
    dropUnstorable(IDC_Text1);
}
void PresetsModel::Text4_Change()
{
    dropUnstorable(IDC_Text4);
}
void PresetsModel::Text7_Change()
{
    dropUnstorable(IDC_Text7);
}
void PresetsModel::Text10_Change()
{
    dropUnstorable(IDC_Text10);
}

// Typed and pasted text alike; a name read from the file is shown as it is.
void PresetsModel::dropUnstorable(int nameBox)
{
    const auto kept
        = storablePresetName(view_.text(nameBox), static_cast<std::size_t>(std::max(view_.caret(nameBox), 0)));
    if (!kept)
        return;
    view_.setText(nameBox, kept->name);
    view_.setCaret(nameBox, static_cast<int>(kept->caret));
}

void PresetsModel::Command1_Click()
{
    std::array<PresetEntryTexts, 4> texts;
    for (int i = 0; i < 4; ++i) {
        const EntryControls c = entry(i);
        texts[static_cast<std::size_t>(i)] = { view_.text(c.name), view_.text(c.memoryBox), view_.text(c.coreBox) };
    }
    storePresetEntries(state_.PresetTable, texts);

    // The store replaces the file whole or not at all, so a failure leaves
    // the previous presets on disk; the ones entered stay in use for this run.
    if (const FileError error = WritePresetFile(state_.presetFile, state_.PresetTable)) {
        view_.showMessage("The presets could not be saved; the preset file keeps its previous presets. "
                          "The new ones are used until Tavrel ends.\n\n"
            + error.message());
    }
    view_.presetsStored();
    view_.close();
}

void PresetsModel::Command2_Click()
{
    view_.close();
}

} // namespace tavrel
