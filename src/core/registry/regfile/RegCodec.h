// The text of a .reg file as regedit writes it: its two encodings, the names
// of the predefined keys, the registry's letter case and the file read as units.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "registry/RegistryApi.h"
#include "values/Ansi.h"

namespace tavrel::regfile {

inline constexpr std::string_view kHeader4 = "REGEDIT4";
inline constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

// The predefined keys, by their handle's low bits (0x80000000 + index).
inline constexpr std::array<std::array<std::string_view, 2>, 7> kRootNames = {{
    {"HKEY_CLASSES_ROOT", "HKCR"},
    {"HKEY_CURRENT_USER", "HKCU"},
    {"HKEY_LOCAL_MACHINE", "HKLM"},
    {"HKEY_USERS", "HKU"},
    {"HKEY_PERFORMANCE_DATA", ""},
    {"HKEY_CURRENT_CONFIG", "HKCC"},
    {"HKEY_DYN_DATA", ""},
}};
inline constexpr RegHandle kFirstRoot = 0x80000000u;

// Names compare without regard to case. The folding covers every letter a
// name given through the A functions can hold; other characters compare as
// they are.
inline constexpr std::array<char16_t, 256> kFoldLatin1 = [] {
    std::array<char16_t, 256> t{};
    for (std::size_t u = 0; u < t.size(); ++u)
        t[u] = static_cast<char16_t>((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7) ? u - 32 : u);
    t[0xFF] = 0x178;
    return t;
}();

inline char16_t foldCase(char16_t u)
{
    if (u < 0x100)
        return kFoldLatin1[u];
    switch (u) {
    case 0x161: return 0x160;
    case 0x153: return 0x152;
    case 0x17E: return 0x17D;
    default: return u;
    }
}

std::u16string foldAnsi(std::string_view ansi);

inline bool isStringType(std::uint32_t type)
{
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

int hexDigit(char16_t u);
void appendHex(std::u16string& out, std::uint32_t value, int digits);

// The byte order mark decides the encoding: UTF-16LE after FF FE, else
// Windows-1252. Sets the unit width and where the text starts; gives the
// reason for a file regedit would not read.
std::optional<std::string> detectEncoding(std::string_view bytes, unsigned& width, std::size_t& textStart);

// Text in the file's encoding: UTF-16LE units, or Windows-1252 bytes.
std::string encodeText(std::u16string_view text, unsigned width);

// The file read as units of one or two bytes, the whole file in memory;
// offsets are the file's.
class TextView {
public:
    void reset(std::string_view bytes, unsigned width)
    {
        bytes_ = bytes;
        width_ = width;
    }

    unsigned width() const { return width_; }
    std::size_t size() const { return bytes_.size(); }
    const char* ptr(std::size_t off) const { return bytes_.data() + off; }

    char16_t at(std::size_t off) const
    {
        const auto* p = reinterpret_cast<const unsigned char*>(ptr(off));
        return width_ == 2 ? static_cast<char16_t>(p[0] | p[1] << 8) : ansiToUnicode(p[0]);
    }
    bool isEol(std::size_t off) const
    {
        const char16_t u = at(off);
        return u == '\r' || u == '\n';
    }
    bool isBlank(std::size_t off) const
    {
        const char16_t u = at(off);
        return u == ' ' || u == '\t';
    }
    std::size_t skipBlanks(std::size_t off, std::size_t limit) const
    {
        while (off < limit && isBlank(off))
            off += width_;
        return off;
    }

    // The first unit c (ASCII) in [from, to), or to.
    std::size_t find(std::size_t from, std::size_t to, char c) const
    {
        while (from < to) {
            const void* hit = std::memchr(ptr(from), c, to - from);
            if (!hit)
                return to;
            const std::size_t at = from + static_cast<std::size_t>(static_cast<const char*>(hit) - ptr(from));
            // UTF-16 units start at even offsets (after the 2-byte BOM).
            if (width_ == 1 || (at % 2 == 0 && *ptr(at + 1) == 0))
                return at;
            from = at + 1;
        }
        return to;
    }
    // Where the line at off ends (before its CR or LF), at most limit.
    std::size_t lineEnd(std::size_t off, std::size_t limit) const;
    // The start of the line after the line end at eol.
    std::size_t nextLine(std::size_t eol, std::size_t limit) const;
    bool startsWith(std::size_t off, std::size_t limit, std::string_view ascii) const;
    int lineNumber(std::size_t off) const;

private:
    std::string_view bytes_;
    unsigned width_ = 2;
};

} // namespace tavrel::regfile
