#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "registry/regdecl.h"
#include "values/LooseValue.h"

// Finding the Creative adapter among the display keys, describing it, and
// reading its clocks.
namespace tavrel {

// What detection found in the registry, and the registry it reads and
// writes; index i of the arrays belongs to display key "000i".
struct DriverState {
    explicit DriverState(RegistryApi& api) : registry(api) {}

    RegistryApi& registry;
    std::array<LooseValue, 5> ProviderNames;
    std::array<LooseValue, 5> InfSections;
    std::array<std::string, 5> CardTypes;
    std::uint8_t AdapterCount = 0;
    std::string AdapterKey;
    LooseValue StartMemClock;
    std::int32_t StartGrfxClock = 0;
};

inline const std::string kNoAdapterMessage =
    "You don't seem to have a CL Geforce based card or you're not using Creative drivers";

enum class ScanOutcome {
    NoAdapter,       // show the message and end the program
    OneAdapter,      // go on quietly
    SeveralAdapters  // open the adapter choice dialog and go on
};

// Reads ProviderName and InfSection of the five display keys, recognises
// the card types, counts them and sets AdapterKey to the highest one.
ScanOutcome ScanDisplayKeys(DriverState& state);

// One Info line of the adapter: what it names, and the value read, which
// is empty when it cannot be read. Each front end lays the lines out for its
// own font.
struct InfoLine {
    std::string_view label; // "Manufacturer", "Driver", "Card type", "Driver date"
    std::string value; // Windows-1252
};

// The four Info lines of the adapter key, in the order shown.
std::array<InfoLine, 4> ShowDriverInfo(DriverState& state);

// What one clock's text box and slider receive, in that order.
struct ClockReading {
    std::string text;
    std::optional<std::int32_t> slider; // nothing: the slider stays where it is
};

struct CurrentClocks {
    ClockReading core;
    ClockReading memory;
};

// Reads GrfxClock and MemClock of the adapter's DEFAULT key, sets
// StartGrfxClock and StartMemClock, and returns what the controls show. A
// missing value, or one that cannot be read at all, gives the defaults; a
// core clock that is no number gives a start clock of 0, whichever adapter
// was read before.
CurrentClocks ReadCurrentClocks(DriverState& state);

// The adapter choice: every display key whose provider is "Creative Labs"
// and whose InfSection is recognised as the chosen card type gets that card
// type, and the highest such key becomes AdapterKey. Returns true when
// AdapterKey changed.
bool applyAdapterChoice(DriverState& state, const std::string& adapterChoice);

} // namespace tavrel
