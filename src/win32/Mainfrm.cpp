#include "Mainfrm.h"

#include "ChildWindows.h"
#include "ProgramState.h"

namespace tavrel {

namespace {

// The program's icon and the logo, numbered as in resources/tavrel.rc.in.
constexpr WORD kIconResource = 1;
constexpr WORD kLogoResource = 2;

} // namespace

Mainfrm::Mainfrm(ProgramState& state, MessageBoxes& messages)
    : Win32Form(&messages)
    , state_(state)
    , messages_(messages)
    , model_(state, *this)
{
}

Mainfrm::~Mainfrm()
{
    if (logo_)
        ::DeleteObject(logo_);
}

Mainfrm* Mainfrm::start(ProgramState& state, MessageBoxes& messages)
{
    auto* w = new Mainfrm(state, messages);
    if (!w->create(mainfrmLayout(), false)) {
        delete w;
        return nullptr;
    }
    w->showImages();
    if (!w->model_.Form_Load()) {
        w->close();
        return nullptr;
    }
    w->bringForward();
    // The question comes first: keep the adapter choice above the main window.
    if (w->warning_ && ::IsWindow(w->warning_))
        tavrel::bringForward(w->warning_);
    return w;
}

void Mainfrm::showImages()
{
    HINSTANCE module = ::GetModuleHandleA(nullptr);
    const auto icon = [&](int size) {
        return reinterpret_cast<LPARAM>(
            ::LoadImageA(module, MAKEINTRESOURCEA(kIconResource), IMAGE_ICON, size, size, LR_SHARED));
    };
    ::SendMessageA(hwnd(), WM_SETICON, ICON_BIG, icon(::GetSystemMetrics(SM_CXICON)));
    ::SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, icon(::GetSystemMetrics(SM_CXSMICON)));
    logo_ = static_cast<HBITMAP>(::LoadImageA(module, MAKEINTRESOURCEA(kLogoResource), IMAGE_BITMAP, 0, 0, 0));
    ::SendMessageA(item(IDC_Picture1), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_));
}

bool Mainfrm::onAppMessage(UINT message, WPARAM, LPARAM)
{
    if (message == kAdapterChangedMessage)
        model_.showAdapter();
    else if (message == kPresetsStoredMessage)
        model_.showPresetNames();
    else
        return false;
    return true;
}

void Mainfrm::openAdapterChoice()
{
    if (!warning_ || !::IsWindow(warning_))
        warning_ = createAdapterChoice(state_, hwnd());
}

void Mainfrm::openPresetEditor()
{
    if (!presets_ || !::IsWindow(presets_))
        presets_ = createPresetEditor(state_, messages_, hwnd());
    if (presets_)
        tavrel::bringForward(presets_);
}

} // namespace tavrel
