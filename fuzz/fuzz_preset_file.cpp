// The preset file: read arbitrary bytes, write the table, read that again.
// Wherever the format can hold the table (no text with a double quote in
// it, since quotes are not escaped), the second read gives the same table
// and writing it again gives the same bytes.

#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "presets/PresetStore.h"

using namespace tavrel;

namespace {

bool holdsQuote(const std::string& s)
{
    return s.find('"') != std::string::npos;
}

bool formatCanHold(const ClockPresetTable& t)
{
    for (const ClockPreset& p : t)
        if (holdsQuote(p.Name) || holdsQuote(p.MemoryClock.text()) || holdsQuote(p.CoreClock.text()))
            return false;
    return true;
}

// A number may come back as another kind of number (300.0 is written "300"
// and read as a 16-bit 300), so numbers compare by their text.
bool sameValue(const LooseValue& a, const LooseValue& b)
{
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() && b.isEmpty();
    if (a.isText() || b.isText())
        return a.isText() && b.isText() && a.text() == b.text();
    return a.toText() == b.toText();
}

std::size_t lineEnds(std::string_view s)
{
    std::size_t n = 0;
    for (std::size_t p = s.find("\r\n"); p != std::string_view::npos; p = s.find("\r\n", p + 2))
        ++n;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    ClockPresetTable first = initialPresetTable();
    parsePresetFile(bytes, first);
    FUZZ_CHECK(first[3].CoreClock.isInt16());

    const std::string written = renderPresetFile(first);
    FUZZ_CHECK(written.size() >= 2 && written.compare(written.size() - 2, 2, "\r\n") == 0);
    FUZZ_CHECK(lineEnds(written) >= 12);

    ClockPresetTable second = initialPresetTable();
    parsePresetFile(written, second);
    FUZZ_CHECK(second[3].CoreClock == first[3].CoreClock);
    if (!formatCanHold(first))
        return 0;
    for (std::size_t i = 0; i < first.size(); ++i) {
        FUZZ_CHECK(second[i].Name == first[i].Name);
        FUZZ_CHECK(sameValue(second[i].MemoryClock, first[i].MemoryClock));
        FUZZ_CHECK(sameValue(second[i].CoreClock, first[i].CoreClock));
    }
    FUZZ_CHECK(renderPresetFile(second) == written);

    // A file the program writes reads into any table alike: every field is there.
    ClockPresetTable overOld = startDefaultPresets();
    parsePresetFile(written, overOld);
    FUZZ_CHECK(overOld == second);
    return 0;
}
