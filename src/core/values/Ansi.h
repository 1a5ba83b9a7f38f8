#pragma once

#include <string>
#include <string_view>

namespace tavrel {

// Windows-1252, the 8-bit text that the registry's A calls and the preset
// file hold. The five unassigned bytes map to the C1 control of the same
// number, as Windows maps them.
char16_t ansiToUnicode(unsigned char c);
// '?' for a character that Windows-1252 cannot hold, as the A calls give.
char unicodeToAnsi(char16_t u);

std::u16string ansiToUtf16(std::string_view ansi);
std::string utf16ToAnsi(std::u16string_view text);
// For messages, which are UTF-8 throughout.
std::string ansiToUtf8(std::string_view ansi);
// A message or a UTF-8 argument as Windows-1252. Only well-formed UTF-8 is
// decoded (no overlong form, no surrogate, nothing past U+10FFFF); any other
// byte is taken as it stands, since it is most likely Windows-1252 already
// (a file name in a message, an argument typed in that code page). A
// character Windows-1252 cannot hold becomes '?'.
std::string utf8ToAnsi(std::string_view utf8);

} // namespace tavrel
