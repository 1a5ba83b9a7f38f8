#pragma once

#include <string>
#include <string_view>

#include "registry/regdecl.h"

namespace tavrel {

// What "OK" did: written when both clocks were written and read back; the
// message (UTF-8, naming the clock, the key and the reason) otherwise.
struct ApplyOutcome {
    bool written = false;
    std::string message;
};

// "OK": reads both texts (Windows-1252) leniently and refuses, writing
// nothing, a text that holds no number or a clock of 0 or below; then writes
// MemClock and GrfxClock as REG_DWORD under the adapter's DEFAULT key, reading
// each back. Stops at the first clock that fails.
ApplyOutcome ApplyClocks(RegistryAccess& access, const std::string& adapterKey, std::string_view memoryText,
                         std::string_view coreText);

} // namespace tavrel
