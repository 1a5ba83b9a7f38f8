#pragma once

#include <string>
#include <string_view>

// Where the command line's text goes, and its exit statuses: the bottom of
// the command line, which every other part of it includes.
namespace tavrel {

inline constexpr int kExitDone = 0;
inline constexpr int kExitNotWritten = 1; // nothing, or not everything, was written
inline constexpr int kExitUsage = 2; // the command line was wrong; nothing was written

// Where the command line's text goes: the console, or (the Windows program on
// 9x) a message box. Texts are in the system's narrow encoding: UTF-8 on
// POSIX, the ANSI code page on Windows.
class CommandLineOutput {
public:
    virtual ~CommandLineOutput() = default;
    virtual void out(std::string_view text) = 0; // --info, --help, --version, what was written
    virtual void err(std::string_view text) = 0; // "tavrel: ..." messages, each ending in a line end
};

// Standard output and standard error. On Windows a program with a window has
// no console of its own: it writes to the one it was started from, unless
// its output already goes somewhere.
class StdioOutput final : public CommandLineOutput {
public:
    StdioOutput();
    void out(std::string_view text) override;
    void err(std::string_view text) override;
};

namespace cli {

// "tavrel: text" on the error output.
void say(CommandLineOutput& output, const std::string& text);
// The same with the pointer to --help; returns kExitUsage.
int usage(CommandLineOutput& output, const std::string& text);

} // namespace cli

} // namespace tavrel
