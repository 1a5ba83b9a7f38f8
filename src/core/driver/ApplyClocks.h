#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "registry/regdecl.h"

namespace tavrel {

enum class ClockKind { Memory, Core };

// A clock that was written and read back, with the number the registry holds.
struct WrittenClock {
    ClockKind kind;
    std::int32_t value;
};

// What "OK" did: written when every clock was written and read back; the
// message (UTF-8, naming the clock, the key and the reason) otherwise. done
// lists what was written either way, so a half-done write can say so.
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
// REG_DWORD under the adapter's DEFAULT key, reading each back. Stops at the
// first clock that fails.
ApplyOutcome WriteClocks(RegistryAccess& access, const std::string& adapterKey, std::span<const ClockText> clocks);

// "OK": MemClock from the memory text, then GrfxClock from the core text.
ApplyOutcome ApplyClocks(RegistryAccess& access, const std::string& adapterKey, std::string_view memoryText,
                         std::string_view coreText);

} // namespace tavrel
