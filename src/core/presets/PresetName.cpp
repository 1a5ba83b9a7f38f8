#include "presets/PresetName.h"

#include <algorithm>
#include <iterator>

namespace tavrel {

std::optional<StorableName> storablePresetName(std::string_view name, std::size_t caret)
{
    const auto unstorable = [](char c) { return c == '"' || c == '\r' || c == '\n'; };
    if (std::none_of(name.begin(), name.end(), unstorable))
        return std::nullopt;
    caret = std::min(caret, name.size());
    StorableName kept;
    kept.caret = caret - static_cast<std::size_t>(std::count_if(name.begin(), name.begin() + caret, unstorable));
    std::remove_copy_if(name.begin(), name.end(), std::back_inserter(kept.name), unstorable);
    return kept;
}

} // namespace tavrel
