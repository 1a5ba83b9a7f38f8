#include "Warning.h"

#include "ChildWindows.h"

namespace tavrel {

Warning::Warning(DriverState& state, HWND notify)
    : Win32Form(nullptr)
    , model_(state, *this)
    , notify_(notify)
{
}

Warning* Warning::create(DriverState& state, HWND notify)
{
    auto* w = new Warning(state, notify);
    if (!w->Window::create(warningLayout(), true)) {
        delete w;
        return nullptr;
    }
    w->model_.Form_Load();
    return w;
}

void Warning::setChecked(int option)
{
    ::SendMessageA(item(option), BM_SETCHECK, BST_CHECKED, 0);
}

void Warning::adapterChanged()
{
    if (::IsWindow(notify_))
        ::SendMessageA(notify_, kAdapterChangedMessage, 0, 0);
}

HWND createAdapterChoice(DriverState& state, HWND notify)
{
    Warning* w = Warning::create(state, notify);
    if (!w)
        return nullptr;
    w->bringForward();
    return w->hwnd();
}

} // namespace tavrel
