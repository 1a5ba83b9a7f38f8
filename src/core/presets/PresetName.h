#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What a preset name can hold: the preset file ends a name at a double quote
// when it is read, and a field at a line break, so '"', CR and LF would not
// come back. Commas are fine, since names are written in quotes. The editor
// drops such characters from typed and pasted text alike; a name read from
// the file is shown as it is.
namespace tavrel {

// A name typed into the editor without what cannot be stored, and the caret
// (an index in the name) moved left by what was dropped before it.
struct StorableName {
    std::string name;
    std::size_t caret = 0;
};

// Nothing when the name (Windows-1252) holds nothing to drop, so that a box
// need not set its text again. A caret past the end counts as at the end.
std::optional<StorableName> storablePresetName(std::string_view name, std::size_t caret);

} // namespace tavrel
