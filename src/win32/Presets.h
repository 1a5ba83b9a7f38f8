#pragma once

#include "PresetsModel.h"
#include "Win32Form.h"

namespace tavrel {

struct ProgramState;

// The preset editor, made of the system's controls: what it does is
// PresetsModel's. A window of its own rather than one owned by the main
// window, so that it stays open (and keeps the program running) when the
// main window has been closed.
class Presets final : public Win32Form<PresetsView>, public PresetsControls {
public:
    // Makes the window, not yet shown, and loads it; nullptr when Windows
    // refused it. kPresetsStoredMessage goes to `notify` when "OK" stored.
    static Presets* create(ProgramState& state, MessageBoxes& messages, HWND notify);

    PresetsModel& model() { return model_; }

private:
    Presets(ProgramState& state, MessageBoxes& messages, HWND notify);
    bool onEvent(int id, FormEvent event) override { return model_.handle(id, event); }
    int caret(int box) const override;
    void setCaret(int box, int position) override;
    void presetsStored() override;

    PresetsModel model_;
    HWND notify_;
};

} // namespace tavrel
