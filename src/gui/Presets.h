#pragma once

#include <functional>

#include "PresetsModel.h"
#include "QtForm.h"

namespace tavrel {

struct ProgramState;

// The preset editor, drawn with Qt: what it does is PresetsModel's. A
// top-level window of its own rather than a child of the main window, so
// that it stays open (and keeps the program running) when the main window
// has been closed.
class Presets : public QtForm<PresetsView> {
public:
    Presets(ProgramState& state, MessageBoxes& messages);

    PresetsModel& model() { return model_; }
    // Runs when "OK" stored the presets (whether or not the file could be written).
    void onPresetsStored(std::function<void()> run) { presetsStored_ = std::move(run); }

private:
    int caret(int box) const override;
    void setCaret(int box, int position) override;
    void presetsStored() override;

    PresetsModel model_;
    std::function<void()> presetsStored_;
};

} // namespace tavrel
