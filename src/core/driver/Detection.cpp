#include "driver/Detection.h"

#include "driver/DriverLayout.h"
#include "registry/regdecl.h"

namespace tavrel {

ScanOutcome ScanDisplayKeys(DriverState& state)
{
    // All ten reads first; a value that cannot be read is recorded as empty.
    for (int i = 0; i < kDisplayKeyCount; ++i) {
        const std::string key = DisplayClassKey(i);
        QueryValue(state, key, kProviderName);
        state.ProviderNames[i] = state.QueryValueResult;
        state.QueryValueResult = LooseValue(std::string());
        QueryValue(state, key, kInfSection);
        state.InfSections[i] = state.QueryValueResult;
        state.QueryValueResult = LooseValue(std::string());
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
        QueryValue(state, key, *valueNames[i]);
        // A value that cannot be read shows as nothing after its label.
        if (state.QueryValueStatus == kStatusSuccess)
            lines[i].value = state.QueryValueResult.toText();
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
    // missing key, another type) would leave an unrelated earlier result
    // in QueryValueResult, so it takes the default.
    QueryValue(state, key, kGrfxClock);
    if (state.QueryValueStatus != kStatusSuccess) {
        clocks.core.text = std::to_string(kDefaultGrfxClock);
        state.StartGrfxClock = kDefaultGrfxClock;
        clocks.core.slider = kDefaultGrfxClock;
    } else {
        clocks.core.text = state.QueryValueResult.toText();
        const auto n = state.QueryValueResult.toInt32();
        if (n)
            state.StartGrfxClock = *n;
        clocks.core.slider = n;
    }

    QueryValue(state, key, kMemClock);
    if (state.QueryValueStatus != kStatusSuccess) {
        const std::int32_t def = equalsText(state.InfSections[0], kGeForceDDR) ? kDefaultMemClockDDR
                                                                               : kDefaultMemClockOther;
        clocks.memory.text = std::to_string(def);
        state.StartMemClock = LooseValue(def);
        clocks.memory.slider = def;
    } else {
        clocks.memory.text = state.QueryValueResult.toText();
        state.StartMemClock = state.QueryValueResult;
        clocks.memory.slider = state.QueryValueResult.toInt32();
    }
    return clocks;
}

bool ApplyAdapterChoice(DriverState& state, const std::string& adapterChoice)
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
