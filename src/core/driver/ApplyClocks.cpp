#include "driver/ApplyClocks.h"

#include "driver/DriverLayout.h"
#include "values/Ansi.h"
#include "values/LooseValue.h"

namespace tavrel {

namespace {

struct Clock {
    const char* what;
    const std::string& valueName;
    std::string_view text;

    explicit Clock(const ClockText& clock)
        : what(clock.kind == ClockKind::Memory ? "memory clock" : "core clock")
        , valueName(clock.kind == ClockKind::Memory ? kMemClock : kGrfxClock)
        , text(clock.text)
    {
    }
    std::string named() const { return "the " + std::string(what) + " (" + valueName + ")"; }
    std::int32_t number() const { return roundHalfEvenToInt32(readLenient(text)).value_or(0); }
};

// Empty when the text gives a clock; otherwise why not.
std::string refusal(const Clock& clock)
{
    const std::string quoted = "The " + std::string(clock.what) + " \"" + ansiToUtf8(clock.text) + "\"";
    // A text without a number would be written as 0, one past 32 bits would wrap.
    const auto n = hasLenientNumber(clock.text) ? roundHalfEvenToInt32(readLenient(clock.text)) : std::nullopt;
    if (!n)
        return quoted + " is not a clock number. Nothing was written.";
    if (*n <= 0)
        return quoted + " is not a clock: a clock is above 0. Nothing was written.";
    return {};
}

// The registry's reason for a failed status, with what it knows beyond it.
std::string failure(RegistryApi& registry, std::int32_t status)
{
    std::string reason = registryStatusText(status);
    const std::string detail = registry.lastErrorDetail();
    if (!detail.empty())
        reason += " " + detail;
    else if (status == kStatusNotFound) // a write never misses its value: the key is missing
        reason += " The key does not exist.";
    return reason;
}

// Empty when the clock reads back as written; otherwise why not.
std::string readBack(RegistryApi& registry, const std::string& key, const Clock& clock)
{
    const ValueRead read = QueryValue(registry, key, clock.valueName);
    const std::int32_t expected = LooseValue(readLenient(clock.text)).toInt32().value_or(0);
    if (read.QueryValueStatus != kStatusSuccess)
        return std::string("reading it back failed: ") + registryStatusText(read.QueryValueStatus);
    if (!read.QueryValueResult.isInt32() || read.QueryValueResult.toInt32() != expected)
        return "it reads back as " + ansiToUtf8(read.QueryValueResult.toText()) + " instead of "
               + std::to_string(expected);
    return {};
}

std::string sentence(std::string text)
{
    if (!text.empty() && text.back() != '.')
        text += '.';
    return text;
}

std::string capitalized(std::string text)
{
    if (!text.empty() && text.front() >= 'a' && text.front() <= 'z')
        text.front() = static_cast<char>(text.front() - 'a' + 'A');
    return text;
}

// Which clocks failed and why (those failing for one reason named together),
// which were written with their numbers, and which were not written.
std::string describe(const std::vector<Clock>& clocks, const std::vector<std::string>& reasons,
                     const std::vector<bool>& written, const std::string& key)
{
    std::string failed, reason, rest; // failed: the clocks that failed for the first reason
    for (std::size_t i = 0; i < clocks.size(); ++i) {
        const std::string named = clocks[i].named();
        if (written[i]) {
            rest += " " + capitalized(named) + " was written: " + std::to_string(clocks[i].number()) + ".";
        } else if (reasons[i].empty()) {
            rest += " " + capitalized(named) + " was not written.";
        } else if (failed.empty() || reasons[i] == reason) {
            failed += failed.empty() ? named : " and " + named;
            reason = reasons[i];
        } else {
            rest += " " + capitalized(named) + " could not be written either: " + sentence(reasons[i]);
        }
    }
    return capitalized(failed) + " could not be written under HKEY_LOCAL_MACHINE\\" + ansiToUtf8(key) + ": "
           + sentence(reason) + rest;
}

} // namespace

ApplyOutcome writeClocks(DriverState& state, const std::string& adapterKey, std::span<const ClockText> clocks)
{
    std::vector<Clock> list;
    for (const ClockText& clock : clocks)
        if (std::string why = refusal(list.emplace_back(clock)); !why.empty())
            return {false, std::move(why), {}};

    // One write group: on a backend that keeps the values in a file, both
    // clocks land in one rewrite, or neither does.
    const std::string key = driverSettingsPath(adapterKey);
    RegistryApi& registry = state.registry;
    std::vector<std::string> reasons(list.size());
    std::size_t staged = 0;
    registry.beginWriteGroup();
    for (; staged < list.size(); ++staged) {
        const LooseValue value(readLenient(list[staged].text));
        if (const std::int32_t s = SetKeyValue(registry, key, list[staged].valueName, value, kRegDword)) {
            reasons[staged] = failure(registry, s);
            break;
        }
    }
    if (staged < list.size())
        registry.cancelWriteGroup();
    else if (const std::int32_t s = registry.commitWriteGroup())
        reasons.assign(list.size(), failure(registry, s));

    // Only what the registry now holds counts as written; a clock whose
    // group was dropped may still be written where writes land at once.
    ApplyOutcome outcome{true, {}, {}};
    std::vector<bool> written(list.size());
    for (std::size_t i = 0; i < staged && reasons[i].empty(); ++i) {
        const std::string why = readBack(registry, key, list[i]);
        if (why.empty() || staged == list.size())
            reasons[i] = why;
        written[i] = why.empty();
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (written[i])
            outcome.done.push_back({clocks[i].kind, list[i].number()});
        outcome.written = outcome.written && written[i];
    }
    if (!outcome.written)
        outcome.message = describe(list, reasons, written, key);
    return outcome;
}

ApplyOutcome applyClocks(DriverState& state, const std::string& adapterKey, std::string_view memoryText,
                         std::string_view coreText)
{
    const ClockText clocks[] = {{ClockKind::Memory, memoryText}, {ClockKind::Core, coreText}};
    return writeClocks(state, adapterKey, clocks);
}

} // namespace tavrel
