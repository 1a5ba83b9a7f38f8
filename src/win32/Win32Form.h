#pragma once

#include <string>

#include "AnsiText.h"
#include "MessageBoxes.h"
#include "Window.h"

namespace tavrel {

// A window of the program over a form's view interface: the controls are the
// system's, their texts Windows-1252 as the core keeps them.
template <typename View> class Win32Form : public Window, public View {
public:
    std::string text(int id) const override { return windowText(item(id)); }
    void setText(int id, const std::string& text) override { setQuietly(id, withCrLf(text)); }
    int sliderValue(int id) const override { return tavrel::sliderValue(item(id)); }
    void setSliderValue(int id, int value) override { tavrel::setSliderValue(item(id), value); }
    void setEnabled(int id, bool enabled) override { enableControl(hwnd(), item(id), enabled); }
    void showMessage(const std::string& text) override
    {
        if (messages_)
            messages_->show(::IsWindowVisible(hwnd()) ? hwnd() : nullptr, withCrLf(utf8ToAnsi(text)));
    }
    void close() override { Window::close(); }

protected:
    explicit Win32Form(MessageBoxes* messages)
        : messages_(messages)
    {
    }

private:
    MessageBoxes* messages_;
};

} // namespace tavrel
