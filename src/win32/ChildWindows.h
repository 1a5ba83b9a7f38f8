#pragma once

#include <windows.h>

namespace tavrel {

struct DriverState;
struct ProgramState;
class MessageBoxes;

// The main window's modeless child windows, made by their own code: the main
// window knows them only as windows, and hears back through these messages,
// sent to the window given when they were made (and lost once it is gone).

// The adapter choice's "OK" moved AdapterKey to another adapter.
inline constexpr UINT kAdapterChangedMessage = WM_APP + 1;
// The preset editor's "OK" stored the presets.
inline constexpr UINT kPresetsStoredMessage = WM_APP + 2;

// The adapter choice, shown; nullptr when Windows refused the window.
HWND createAdapterChoice(DriverState& state, HWND notify);

// The preset editor, loaded (Form_Load) and not yet shown.
HWND createPresetEditor(ProgramState& state, MessageBoxes& messages, HWND notify);

} // namespace tavrel
