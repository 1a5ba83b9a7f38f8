#include "driver/Detection.h"

#include "driver/DriverLayout.h"
#include "registry/regdecl.h"

namespace tavrel {

ScanOutcome ScanDisplayKeys(DriverState& state)
{
    // All ten reads first; a value that cannot be read is recorded as empty.
    for (int i = 0; i < kDisplayKeyCount; ++i) {
        const std::string key = DisplayClassKey(i);
        state.ProviderNames[i] = QueryValue(state.registry, key, kProviderName).QueryValueResult;
        state.InfSections[i] = QueryValue(state.registry, key, kInfSection).QueryValueResult;
    }

    for (int i = 0; i < kDisplayKeyCount; ++i) {
        const std::string type = cardTypeOf(state.ProviderNames[i], state.InfSections[i]);
        if (!type.empty()) {
            state.CardTypes[i] = type;
            state.AdapterKey = displayKeyName(i);
        }
    }

    state.AdapterCount = 0;
    for (const auto& type : state.CardTypes)
        if (type == kCardGeForce || type == kCardTNT2Ultra)
            ++state.AdapterCount;

    if (state.AdapterCount > 1)
        return ScanOutcome::SeveralAdapters;
    if (state.AdapterCount == 0)
        return ScanOutcome::NoAdapter;
    return ScanOutcome::OneAdapter;
}

std::array<InfoLine, 4> ShowDriverInfo(DriverState& state)
{
    std::array<InfoLine, 4> lines {{
        {"Manufacturer", {}},
        {"Driver", {}},
        {"Card type", {}},
        {"Driver date", {}},
    }};
    const std::string* valueNames[] = {&kProviderName, &kDriverDesc, &kInfSection, &kDriverDate};
    const std::string key = adapterKeyPath(state.AdapterKey);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ValueRead read = QueryValue(state.registry, key, *valueNames[i]);
        // A value that cannot be read shows as nothing after its label.
        if (read.QueryValueStatus == kStatusSuccess)
            lines[i].value = read.QueryValueResult.toText();
    }
    return lines;
}

CurrentClocks ReadCurrentClocks(DriverState& state)
{
    const std::string key = driverSettingsPath(state.AdapterKey);
    CurrentClocks clocks;
    // The start clocks belong to the adapter read now, also when the choice
    // of adapter moves from one card to another.
    state.StartGrfxClock = 0;

    // Only a successful read gives a clock; anything else (missing value,
    // missing key, another type) takes the default.
    const ValueRead core = QueryValue(state.registry, key, kGrfxClock);
    if (core.QueryValueStatus != kStatusSuccess) {
        clocks.core.text = std::to_string(kDefaultGrfxClock);
        state.StartGrfxClock = kDefaultGrfxClock;
        clocks.core.slider = kDefaultGrfxClock;
    } else {
        clocks.core.text = core.QueryValueResult.toText();
        const auto n = core.QueryValueResult.toInt32();
        if (n)
            state.StartGrfxClock = *n;
        clocks.core.slider = n;
    }

    const ValueRead memory = QueryValue(state.registry, key, kMemClock);
    if (memory.QueryValueStatus != kStatusSuccess) {
        const std::int32_t def = equalsText(state.InfSections[0], kGeForceDDR) ? kDefaultMemClockDDR
                                                                               : kDefaultMemClockOther;
        clocks.memory.text = std::to_string(def);
        state.StartMemClock = LooseValue(def);
        clocks.memory.slider = def;
    } else {
        clocks.memory.text = memory.QueryValueResult.toText();
        state.StartMemClock = memory.QueryValueResult;
        clocks.memory.slider = memory.QueryValueResult.toInt32();
    }
    return clocks;
}

bool applyAdapterChoice(DriverState& state, const std::string& adapterChoice)
{
    const std::string before = state.AdapterKey;
    for (int i = 0; i < kDisplayKeyCount; ++i) {
        if (cardTypeOf(state.ProviderNames[i], state.InfSections[i]) == adapterChoice && !adapterChoice.empty()) {
            state.CardTypes[i] = adapterChoice;
            state.AdapterKey = displayKeyName(i);
        }
    }
    return state.AdapterKey != before;
}

} // namespace tavrel
