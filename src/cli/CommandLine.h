#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "io/FilePath.h"

// Tavrel without its window: --info, --preset, --memory-clock, --core-clock,
// for scripts and desktop shortcuts. Needs no display and no Qt, so that the
// Qt program and the Win32 program share it.
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

// args are argv[1..argc-1] exactly as given (bytes). True when they ask for
// more than the window: anything besides --registry FILE on systems other
// than Windows (an empty FILE too, so that the command line refuses it).
bool wantsCommandLine(std::span<const std::string> args);

// The registry file that --registry names, if it does (never on Windows).
std::optional<std::string> registryOption(std::span<const std::string> args);

// Runs to the end; returns the exit status. programFolder: where the program
// file lies (the preset file may lie beside it).
int runCommandLine(std::span<const std::string> args, const FilePath& programFolder, CommandLineOutput& output);

} // namespace tavrel
