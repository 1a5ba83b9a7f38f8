#pragma once

#include <string>
#include <string_view>

#include <windows.h>

#include "CommandLine.h"

namespace tavrel {

class MessageBoxes;

// The command line's text for a program with a window, which has no console
// of its own: to where its output was sent, else to the console it was
// started from; where there is neither (Windows 95/98/ME have no
// AttachConsole), the text is kept and shown in one message box at the end.
class ConsoleOutput final : public CommandLineOutput {
public:
    // Writes to the given handles; for a null one the text is kept.
    ConsoleOutput(HANDLE out, HANDLE err)
        : out_(out)
        , err_(err)
    {
    }
    // This program's standard handles, or its parent's console for those
    // that were not redirected.
    static ConsoleOutput forThisProgram();

    void out(std::string_view text) override { write(out_, text, false); }
    void err(std::string_view text) override { write(err_, text, true); }

    // The text kept, if any, in one box: an error box when an error is among it.
    void showKept(MessageBoxes& boxes) const;

private:
    void write(HANDLE handle, std::string_view text, bool error);

    HANDLE out_;
    HANDLE err_;
    std::string kept_;
    bool keptError_ = false;
};

} // namespace tavrel
