// Reads the value lines of a key's sections: names, quoted texts, dwords
// and hex data continued over lines, as regedit reads them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "registry/regfile/KeyIndex.h"
#include "registry/regfile/RegCodec.h"

namespace tavrel::regfile {

// A value line (with its continuation lines) as parsed.
struct Entry {
    bool deletion = false;
    std::u16string name; // folded
    std::size_t start = 0;
    std::size_t nameEnd = 0;
    std::size_t dataEnd = 0; // after the data, before trailing blanks or a comment
    std::size_t end = 0;     // end of its last line, before the line end
    bool rewritable = true;  // false when a comment or blank line sits inside it
    std::uint32_t type = 0;
    std::string data; // the bytes as the registry stores them
};

class ValueParser {
public:
    ValueParser(const TextView& text, const KeyIndex& index, int version) : t_(text), index_(index), version_(version)
    {
    }

    // The last word on a value in the key's sections; the insertion point
    // for a new value line goes to *tail.
    std::optional<Entry> findValue(const KeyInfo& key, std::u16string_view folded, std::size_t* tail) const;

private:
    std::size_t parseQuoted(std::size_t off, std::size_t limit, std::u16string& out) const;
    std::size_t parseEntry(std::size_t line, std::size_t limit, Entry& e, bool& ok) const;
    std::size_t parseName(std::size_t line, std::size_t le, Entry& e) const;
    bool parseText(std::size_t p, std::size_t le, Entry& e) const;
    bool parseDword(std::size_t p, std::size_t le, Entry& e) const;
    bool parseHexType(std::size_t& p, std::size_t le, Entry& e) const;
    std::size_t parseHex(std::size_t p, std::size_t next, std::size_t limit, Entry& e, bool& ok) const;
    bool restIsComment(std::size_t off, std::size_t lineEnd) const;
    enum class HexLine { Bad, Last, Continued, ContinuedAfterComment };
    HexLine parseHexLine(std::size_t& off, std::size_t limit, std::string& data) const;

    const TextView& t_;
    const KeyIndex& index_;
    int version_;
};

// The data as the A calls give it: Windows-1252 where the file holds UTF-16.
std::string ansiView(const Entry& e, int version);

} // namespace tavrel::regfile
