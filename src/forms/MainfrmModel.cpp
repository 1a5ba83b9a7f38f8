#include "MainfrmModel.h"

#include "ProgramState.h"
#include "driver/ApplyClocks.h"
#include "driver/Detection.h"
#include "driver/DriverLayout.h"
#include "presets/PresetStore.h"

namespace tavrel {

std::string captionText(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '&')
            out += '&';
        out += c;
    }
    return out;
}

MainfrmModel::MainfrmModel(ProgramState& state, MainfrmView& view)
    : state_(state)
    , view_(view)
{
}

bool MainfrmModel::handle(int control, FormEvent event)
{
    using E = FormEvent;
    using M = MainfrmModel;
    static const FormHandler<M> handlers[] = {
        { IDC_Slider1, E::Scroll, &M::Slider1_Scroll },
        { IDC_Slider1, E::Click, &M::Slider1_Click },
        { IDC_Slider2, E::Scroll, &M::Slider2_Scroll },
        { IDC_Slider2, E::Click, &M::Slider2_Click },
        { IDC_Text1, E::Change, &M::Text1_Change },
        { IDC_Text2, E::Change, &M::Text2_Change },
        { IDC_Command1, E::Click, &M::Command1_Click },
        { IDC_Command2, E::Click, &M::Command2_Click },
        { IDC_Command3, E::Click, &M::Command3_Click },
        { IDC_Command4, E::Click, &M::Command4_Click },
        { IDC_Command5, E::Click, &M::Command5_Click },
        { IDC_Option1, E::Click, &M::Option1_Click },
        { IDC_Option2, E::Click, &M::Option2_Click },
        { IDC_Option3, E::Click, &M::Option3_Click },
        { IDC_Option4, E::Click, &M::Option4_Click },
    };
    return dispatch(*this, handlers, control, event);
}

bool MainfrmModel::Form_Load()
{
    loadPresets();

    switch (ScanDisplayKeys(state_)) {
    case ScanOutcome::NoAdapter:
        view_.showMessage(kNoAdapterMessage);
        return false;
    case ScanOutcome::SeveralAdapters:
        // Opened without waiting: the load sequence goes on, and the main
        // window appears beside it.
        view_.openAdapterChoice();
        break;
    case ScanOutcome::OneAdapter:
        break;
    }
    showAdapter();
    return true;
}

void MainfrmModel::loadPresets()
{
    const PresetLoad load = tavrel::loadPresets(state_.presetFile, state_.PresetTable, PresetDefaults::Start);
    if (load.source == PresetLoad::Source::Defaults) {
        // The sliders start at preset 1's clocks until the adapter's are read.
        view_.setSliderValue(IDC_Slider1, state_.PresetTable[0].MemoryClock.toInt32().value_or(0));
        view_.setSliderValue(IDC_Slider2, state_.PresetTable[0].CoreClock.toInt32().value_or(0));
    } else if (load.source == PresetLoad::Source::Unreadable) {
        // The program goes on without the presets, but says why they are missing.
        view_.showMessage("The presets could not be read; the preset buttons stay empty.\n\n" + load.error.message());
    }
    showPresetNames();
}

void MainfrmModel::showPresetNames()
{
    const int options[] = { IDC_Option1, IDC_Option2, IDC_Option3, IDC_Option4 };
    for (std::size_t i = 0; i < 4; ++i)
        view_.setText(options[i], captionText(state_.PresetTable[i].Name));
}

void MainfrmModel::showAdapter()
{
    // Spaces after each label line the colons up in the windows'
    // proportional font, as the form was drawn.
    static const std::size_t spaces[] = { 1, 13, 7, 5 };
    std::string shown;
    const auto lines = ShowDriverInfo(state_);
    for (std::size_t i = 0; i < lines.size(); ++i)
        shown += (i ? "\n" : "") + std::string(lines[i].label) + std::string(spaces[i], ' ') + ": " + lines[i].value;
    view_.setText(IDC_Text3, shown);

    const CurrentClocks clocks = ReadCurrentClocks(state_);
    showClocks(clocks.core, clocks.memory);
}

void MainfrmModel::showClocks(const ClockReading& core, const ClockReading& memory)
{
    setClockText(IDC_Text2, core.text);
    if (core.slider)
        view_.setSliderValue(IDC_Slider2, *core.slider);
    setClockText(IDC_Text1, memory.text);
    if (memory.slider)
        view_.setSliderValue(IDC_Slider1, *memory.slider);
}

void MainfrmModel::setClockText(int box, const std::string& text)
{
    view_.setText(box, text);
    box == IDC_Text1 ? Text1_Change() : Text2_Change();
}

void MainfrmModel::showSliderIn(int slider, int box)
{
    setClockText(box, std::to_string(view_.sliderValue(slider)));
    view_.setEnabled(IDC_Command1, true);
}

void MainfrmModel::Slider1_Scroll()
{
    showSliderIn(IDC_Slider1, IDC_Text1);
}
void MainfrmModel::Slider1_Click()
{
    Slider1_Scroll();
}
void MainfrmModel::Slider2_Scroll()
{
    showSliderIn(IDC_Slider2, IDC_Text2);
}
void MainfrmModel::Slider2_Click()
{
    Slider2_Scroll();
}

void MainfrmModel::boxChanged(int box, int slider)
{
    // A text that is no number leaves the slider where it is.
    if (const auto n = readStrict(view_.text(box)))
        view_.setSliderValue(slider, *n);
    view_.setEnabled(IDC_Command1, true);
}

void MainfrmModel::Text1_Change()
{
    boxChanged(IDC_Text1, IDC_Slider1);
}
void MainfrmModel::Text2_Change()
{
    boxChanged(IDC_Text2, IDC_Slider2);
}

void MainfrmModel::Command1_Click()
{
    const ApplyOutcome outcome
        = applyClocks(state_, state_.AdapterKey, view_.text(IDC_Text1), view_.text(IDC_Text2));
    if (!outcome.message.empty())
        view_.showMessage(outcome.message);
    // After a failure "OK" stays enabled, to try again.
    if (outcome.written)
        view_.setEnabled(IDC_Command1, false);
}

void MainfrmModel::Command2_Click()
{
    view_.close();
}

void MainfrmModel::Command3_Click()
{
    setClockText(IDC_Text1, state_.StartMemClock.toText());
    setClockText(IDC_Text2, std::to_string(state_.StartGrfxClock));
    if (const auto n = state_.StartMemClock.toInt32())
        view_.setSliderValue(IDC_Slider1, *n);
    view_.setSliderValue(IDC_Slider2, state_.StartGrfxClock);
}

void MainfrmModel::Command4_Click()
{
    view_.setSliderValue(IDC_Slider1, kStockMemClock);
    view_.setSliderValue(IDC_Slider2, kStockCoreClock);
    setClockText(IDC_Text1, std::to_string(view_.sliderValue(IDC_Slider1)));
    setClockText(IDC_Text2, std::to_string(view_.sliderValue(IDC_Slider2)));
}

void MainfrmModel::Command5_Click()
{
    view_.openPresetEditor();
}

void MainfrmModel::applyPreset(int entry)
{
    const ClockPreset& preset = state_.PresetTable[static_cast<std::size_t>(entry - 1)];
    if (const auto n = preset.MemoryClock.toInt32())
        view_.setSliderValue(IDC_Slider1, *n);
    if (const auto n = preset.CoreClock.toInt32())
        view_.setSliderValue(IDC_Slider2, *n);
    setClockText(IDC_Text1, preset.MemoryClock.toText());
    setClockText(IDC_Text2, preset.CoreClock.toText());
}

void MainfrmModel::Option1_Click()
{
    applyPreset(1);
}
void MainfrmModel::Option2_Click()
{
    applyPreset(2);
}
void MainfrmModel::Option3_Click()
{
    applyPreset(3);
}
void MainfrmModel::Option4_Click()
{
    applyPreset(4);
}

} // namespace tavrel
