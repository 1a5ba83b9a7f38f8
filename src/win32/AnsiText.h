#pragma once

#include <string>
#include <string_view>

// utf8ToAnsi: the core's messages are UTF-8; the windows and message boxes
// take the system's 8-bit text (Windows-1252).
#include "values/Ansi.h"

namespace tavrel {

// Lines broken by "\n" as Windows' boxes break them, by CR LF.
std::string withCrLf(std::string_view text);

} // namespace tavrel
