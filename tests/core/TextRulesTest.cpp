// The text rules every front end shares: the Windows-1252 codec and what a preset name can hold.
#include <gtest/gtest.h>

#include "presets/PresetName.h"
#include "values/Ansi.h"

using namespace tavrel;

// Only well-formed UTF-8 is decoded; any other byte is kept as the Windows-1252 byte it most likely is. The
// command line's decoder once read "E0 80 AF" as '/', ED A0 80 and F4 90 80 80 as '?', and a stray 80 as '?'.
TEST(TextRules, Utf8ToAnsiDecodesOnlyWellFormedUtf8)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"caf\xc3\xa9 \xc2\xa0\xc3\xbf", "caf\xe9 \xa0\xff"},
        {"\xe2\x82\xac \xe2\x80\x9e \xc5\xb8 \xc2\x81", "\x80 \x84 \x9f \x81"}, // 0x81: unassigned, kept
        {"\xe2\x86\x92 \xd0\x96 \xc2\x80 \xf0\x9f\x98\x80.", "? ? ? ?."}, // no Windows-1252 form
        {"caf\xe9 \x80", "caf\xe9 \x80"}, // already Windows-1252
        {"\xe0\x80\xaf \xc0\xaf \xed\xa0\x80", "\xe0\x80\xaf \xc0\xaf \xed\xa0\x80"}, // overlong, a surrogate
        {"\xf4\x90\x80\x80 \xf5\x80", "\xf4\x90\x80\x80 \xf5\x80"}, // past U+10FFFF
        {"\xe2\x82x\xc3\xa9 \xc3", "\xe2\x82x\xe9 \xc3"}, // cut short
    };
    for (const auto& [utf8, ansi] : cases)
        EXPECT_EQ(utf8ToAnsi(utf8), ansi) << utf8;
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(std::pair(utf8ToAnsi(ansiToUtf8(one)), utf16ToAnsi(ansiToUtf16(one))), std::pair(one, one)) << b;
    }
}

// '"' would end the name when the file is read, CR or LF the field; the caret stays after the same characters.
TEST(TextRules, PresetNamesDropWhatTheFileCannotGiveBack)
{
    const struct { std::string_view typed; std::size_t caret; const char* kept; std::size_t keptCaret; } cases[] = {
        {"Fast, 'n' \xe9\\", 5, nullptr, 0}, {"\"Fast\"", 6, "Fast", 4}, {"\"Fast\"", 1, "Fast", 0}, // null: kept
        {"a\r\nb", 3, "ab", 1}, {"ab\n", 1, "ab", 1}, {"ab\n", 99, "ab", 2}, {"\"\"\r\n", 4, "", 0}};
    for (const auto& c : cases) {
        const auto kept = storablePresetName(c.typed, c.caret);
        EXPECT_EQ(kept ? kept->name + "|" + std::to_string(kept->caret) : "none",
            c.kept ? c.kept + ("|" + std::to_string(c.keptCaret)) : "none")
            << c.typed;
    }
}
