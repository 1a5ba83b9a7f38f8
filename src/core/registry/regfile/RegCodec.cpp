// Encoding detection, case folding, hex digits and line scanning for the
// .reg file store.
#include "registry/regfile/RegCodec.h"

#include <algorithm>

namespace tavrel::regfile {

std::u16string foldAnsi(std::string_view ansi)
{
    std::u16string out(ansi.size(), u'\0');
    for (std::size_t i = 0; i < ansi.size(); ++i)
        out[i] = foldCase(ansiToUnicode(static_cast<unsigned char>(ansi[i])));
    return out;
}

int hexDigit(char16_t u)
{
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

void appendHex(std::u16string& out, std::uint32_t value, int digits)
{
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out.push_back(kDigits[(value >> shift) & 0xF]);
}

std::optional<std::string> detectEncoding(std::string_view bytes, unsigned& width, std::size_t& textStart)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    width = 1;
    textStart = 0;
    if (size >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        width = 2;
        textStart = 2;
    } else if ((size >= 2 && b[0] == 0xFE && b[1] == 0xFF)
               || (size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)) {
        return "not a registry file (its text is UTF-8 or big-endian UTF-16; regedit files are "
               "Windows-1252 or UTF-16LE)";
    }
    return std::nullopt;
}

std::string encodeText(std::u16string_view text, unsigned width)
{
    std::string out;
    out.reserve(text.size() * width);
    for (const char16_t u : text) {
        if (width == 2) {
            out.push_back(static_cast<char>(u & 0xFF));
            out.push_back(static_cast<char>(u >> 8));
        } else {
            out.push_back(unicodeToAnsi(u));
        }
    }
    return out;
}

std::size_t TextView::lineEnd(std::size_t off, std::size_t limit) const
{
    // Window by window, so that a file of CR line ends costs no long
    // searches for a LF.
    constexpr std::size_t kWindow = 4096;
    for (;;) {
        const std::size_t window = std::min(limit, off + kWindow);
        const std::size_t lf = find(off, window, '\n');
        const std::size_t cr = find(off, lf, '\r');
        if (cr < lf || lf < window || window == limit)
            return std::min(cr, lf);
        off = window;
    }
}

std::size_t TextView::nextLine(std::size_t eol, std::size_t limit) const
{
    if (eol < limit && at(eol) == '\r')
        eol += width_;
    else if (eol < limit && at(eol) == '\n')
        return eol + width_;
    if (eol < limit && at(eol) == '\n')
        eol += width_;
    return eol;
}

bool TextView::startsWith(std::size_t off, std::size_t limit, std::string_view ascii) const
{
    for (const char c : ascii) {
        if (off >= limit || at(off) != static_cast<char16_t>(c))
            return false;
        off += width_;
    }
    return true;
}

int TextView::lineNumber(std::size_t off) const
{
    int line = 1;
    for (std::size_t p = width_ == 2 ? 2 : 0; (p = lineEnd(p, off)) < off; p = nextLine(p, off))
        ++line;
    return line;
}

} // namespace tavrel::regfile
