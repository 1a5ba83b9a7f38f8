#pragma once

#include <string>
#include <string_view>

// utf8ToAnsi: the core's messages are UTF-8; the windows and message boxes
// take the system's 8-bit text (Windows-1252).
#include "values/Ansi.h"

namespace tavrel {

// A caption for a button: '&' shows as itself, not as a shortcut.
std::string captionText(std::string_view ansi);

} // namespace tavrel
