#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FormLayout.h"
#include "FormView.h"
#include "MainfrmModel.h"
#include "PresetsModel.h"
#include "ProgramState.h"
#include "WarningModel.h"
#include "driver/DriverLayout.h"
#include "support/FakeRegistry.h"
#include "support/TempDir.h"

namespace tavrel::test {

// A window as the models see it: controls by id, starting as the layout
// describes them (sliders at 100, everything enabled), and what was asked of it.
template <typename View> class FakeForm : public View {
public:
    explicit FakeForm(const FormLayout& layout) : layout_(layout)
    {
        for (const ControlLayout& c : layout.controls)
            c.kind == ControlKind::Slider ? void(sliders[c.id] = 100) : void(texts[c.id] = c.text);
    }
    std::string text(int id) const override { return texts.at(id); }
    void setText(int id, const std::string& text) override { texts.at(id) = text, ++sets[{ id, text }]; }
    int sliderValue(int id) const override { return sliders.at(id); }
    void setSliderValue(int id, int v) override { sliders.at(id) = std::clamp(v, 100, layout_.find(id)->sliderMax); }
    void setEnabled(int id, bool on) override { on ? void(disabled.erase(id)) : void(disabled.insert(id)); }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void close() override { ++closed; }

    std::map<int, std::string> texts;
    std::map<int, int> sliders;
    std::map<std::pair<int, std::string>, int> sets; // how often each text was set in each control
    std::set<int> disabled;
    std::vector<std::string> messages;
    int closed = 0;

private:
    const FormLayout& layout_;
};

struct FakeMainfrm : FakeForm<MainfrmView> {
    FakeMainfrm() : FakeForm(mainfrmLayout()) { }
    void openAdapterChoice() override { ++choices; }
    void openPresetEditor() override { ++editors; }
    // "Text1/Slider1 Text2/Slider2"
    std::string clocks() const
    {
        using M = MainfrmControls;
        return texts.at(M::IDC_Text1) + "/" + std::to_string(sliders.at(M::IDC_Slider1)) + " "
            + texts.at(M::IDC_Text2) + "/" + std::to_string(sliders.at(M::IDC_Slider2));
    }
    int choices = 0, editors = 0;
};

struct FakePresets : FakeForm<PresetsView> {
    FakePresets() : FakeForm(presetsLayout()) { }
    int caret(int box) const override { return carets.count(box) ? carets.at(box) : 0; }
    void setCaret(int box, int position) override { carets[box] = position; }
    void presetsStored() override { ++stored; }
    // The boxes, then the sliders: entry k has boxes 3k-2 to 3k and sliders 2k-1 and 2k.
    std::string shown() const
    {
        using P = PresetsControls;
        std::string out;
        for (int i = 0; i < 20; ++i)
            out += (i ? "/" : "")
                + (i < 12 ? texts.at(P::IDC_Text1 + i) : std::to_string(sliders.at(P::IDC_Slider1 + i - 12)));
        return out;
    }
    std::map<int, int> carets;
    int stored = 0;
};

struct FakeWarning : FakeForm<WarningView> {
    FakeWarning() : FakeForm(warningLayout()) { }
    void setChecked(int option) override { checked = option; }
    void adapterChanged() override { ++changed; }
    int checked = 0, changed = 0;
};

// The models on an in-memory registry and a fresh folder for the preset file.
struct FormFixture {
    explicit FormFixture(bool oneAdapter = true) // a GeForceDDR under "0000" at 450/135
    {
        oneAdapter ? reg.addAdapter(0, "GeForceDDR", 450, 135) : void();
    }

    TempDir dir;
    std::filesystem::path presetPath = dir / "TAVRL.CFG";
    FakeRegistry reg;
    ProgramState state { reg, PresetFile(presetPath) };
    FakeMainfrm main;
    MainfrmModel mainfrm { state, main };
};

} // namespace tavrel::test
