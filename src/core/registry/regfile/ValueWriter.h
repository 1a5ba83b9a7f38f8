// Writes values and keys as regedit writes them, as an edit of a few bytes
// of the file: the lines of the value written, or a new section at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "registry/regfile/RegCodec.h"
#include "registry/regfile/ValueParser.h"

namespace tavrel::regfile {

// Replace bytes [from, to) of the file with these.
struct Edit {
    std::size_t from = 0;
    std::size_t to = 0;
    std::string bytes;
};

class ValueWriter {
public:
    // exists is false for a missing or empty file, written as version 5
    // UTF-16 from scratch.
    ValueWriter(const TextView& text, int version, std::u16string_view eol, bool exists)
        : t_(text), version_(version), eol_(eol), exists_(exists)
    {
    }

    // Sets a value of a key: rewrites the old value's lines where it has
    // them, else adds a line after the key's last value (at tail), else
    // adds a section for the key.
    Edit setValue(int root, std::string_view path, bool hasSections, const std::optional<Entry>& old,
                  std::size_t tail, std::string_view name, std::uint32_t type, std::string_view ansiData) const;
    // A new section at the end, after a blank line, itself followed by one.
    Edit createKey(int root, std::string_view path) const;
    // Adds a value to an edit that adds sections at the end of the file (as
    // setValue makes for a key without sections): as a line of its last
    // section, or of a new section for the key after it.
    void addToNewSections(Edit& edit, int root, std::string_view path, bool newSection, std::string_view name,
                          std::uint32_t type, std::string_view ansiData) const;

private:
    std::string storageOf(std::uint32_t type, std::string_view ansi) const;
    std::u16string formatData(std::uint32_t type, const std::string& stored, std::size_t column) const;
    std::u16string sectionText(int root, std::string_view path) const;
    std::u16string valueLine(const std::optional<Entry>& old, std::string_view name, std::uint32_t type,
                             std::string_view ansiData) const;
    // Puts a value's line at the end of the last section of an edit that
    // ends in a section followed by a blank line.
    void addToLastSection(Edit& edit, const std::u16string& line) const;
    std::string encode(std::u16string_view text) const { return encodeText(text, t_.width()); }

    const TextView& t_;
    int version_;
    std::u16string_view eol_;
    bool exists_;
};

} // namespace tavrel::regfile
