#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "FormLayout.h"
#include "FormView.h"

namespace tavrel {

// Shows a window, restored and in front of the others.
void bringForward(HWND window);

// A slider's notification as the forms name it: Scroll while the thumb is
// dragged, Click for every other move by the user, None for the end of one.
std::optional<FormEvent> sliderEvent(int trackbarCode);

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

    // Makes the window (hidden, centred on the work area) and its controls;
    // a dialog's frame has no icon. Returns false when Windows refused the
    // window; the caller then deletes this object.
    bool create(const FormLayout& layout, bool dialogFrame);
    // Sets a control's text without telling onEvent: the program's own change.
    void setQuietly(int id, const std::string& text);

    // A user's event on a control; the form's model decides.
    virtual bool onEvent(int id, FormEvent event) = 0;
    // Messages of the program's own (WM_APP and up); true when handled.
    virtual bool onAppMessage(UINT, WPARAM, LPARAM) { return false; }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void pressFocusedButton();

    HWND hwnd_ = nullptr;
    HWND focus_ = nullptr; // the control that had the focus when the window was left
    bool quiet_ = false; // the program is setting a text
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
