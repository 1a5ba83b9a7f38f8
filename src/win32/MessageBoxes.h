#pragma once

#include <string>

#include <windows.h>

namespace tavrel {

// The title of every message box of the program.
inline constexpr char kMessageTitle[] = "Tavrel";

// The program's message boxes: the text, an "OK" button and the program's
// title, blocking until closed. The windows are given one; tests give one
// that records the text and answers at once, since a box would block them.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // text: Windows-1252. icon: 0 or an MB_ICON... flag.
    virtual void show(HWND owner, const std::string& text, UINT icon = 0) = 0;
};

// The real boxes.
class Win32MessageBoxes final : public MessageBoxes {
public:
    void show(HWND owner, const std::string& text, UINT icon = 0) override
    {
        ::MessageBoxA(owner, text.c_str(), kMessageTitle, MB_OK | icon);
    }
};

} // namespace tavrel
