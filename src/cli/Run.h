#pragma once

#include <optional>
#include <string>

#include "Options.h"
#include "Output.h"
#include "ProgramState.h"
#include "driver/DriverLayout.h"

// Inside the command line: what one run carries from step to step, and the
// work done once the arguments are read (Act.cpp).
namespace tavrel::cli {

// The sliders' ranges, memory clock first.
inline constexpr const char* kClockWord[] = { "memory clock", "core clock" };
inline constexpr int kClockMin[] = { kMemClockMin, kCoreClockMin };
inline constexpr int kClockMax[] = { kMemClockMax, kCoreClockMax };

// What was asked, checked: which work, and the clocks given.
struct Request {
    Options options;
    std::optional<int> clocks[2]; // memory, core
};

// What every step after parsing needs.
struct Run {
    CommandLineOutput& output;
    ProgramState& state;
    const Request& request;
    PresetLoad presets;
    std::string key; // the adapter worked on
};

// The file's path in quotes, or the defaults that stand in for it.
std::string presetSource(const Run& run);

// The two kinds of work, once the adapter is known.
int printInfo(Run& run);
int writeClocks(Run& run);

} // namespace tavrel::cli
