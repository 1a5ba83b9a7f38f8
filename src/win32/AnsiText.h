#pragma once

#include <string>
#include <string_view>

namespace tavrel {

// The core's messages are UTF-8; the windows and message boxes take the
// system's 8-bit text (Windows-1252). Characters it cannot hold become '?';
// a byte that is no part of a UTF-8 sequence is taken as it stands.
std::string utf8ToAnsi(std::string_view utf8);

// A caption for a button: '&' shows as itself, not as a shortcut.
std::string captionText(std::string_view ansi);

} // namespace tavrel
