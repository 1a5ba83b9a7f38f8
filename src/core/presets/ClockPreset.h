#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "values/LooseValue.h"

namespace tavrel {

// One named pair of clocks. Entry 4's CoreClock always holds a 16-bit
// integer (it starts at 0 and the file holds it bare); the other clock
// fields are empty, a number or a text.
struct ClockPreset {
    std::string Name;
    LooseValue MemoryClock;
    LooseValue CoreClock;

    friend bool operator==(const ClockPreset&, const ClockPreset&) = default;
};

// Entries 1 to 4 live at indexes 0 to 3.
using ClockPresetTable = std::array<ClockPreset, 4>;

inline ClockPresetTable initialPresetTable()
{
    ClockPresetTable t{};
    t[3].CoreClock = LooseValue(std::int16_t{0});
    return t;
}

} // namespace tavrel
