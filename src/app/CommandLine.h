#pragma once

#include <optional>
#include <string>

// Tavrel without its window: --info, --preset, --memory-clock, --core-clock,
// for scripts and desktop shortcuts. Needs no display.
namespace tavrel {

inline constexpr int kExitDone = 0;
inline constexpr int kExitNotWritten = 1; // nothing, or not everything, was written
inline constexpr int kExitUsage = 2;      // the command line was wrong; nothing was written

// True when the arguments ask for more than the window: anything besides
// --registry FILE.
bool wantsCommandLine(int argc, char* argv[]);

// The registry file that --registry names, if it does (not on Windows).
std::optional<std::string> registryOption(int argc, char* argv[]);

// Runs the command line to its end and returns the exit status. Makes its
// own QCoreApplication.
int runCommandLine(int argc, char* argv[]);

} // namespace tavrel
