#pragma once

#include <functional>

class QWidget;

namespace tavrel {

struct DriverState;
struct ProgramState;
class MessageBoxes;

// The main window's modeless child windows, made by their own code: the main
// window knows them only as windows, and hears back through their signals,
// handed on to the given functions (run while `receiver` lives).

// The adapter choice; adapterChanged runs when the choice moved AdapterKey.
QWidget* createAdapterChoice(DriverState& state, QWidget* receiver, std::function<void()> adapterChanged);

// The preset editor, loaded (Form_Load) and not yet shown; presetsStored
// runs when its "OK" stored the presets.
QWidget* createPresetEditor(ProgramState& state, MessageBoxes& messages, QWidget* receiver,
                            std::function<void()> presetsStored);

} // namespace tavrel
