#pragma once

#include <optional>
#include <span>
#include <string>

#include "Output.h"
#include "io/FilePath.h"

// Tavrel without its window: --info, --preset, --memory-clock, --core-clock,
// for scripts and desktop shortcuts. Needs no display and no Qt, so that the
// Qt program and the Win32 program share it.
namespace tavrel {

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
