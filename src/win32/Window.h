#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include <windows.h>

namespace tavrel {

// A place on a form in twips (1/1440 inch), as the forms were laid out:
// Left, Top, Width, Height in the client area.
// Shows a window, restored and in front of the others.
void bringForward(HWND window);

struct TwipRect {
    int left, top, width, height;
};

// A control inside a frame is placed relative to the frame; the window
// holds both, so the frame's position is added.
constexpr TwipRect inside(const TwipRect& frame, const TwipRect& r)
{
    return { frame.left + r.left, frame.top + r.top, r.width, r.height };
}

// 15 twips make a pixel at 96 dots per inch; each number is rounded on its own.
constexpr int toPixels(int twips)
{
    return (twips + 7) / 15;
}

enum class ControlKind {
    Frame, // group box
    Label, // static text
    Edit, // one line, editable
    ReadOnlyEdit, // one line, the program's text only
    InfoBox, // several lines, the program's text only
    Slider, // trackbar without ticks, from 100 to its maximum, steps of 1
    FirstOption, // the first option button of a frame: starts its group
    Option, // the next option buttons of the same frame
    Button, // push button, never the default one
    Picture // a bitmap, centred and clipped
};

// One control of a form. A form's table lists its controls in tab order,
// which is the order they are made in.
struct ControlSpec {
    int id;
    ControlKind kind;
    const char* text;
    TwipRect rect;
    int sliderMax = 0;
};

// A slider's notification as the forms name it: Scroll while the thumb is
// dragged, Click for every other move by the user.
enum class SliderEvent { Scroll, Click, None };
SliderEvent sliderEvent(int trackbarCode);

// A top-level window of the program: fixed border, centred, closed by its
// frame or by close(). The object lives as long as its window and is deleted
// with it; make it with new and let the window go.
class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }
    HWND item(int id) const { return ::GetDlgItem(hwnd_, id); }
    void bringForward() { tavrel::bringForward(hwnd_); }
    // Destroys the window and this object; nothing of it may be used after.
    void close() { ::DestroyWindow(hwnd_); }

protected:
    Window() = default;
    virtual ~Window() = default;

    // Makes the window (hidden, centred on the work area) and its controls.
    // clientWidth and clientHeight are in twips. Returns false when Windows
    // refused the window; the caller then deletes this object.
    bool create(const char* caption, int clientWidth, int clientHeight, std::span<const ControlSpec> controls,
        bool dialogFrame);

    virtual void onCommand(int id, int code) = 0;
    virtual void onSlider(int id, SliderEvent event) = 0;
    // Messages of the program's own (WM_APP and up); true when handled.
    virtual bool onAppMessage(UINT, WPARAM, LPARAM) { return false; }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void pressFocusedButton();

    HWND hwnd_ = nullptr;
    HWND focus_ = nullptr; // the control that had the focus when the window was left
};

// The program's windows that are open, oldest first.
const std::vector<HWND>& openWindows();
// Runs when the last open window has gone (the program then ends).
void setLastWindowClosed(std::function<void()> handler);
// Dispatches messages, with Tab and the arrow keys working in each open
// window, until the program quits; returns the exit code.
int runMessageLoop();

// The text of a window or control in the system's 8-bit code page.
std::string windowText(HWND hwnd);
// Sets a control's text; an edit box tells its window (EN_CHANGE) at once.
void setWindowText(HWND hwnd, const std::string& text);
// Enables or disables a control; a control losing the focus to that hands it
// on to the next one, so the keyboard still reaches the window.
void enableControl(HWND parent, HWND control, bool enabled);
int sliderValue(HWND slider);
// Moves a slider as the program does: no notification follows, and a value
// outside the range stops at its nearest end.
void setSliderValue(HWND slider, int value);

} // namespace tavrel
