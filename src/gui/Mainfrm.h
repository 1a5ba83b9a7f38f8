#pragma once

#include <QPointer>

#include "MainfrmModel.h"
#include "QtForm.h"

namespace tavrel {

struct ProgramState;

// The main window, drawn with Qt: what it does is MainfrmModel's.
class Mainfrm : public QtForm<MainfrmView> {
public:
    Mainfrm(ProgramState& state, MessageBoxes& messages, QWidget* parent = nullptr);

    // Creates the window, runs its load sequence and shows it. Returns
    // nullptr when the program must end instead (no adapter found).
    static Mainfrm* start(ProgramState& state, MessageBoxes& messages);

    MainfrmModel& model() { return model_; }

private:
    void openAdapterChoice() override;
    void openPresetEditor() override;

    ProgramState& state_;
    MessageBoxes& messages_;
    MainfrmModel model_;
    QPointer<QWidget> presets_;
    QPointer<QWidget> warning_;
};

} // namespace tavrel
