#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "driver/Detection.h"

namespace tavrel {

enum class ClockKind { Memory, Core };

// A clock that was written and read back, with the number the registry holds.
struct WrittenClock {
    ClockKind kind;
    std::int32_t value;
};

// What "OK" did: written when every clock was written and read back; the
// message (UTF-8, naming the clock, the key and the reason, and which clocks
// were written with their numbers and which were not) otherwise. done lists
// what was written either way.
struct ApplyOutcome {
    bool written = false;
    std::string message;
    std::vector<WrittenClock> done;
};

// One clock to write, as the text that holds it (Windows-1252).
struct ClockText {
    ClockKind kind;
    std::string_view text;
};

// Reads each text leniently and refuses, writing nothing, a text that holds
// no number or a clock of 0 or below; then writes the clocks in order as
// REG_DWORD under the adapter's DEFAULT key, in one write group (on the .reg
// store one rewrite: all or none), and reads each back. A clock the registry
// refuses stops the writes after it.
ApplyOutcome writeClocks(DriverState& state, const std::string& adapterKey, std::span<const ClockText> clocks);

// "OK": MemClock from the memory text, then GrfxClock from the core text.
ApplyOutcome applyClocks(DriverState& state, const std::string& adapterKey, std::string_view memoryText,
                         std::string_view coreText);

} // namespace tavrel
