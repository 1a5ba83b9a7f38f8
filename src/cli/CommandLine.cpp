#include "CommandLine.h"

#include <charconv>
#include <vector>

#include "Encoding.h"
#include "RegistryFile.h"
#include "Run.h"
#include "Startup.h"
#include "Version.h"
#include "driver/Detection.h"
#include "driver/DriverLayout.h"
#include "presets/PresetStore.h"

namespace tavrel {

namespace cli {

namespace {

// A clock given on the command line: a whole number on the window's slider.
std::optional<int> clockOption(std::string_view text, int min, int max)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.starts_with('+'))
        text.remove_prefix(1);
    int n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || n < min || n > max)
        return std::nullopt;
    return n;
}

// Help, version and usage errors end the run here; returns nothing to go on.
std::optional<int> parse(std::span<const std::string> args, Request& request, CommandLineOutput& output)
{
    Options& o = request.options;
    if (const std::string error = parseOptions(args, o); !error.empty())
        return usage(output, error);
    if (o.help) {
        output.out(helpText());
        return kExitDone;
    }
    if (o.version) {
        output.out(std::string("Tavrel ") + kVersionText + "\n");
        return kExitDone;
    }
    if (o.registry && o.registry->empty())
        return usage(output, "--registry needs a file name");
    const bool clocksGiven = o.memoryClock || o.coreClock;
    if (o.info + o.preset.has_value() + clocksGiven != 1)
        return usage(output, "give one of --info, --preset, or --memory-clock and --core-clock");
    const std::optional<std::string>* given[] = { &o.memoryClock, &o.coreClock };
    for (int i = 0; i < 2; ++i) {
        if (!*given[i])
            continue;
        request.clocks[i] = clockOption(**given[i], kClockMin[i], kClockMax[i]);
        if (!request.clocks[i])
            return usage(output,
                (i == 0 ? "--memory-clock" : "--core-clock") + std::string(" takes a whole number from ")
                    + std::to_string(kClockMin[i]) + " to " + std::to_string(kClockMax[i]) + ", not \"" + **given[i]
                    + "\"");
    }
    return std::nullopt;
}

std::string adapterList(const DriverState& state)
{
    std::string list;
    for (int i = 0; i < kDisplayKeyCount; ++i) {
        if (state.CardTypes[i].empty())
            continue;
        list += (list.empty() ? "" : ", ") + displayKeyName(i) + " (" + consoleFromAnsi(state.CardTypes[i]) + ")";
    }
    return list;
}

// Loads the presets, finds the adapters and picks the one to work on; a
// status when the run ends here.
std::optional<int> load(Run& run)
{
    ProgramState& state = run.state;
    run.presets = loadPresets(state.presetFile, state.PresetTable, PresetDefaults::Start);
    if (ScanDisplayKeys(state) == ScanOutcome::NoAdapter) {
        say(run.output, consoleFromUtf8(noAdapterMessage({})));
        return kExitNotWritten;
    }
    const Options& o = run.request.options;
    run.key = state.AdapterKey;
    if (o.adapter) {
        run.key = *o.adapter;
        const bool known = run.key.size() == 4 && run.key.starts_with("000") && run.key[3] >= '0'
            && run.key[3] < '0' + kDisplayKeyCount && !state.CardTypes[run.key[3] - '0'].empty();
        if (!known)
            return usage(run.output,
                "no Creative adapter under display key \"" + run.key + "\"; the adapters: " + adapterList(state));
    } else if (!o.info && state.AdapterCount > 1) {
        return usage(
            run.output, "there are several adapters, so say which with --adapter KEY: " + adapterList(state));
    }
    return std::nullopt;
}

} // namespace

} // namespace cli

using namespace cli;

bool wantsCommandLine(std::span<const std::string> args)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
#ifndef _WIN32
        if (args[i] == "--registry" && i + 1 < args.size() && !args[i + 1].empty()) {
            ++i;
            continue;
        }
        if (args[i].starts_with("--registry=") && args[i].size() > 11)
            continue;
#endif
        return true;
    }
    return false;
}

std::optional<std::string> registryOption([[maybe_unused]] std::span<const std::string> args)
{
    std::optional<std::string> file;
#ifndef _WIN32
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--registry" && i + 1 < args.size())
            file = args[++i];
        else if (args[i].starts_with("--registry="))
            file = args[i].substr(11);
    }
#endif
    return file;
}

int runCommandLine(std::span<const std::string> args, const FilePath& programFolder, CommandLineOutput& output)
{
    Request request;
    if (const auto status = parse(args, request, output))
        return *status;
    const ProgramStart start = startProgram(programFolder, request.options.registry);
    if (!start.registryError.empty()) {
        say(output, consoleFromUtf8(start.registryError) + "; nothing was written");
        return kExitNotWritten;
    }
    if (!start.noAdapter.empty()) {
        say(output, consoleFromUtf8(start.noAdapter));
        return kExitNotWritten;
    }
    Run run { output, *start.state, request, {}, {} };
    if (const auto status = load(run))
        return *status;
    return request.options.info ? printInfo(run) : writeClocks(run);
}

} // namespace tavrel
