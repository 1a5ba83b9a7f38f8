#include "AnsiText.h"

#include "values/Ansi.h"

namespace tavrel {

namespace {

// The length of the UTF-8 sequence at text[i] and its code point; 0 when
// there is none (a stray or cut byte, an overlong or surrogate form).
std::size_t decodeUtf8(std::string_view text, std::size_t i, char32_t& cp)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1
        : lead >= 0xC2 && lead < 0xE0      ? 2
        : lead >= 0xE0 && lead < 0xF0      ? 3
        : lead >= 0xF0 && lead < 0xF5      ? 4
                                           : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    cp = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    const char32_t smallest[] = { 0, 0, 0x80, 0x800, 0x10000 };
    if (cp < smallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
        return 0;
    return length;
}

} // namespace

std::string utf8ToAnsi(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(utf8, i, cp);
        if (length == 0) {
            out += utf8[i++];
            continue;
        }
        out += cp < 0x10000 ? unicodeToAnsi(static_cast<char16_t>(cp)) : '?';
        i += length;
    }
    return out;
}

std::string withCrLf(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

} // namespace tavrel
