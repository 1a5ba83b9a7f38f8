// Any bytes as the preset file: read, write, read again: the same table, whatever table it is read into, and
// written again the same bytes (a text with a double quote, from an unquoted field, is written bare).

#include <string>

#include "FuzzCheck.h"
#include "presets/PresetStore.h"

using namespace tavrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ClockPresetTable first = initialPresetTable(), second = initialPresetTable(), overOld = startDefaultPresets();
    parsePresetFile(std::string_view(reinterpret_cast<const char*>(data), size), first);
    const std::string written = renderPresetFile(first);
    parsePresetFile(written, second);
    parsePresetFile(written, overOld);
    // A number may come back as another kind of number (300.0 is written "300" and read as a 16-bit 300).
    auto same = [](const LooseValue& a, const LooseValue& b) {
        return a.isText() == b.isText() && a.isEmpty() == b.isEmpty() && a.toText() == b.toText();
    };
    for (std::size_t i = 0; i < first.size(); ++i)
        FUZZ_CHECK(second[i].Name == first[i].Name && same(second[i].MemoryClock, first[i].MemoryClock)
                   && same(second[i].CoreClock, first[i].CoreClock));
    FUZZ_CHECK(renderPresetFile(second) == written && overOld == second);
    return 0;
}
