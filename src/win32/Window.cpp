#include "Window.h"

#include <algorithm>

#include <commctrl.h>

namespace tavrel {

namespace {

const char kWindowClass[] = "TavrelWindow";

std::vector<HWND>& openList()
{
    static std::vector<HWND> windows;
    return windows;
}

std::function<void()>& lastWindowClosed()
{
    static std::function<void()> handler;
    return handler;
}

HINSTANCE instance()
{
    return ::GetModuleHandleA(nullptr);
}

struct ControlClass {
    const char* name;
    DWORD style;
    DWORD exStyle;
};

// Every control but the second and later option buttons of a frame starts a
// group, so the arrow keys move only among the options of one frame.
ControlClass classOf(ControlKind kind)
{
    const DWORD box = WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL;
    switch (kind) {
    case ControlKind::Frame:
        return { "BUTTON", BS_GROUPBOX | WS_GROUP, 0 };
    case ControlKind::Label:
        return { "STATIC", SS_LEFT | SS_NOPREFIX | WS_GROUP, 0 };
    case ControlKind::Edit:
        return { "EDIT", box, WS_EX_CLIENTEDGE };
    case ControlKind::ReadOnlyEdit:
        return { "EDIT", box | ES_READONLY, WS_EX_CLIENTEDGE };
    case ControlKind::InfoBox:
        return { "EDIT", WS_TABSTOP | WS_GROUP | ES_MULTILINE | ES_READONLY, WS_EX_CLIENTEDGE };
    case ControlKind::Slider:
        return { TRACKBAR_CLASSA, TBS_HORZ | TBS_NOTICKS | WS_TABSTOP | WS_GROUP, 0 };
    case ControlKind::FirstOption:
        return { "BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 0 };
    case ControlKind::Option:
        return { "BUTTON", BS_AUTORADIOBUTTON, 0 };
    case ControlKind::Button:
        return { "BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0 };
    case ControlKind::Picture:
        return { "STATIC", SS_BITMAP | SS_CENTERIMAGE | WS_GROUP, WS_EX_CLIENTEDGE };
    }
    return { "STATIC", 0, 0 };
}

WNDPROC editProc = nullptr;

// A read-only box of several lines would keep Tab and Enter for itself; they
// belong to the window, as in any dialog.
LRESULT CALLBACK infoBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = ::CallWindowProcA(editProc, hwnd, message, wParam, lParam);
    return message == WM_GETDLGCODE ? result & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB) : result;
}

// Every control is a child of the window itself, a frame's placed from the
// frame's place in twips, then rounded to pixels.
void createControls(HWND parent, const FormLayout& layout)
{
    const auto font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
    for (const ControlLayout& c : layout.controls) {
        const ControlClass cls = classOf(c.kind);
        const TwipRect r = layout.clientRect(c);
        HWND control = ::CreateWindowExA(cls.exStyle, cls.name, c.text, WS_CHILD | WS_VISIBLE | cls.style,
            toPixels(r.left), toPixels(r.top), toPixels(r.width), toPixels(r.height), parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance(), nullptr);
        if (!control)
            continue;
        ::SendMessageA(control, WM_SETFONT, font, FALSE);
        if (c.kind == ControlKind::Slider) {
            ::SendMessageA(control, TBM_SETRANGE, FALSE, MAKELPARAM(100, c.sliderMax));
            ::SendMessageA(control, TBM_SETLINESIZE, 0, 1);
            ::SendMessageA(control, TBM_SETPAGESIZE, 0, 1);
            ::SendMessageA(control, TBM_SETPOS, TRUE, 100);
        } else if (c.kind == ControlKind::InfoBox) {
            const auto previous = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&infoBoxProc)));
            editProc = previous;
        }
    }
}

bool registerClass()
{
    static const bool registered = [] {
        INITCOMMONCONTROLSEX common { sizeof(common), ICC_BAR_CLASSES };
        ::InitCommonControlsEx(&common);
        WNDCLASSEXA wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcA; // each window takes over in create()
        wc.hInstance = instance();
        wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kWindowClass;
        return ::RegisterClassExA(&wc) != 0;
    }();
    return registered;
}

} // namespace

std::optional<FormEvent> sliderEvent(int trackbarCode)
{
    switch (trackbarCode) {
    case TB_THUMBTRACK:
    case TB_THUMBPOSITION:
        return FormEvent::Scroll;
    case TB_ENDTRACK: // follows every move
        return std::nullopt;
    default:
        return FormEvent::Click;
    }
}

bool Window::create(const FormLayout& layout, bool dialogFrame)
{
    if (!registerClass())
        return false;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    const DWORD exStyle = dialogFrame ? WS_EX_DLGMODALFRAME : 0;
    RECT frame { 0, 0, toPixels(layout.clientWidth), toPixels(layout.clientHeight) };
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT work { 0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN) };
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + (work.right - work.left - width) / 2;
    const int y = work.top + (work.bottom - work.top - height) / 2;

    // The class's procedure is the default one; WM_NCCREATE and the rest
    // reach this object once the procedure is swapped below.
    HWND hwnd = ::CreateWindowExA(exStyle, kWindowClass, layout.caption, style, std::max(x, 0), std::max(y, 0), width,
        height, nullptr, nullptr, instance(), nullptr);
    if (!hwnd)
        return false;
    hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::proc));
    openList().push_back(hwnd);
    createControls(hwnd, layout);
    return true;
}

void Window::setQuietly(int id, const std::string& text)
{
    quiet_ = true; // an edit box sends EN_CHANGE before SetWindowText returns
    setWindowText(item(id), text);
    quiet_ = false;
}

void bringForward(HWND window)
{
    if (::IsIconic(window))
        ::ShowWindow(window, SW_RESTORE);
    ::ShowWindow(window, SW_SHOW);
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(window);
}

LRESULT CALLBACK Window::proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    if (message != WM_NCDESTROY)
        return self->handle(message, wParam, lParam);

    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    delete self;
    auto& open = openList();
    open.erase(std::remove(open.begin(), open.end(), hwnd), open.end());
    if (open.empty() && lastWindowClosed())
        lastWindowClosed()();
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

// A handler may close the window, which deletes this object: nothing here
// touches a member after calling one.
LRESULT Window::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (lParam && HIWORD(wParam) == BN_CLICKED)
            onEvent(LOWORD(wParam), FormEvent::Click);
        else if (lParam && HIWORD(wParam) == EN_CHANGE && !quiet_)
            onEvent(LOWORD(wParam), FormEvent::Change);
        else if (!lParam && LOWORD(wParam) == IDOK) // Enter, from IsDialogMessage; Escape (IDCANCEL) does nothing
            pressFocusedButton();
        return 0;
    case WM_HSCROLL:
        if (const auto event = sliderEvent(LOWORD(wParam)); lParam && event)
            onEvent(::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), *event);
        return 0;
    case WM_ACTIVATE:
        // As a dialog does: leaving the window keeps its focused control,
        // coming back gives it the focus again (or the first one).
        if (HIWORD(wParam))
            break;
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (HWND focus = ::GetFocus(); focus && ::IsChild(hwnd_, focus))
                focus_ = focus;
        } else {
            if (!focus_ || !::IsWindow(focus_) || !::IsWindowEnabled(focus_))
                focus_ = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
            if (focus_)
                ::SetFocus(focus_);
        }
        return 0;
    default:
        if (message >= WM_APP && onAppMessage(message, wParam, lParam))
            return 0;
    }
    return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

// No button is the window's default: Enter presses the one with the focus.
void Window::pressFocusedButton()
{
    HWND focus = ::GetFocus();
    if (focus && ::IsChild(hwnd_, focus)
        && (::SendMessageA(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
        ::SendMessageA(focus, BM_CLICK, 0, 0);
}

const std::vector<HWND>& openWindows()
{
    return openList();
}

void setLastWindowClosed(std::function<void()> handler)
{
    lastWindowClosed() = std::move(handler);
}

int runMessageLoop()
{
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        const std::vector<HWND> windows = openList(); // a message may close one
        if (std::none_of(windows.begin(), windows.end(), [&](HWND w) { return ::IsDialogMessageA(w, &msg); })) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

std::string windowText(HWND hwnd)
{
    std::string text(static_cast<std::size_t>(std::max(::GetWindowTextLengthA(hwnd), 0)) + 1, '\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void setWindowText(HWND hwnd, const std::string& text)
{
    ::SetWindowTextA(hwnd, text.c_str());
}

void enableControl(HWND parent, HWND control, bool enabled)
{
    if (!enabled && ::GetFocus() == control)
        ::SetFocus(::GetNextDlgTabItem(parent, control, FALSE));
    ::EnableWindow(control, enabled);
}

int sliderValue(HWND slider)
{
    return static_cast<int>(::SendMessageA(slider, TBM_GETPOS, 0, 0));
}

void setSliderValue(HWND slider, int value)
{
    const auto low = static_cast<int>(::SendMessageA(slider, TBM_GETRANGEMIN, 0, 0));
    const auto high = static_cast<int>(::SendMessageA(slider, TBM_GETRANGEMAX, 0, 0));
    ::SendMessageA(slider, TBM_SETPOS, TRUE, std::clamp(value, low, high));
}

} // namespace tavrel
