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

// Empty when the value was written and reads back as written.
std::string write(RegistryAccess& access, const std::string& key, const Clock& clock)
{
    const double value = readLenient(clock.text);
    const std::int32_t status = SetKeyValue(access, key, clock.valueName, LooseValue(value), kRegDword);
    std::string reason;
    if (status != kStatusSuccess) {
        reason = registryStatusText(status);
        if (const std::string detail = access.registry.lastErrorDetail(); !detail.empty())
            reason += " " + detail;
    } else {
        // Only what the registry now holds counts as written.
        QueryValue(access, key, clock.valueName);
        const auto expected = LooseValue(value).toInt32().value_or(0);
        if (access.QueryValueStatus != kStatusSuccess)
            reason = std::string("reading it back failed: ") + registryStatusText(access.QueryValueStatus);
        else if (!access.QueryValueResult.isInt32() || access.QueryValueResult.toInt32() != expected)
            reason = "it reads back as " + ansiToUtf8(access.QueryValueResult.toText()) + " instead of "
                     + std::to_string(expected);
    }
    if (reason.empty())
        return {};
    return "The " + std::string(clock.what) + " (" + clock.valueName + ") could not be written under "
           + "HKEY_LOCAL_MACHINE\\" + ansiToUtf8(key) + ": " + reason;
}

} // namespace

ApplyOutcome WriteClocks(RegistryAccess& access, const std::string& adapterKey, std::span<const ClockText> clocks)
{
    for (const ClockText& clock : clocks)
        if (std::string why = refusal(Clock(clock)); !why.empty())
            return {false, std::move(why), {}};

    const std::string key = driverSettingsPath(adapterKey);
    ApplyOutcome outcome{true, {}, {}};
    for (const ClockText& clock : clocks) {
        if (std::string why = write(access, key, Clock(clock)); !why.empty()) {
            outcome.written = false;
            outcome.message = std::move(why);
            return outcome;
        }
        outcome.done.push_back({clock.kind, roundHalfEvenToInt32(readLenient(clock.text)).value_or(0)});
    }
    return outcome;
}

ApplyOutcome ApplyClocks(RegistryAccess& access, const std::string& adapterKey, std::string_view memoryText,
                         std::string_view coreText)
{
    const ClockText clocks[] = {{ClockKind::Memory, memoryText}, {ClockKind::Core, coreText}};
    return WriteClocks(access, adapterKey, clocks);
}

} // namespace tavrel
