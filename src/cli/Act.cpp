// The two kinds of work: printing what there is, and writing clocks.
#include <algorithm>
#include <vector>

#include "Encoding.h"
#include "Run.h"
#include "driver/ApplyClocks.h"
#include "driver/Detection.h"
#include "driver/DriverLayout.h"

namespace tavrel::cli {

std::string presetSource(const Run& run)
{
    const std::string file = "\"" + run.state.presetFile.path.string() + "\"";
    return run.presets.source == PresetLoad::Source::Defaults ? "the start defaults (there is no " + file + ")"
                                                              : file;
}

namespace {

constexpr std::size_t kLabelWidth = 12; // "Manufacturer", "Memory clock"

// A console's font is fixed-width: the labels are padded to one width.
std::string line(std::string_view label, std::string_view value)
{
    return std::string(label) + std::string(kLabelWidth - std::min(label.size(), kLabelWidth), ' ') + " : "
        + std::string(value) + "\n";
}

// A value's own line breaks as the console's: CR LF becomes LF.
std::string consoleLines(std::string_view value)
{
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i)
        if (value[i] != '\r' || i + 1 == value.size() || value[i + 1] != '\n')
            text += value[i];
    return text;
}

void printAdapter(Run& run, const std::string& key)
{
    run.state.AdapterKey = key;
    std::string text = "Adapter " + key + "\n";
    for (const InfoLine& info : ShowDriverInfo(run.state))
        text += line(info.label, consoleLines(consoleFromAnsi(info.value)));
    const CurrentClocks clocks = ReadCurrentClocks(run.state);
    text += line("Memory clock", consoleFromAnsi(clocks.memory.text));
    text += line("Core clock", consoleFromAnsi(clocks.core.text)) + "\n";
    run.output.out(text);
}

// A preset's field as printed: its text, or "missing" when the file lacks it.
std::string field(const Run& run, std::size_t entry, std::size_t which)
{
    if (!run.presets.has(entry, which))
        return "missing";
    const ClockPreset& p = run.state.PresetTable[entry];
    if (which == 0)
        return "\"" + consoleFromAnsi(p.Name) + "\"";
    return consoleFromAnsi((which == 1 ? p.MemoryClock : p.CoreClock).toText());
}

void printPresets(const Run& run)
{
    std::string text = run.presets.source == PresetLoad::Source::File ? "Presets from " + presetSource(run) + "\n"
                                                                      : "Presets: " + presetSource(run) + "\n";
    for (std::size_t i = 0; i < run.state.PresetTable.size(); ++i)
        text += std::to_string(i + 1) + " " + field(run, i, 0) + ": memory clock " + field(run, i, 1)
            + ", core clock " + field(run, i, 2) + "\n";
    run.output.out(text);
}

// The preset's clocks as the window's "OK" would read them, or why not.
std::string presetClocks(Run& run, std::size_t entry, std::vector<std::string>& texts)
{
    const ClockPreset& p = run.state.PresetTable[entry];
    const std::string which
        = "preset " + std::to_string(entry + 1) + " " + field(run, entry, 0) + " in " + presetSource(run);
    for (std::size_t i = 0; i < 2; ++i) {
        if (!run.presets.has(entry, i + 1))
            return which + " has no " + kClockWord[i] + ": the field is missing";
        const std::string text = (i == 0 ? p.MemoryClock : p.CoreClock).toText();
        const auto n = hasLenientNumber(text) ? roundHalfEvenToInt32(readLenient(text)) : std::nullopt;
        if (!n || *n < kClockMin[i] || *n > kClockMax[i])
            return which + ": its " + kClockWord[i] + " \"" + consoleFromAnsi(text) + "\" is not a number from "
                + std::to_string(kClockMin[i]) + " to " + std::to_string(kClockMax[i]);
        texts.push_back(text);
    }
    return {};
}

} // namespace

int printInfo(Run& run)
{
    const Options& o = run.request.options;
    for (int i = 0; i < kDisplayKeyCount; ++i)
        if (!run.state.CardTypes[i].empty() && (!o.adapter || displayKeyName(i) == run.key))
            printAdapter(run, displayKeyName(i));
    if (run.presets.source == PresetLoad::Source::Unreadable)
        say(run.output, "the presets could not be read: " + consoleFromUtf8(run.presets.error.message()));
    else
        printPresets(run);
    return kExitDone;
}

int writeClocks(Run& run)
{
    const Options& o = run.request.options;
    std::vector<std::string> texts;
    std::vector<ClockText> clocks;
    if (o.preset) {
        if (run.presets.source == PresetLoad::Source::Unreadable) {
            say(run.output,
                "the presets could not be read, so nothing was written: "
                    + consoleFromUtf8(run.presets.error.message()));
            return kExitNotWritten;
        }
        const auto entry = findPreset(run.state.PresetTable, ansiFromArgument(*o.preset));
        if (!entry)
            return usage(run.output,
                "there is no preset \"" + *o.preset + "\" in " + presetSource(run)
                    + "; give 1 to 4 or a preset's name");
        if (const std::string why = presetClocks(run, *entry, texts); !why.empty())
            return usage(run.output, why + "; nothing was written");
        clocks = { { ClockKind::Memory, texts[0] }, { ClockKind::Core, texts[1] } };
    } else {
        for (int i = 0; i < 2; ++i)
            texts.push_back(std::to_string(run.request.clocks[i].value_or(0)));
        for (int i = 0; i < 2; ++i)
            if (run.request.clocks[i])
                clocks.push_back(
                    { i == 0 ? ClockKind::Memory : ClockKind::Core, texts[static_cast<std::size_t>(i)] });
    }
    const ApplyOutcome outcome = writeClocks(run.state, run.key, clocks);
    // The numbers written, which a preset's text may spell otherwise ("330.5", "&H8C"); a half-done write
    // lists what it did write before it says why it stopped.
    std::string text;
    for (const WrittenClock& clock : outcome.done)
        text += std::string(clock.kind == ClockKind::Memory ? "Memory" : "Core") + " clock "
            + std::to_string(clock.value) + " written under HKEY_LOCAL_MACHINE\\"
            + consoleFromAnsi(driverSettingsPath(run.key)) + "\n";
    if (!text.empty())
        run.output.out(text);
    if (!outcome.written) {
        say(run.output, consoleFromUtf8(outcome.message));
        return kExitNotWritten;
    }
    return kExitDone;
}

} // namespace tavrel::cli
