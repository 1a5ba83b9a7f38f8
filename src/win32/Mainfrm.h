#pragma once

#include "MainfrmModel.h"
#include "Win32Form.h"

namespace tavrel {

struct ProgramState;

// The main window, made of the system's controls: what it does is
// MainfrmModel's.
class Mainfrm final : public Win32Form<MainfrmView>, public MainfrmControls {
public:
    // Creates the window, runs its load sequence and shows it. Returns
    // nullptr when the program must end instead (no adapter found).
    static Mainfrm* start(ProgramState& state, MessageBoxes& messages);

    MainfrmModel& model() { return model_; }

private:
    Mainfrm(ProgramState& state, MessageBoxes& messages);
    ~Mainfrm() override;
    bool onEvent(int id, FormEvent event) override { return model_.handle(id, event); }
    bool onAppMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void openAdapterChoice() override;
    void openPresetEditor() override;
    void showImages();

    ProgramState& state_;
    MessageBoxes& messages_;
    MainfrmModel model_;
    HWND presets_ = nullptr;
    HWND warning_ = nullptr;
    HBITMAP logo_ = nullptr;
};

} // namespace tavrel
