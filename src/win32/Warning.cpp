#include "Warning.h"

#include "ChildWindows.h"
#include "driver/Detection.h"
#include "driver/DriverLayout.h"

namespace tavrel {

namespace {

const ControlSpec kControls[] = {
    { Warning::IDC_Label1, ControlKind::Label, "There is a conflict in your registry's driver section",
        { 240, 120, 3735, 255 } },
    { Warning::IDC_Label2, ControlKind::Label, "Please define manually your current Video adapter",
        { 240, 360, 3855, 255 } },
    { Warning::IDC_Option1, ControlKind::FirstOption, "GeForce", { 240, 720, 1815, 255 } },
    { Warning::IDC_Option2, ControlKind::Option, "TNT 2 Ultra", { 240, 960, 1695, 255 } },
    { Warning::IDC_Command1, ControlKind::Button, "OK", { 2040, 840, 855, 255 } },
    { Warning::IDC_Command2, ControlKind::Button, "Cancel", { 3000, 840, 855, 255 } },
};

// The form is 3930 twips wide, which would cut the end of Label1's text
// (it reaches 3975): 60 twips more show it whole.
constexpr int kClientWidth = 3990;
constexpr int kClientHeight = 1215;

} // namespace

Warning::Warning(DriverState& state, HWND notify)
    : state_(state)
    , notify_(notify)
    , AdapterChoice(kCardGeForce)
{
}

Warning* Warning::create(DriverState& state, HWND notify)
{
    auto* w = new Warning(state, notify);
    if (!w->Window::create("Warning", kClientWidth, kClientHeight, kControls, true)) {
        delete w;
        return nullptr;
    }
    ::SendMessageA(w->item(IDC_Option1), BM_SETCHECK, BST_CHECKED, 0); // matches AdapterChoice
    return w;
}

void Warning::onCommand(int id, int code)
{
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case IDC_Option1:
        return Option1_Click();
    case IDC_Option2:
        return Option2_Click();
    case IDC_Command1:
        return Command1_Click();
    case IDC_Command2:
        return Command2_Click();
    }
}

void Warning::Option1_Click()
{
    AdapterChoice = kCardGeForce;
}

void Warning::Option2_Click()
{
    AdapterChoice = kCardTNT2Ultra;
}

void Warning::Command1_Click()
{
    if (applyAdapterChoice(state_, AdapterChoice) && ::IsWindow(notify_))
        ::SendMessageA(notify_, kAdapterChangedMessage, 0, 0);
    close();
}

void Warning::Command2_Click()
{
    close();
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
