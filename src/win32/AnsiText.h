#pragma once

#include <string>
#include <string_view>

namespace tavrel {

// The core's messages are UTF-8; the windows and message boxes take the
// system's 8-bit text (Windows-1252). Characters it cannot hold become '?';
// a byte that is no part of a UTF-8 sequence is taken as it stands.
std::string utf8ToAnsi(std::string_view utf8);

// Lines broken by "\n" as Windows' boxes break them, by CR LF.
std::string withCrLf(std::string_view text);

} // namespace tavrel
