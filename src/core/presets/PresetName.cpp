#include "presets/PresetName.h"

#include <algorithm>
#include <iterator>
#include <type_traits>

namespace tavrel {

namespace {

template <class Char>
std::optional<StorableName<std::basic_string<Char>>> dropUnstorable(
    std::basic_string_view<Char> name, std::size_t caret)
{
    const auto unstorable = [](Char c) {
        return !storableInPresetName(static_cast<char32_t>(static_cast<std::make_unsigned_t<Char>>(c)));
    };
    if (std::none_of(name.begin(), name.end(), unstorable))
        return std::nullopt;
    caret = std::min(caret, name.size());
    StorableName<std::basic_string<Char>> kept;
    kept.caret = caret - static_cast<std::size_t>(std::count_if(name.begin(), name.begin() + caret, unstorable));
    std::copy_if(name.begin(), name.end(), std::back_inserter(kept.name), [&](Char c) { return !unstorable(c); });
    return kept;
}

} // namespace

bool storableInPresetName(char32_t c)
{
    return c != U'"' && c != U'\r' && c != U'\n';
}

std::optional<StorableName<std::string>> storablePresetName(std::string_view name, std::size_t caret)
{
    return dropUnstorable(name, caret);
}

std::optional<StorableName<std::u16string>> storablePresetName(std::u16string_view name, std::size_t caret)
{
    return dropUnstorable(name, caret);
}

} // namespace tavrel
