#include "Presets.h"

#include "ChildWindows.h"

namespace tavrel {

Presets::Presets(ProgramState& state, MessageBoxes& messages, HWND notify)
    : Win32Form(&messages)
    , model_(state, *this)
    , notify_(notify)
{
}

Presets* Presets::create(ProgramState& state, MessageBoxes& messages, HWND notify)
{
    auto* w = new Presets(state, messages, notify);
    if (!w->Window::create(presetsLayout(), true)) {
        delete w;
        return nullptr;
    }
    w->model_.Form_Load();
    return w;
}

int Presets::caret(int box) const
{
    DWORD caret = 0;
    ::SendMessageA(item(box), EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    return static_cast<int>(caret);
}

void Presets::setCaret(int box, int position)
{
    ::SendMessageA(item(box), EM_SETSEL, static_cast<WPARAM>(position), position);
}

void Presets::presetsStored()
{
    // The main window may have been closed while the editor stayed open;
    // then there are no option buttons to rename.
    if (::IsWindow(notify_))
        ::SendMessageA(notify_, kPresetsStoredMessage, 0, 0);
}

HWND createPresetEditor(ProgramState& state, MessageBoxes& messages, HWND notify)
{
    Presets* w = Presets::create(state, messages, notify);
    return w ? w->hwnd() : nullptr;
}

} // namespace tavrel
