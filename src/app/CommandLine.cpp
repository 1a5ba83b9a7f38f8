#include "CommandLine.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include <QCommandLineParser>
#include <QCoreApplication>

#include "ProgramState.h"
#include "Version.h"
#include "driver/ApplyClocks.h"
#include "driver/Detection.h"
#include "driver/DriverLayout.h"
#include "presets/PresetStore.h"
#include "values/Ansi.h"

#ifdef _WIN32
#include <windows.h>

#include "registry/WinRegistryApi.h"
#else
#include "registry/RegFileStore.h"
#endif

namespace tavrel {

namespace {

void say(const std::string& text)
{
    std::fprintf(stderr, "tavrel: %s\n", text.c_str());
}

int usage(const std::string& text)
{
    say(text + " (tavrel --help lists the options)");
    return kExitUsage;
}

#ifdef _WIN32
// A program with a window has no console of its own: write to the one it
// was started from, unless the output already goes somewhere.
void attachConsole()
{
    const auto missing = [](DWORD which) {
        const HANDLE h = GetStdHandle(which);
        return h == nullptr || h == INVALID_HANDLE_VALUE;
    };
    const bool out = missing(STD_OUTPUT_HANDLE);
    const bool err = missing(STD_ERROR_HANDLE);
    if ((out || err) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (out)
            std::freopen("CONOUT$", "w", stdout);
        if (err)
            std::freopen("CONOUT$", "w", stderr);
    }
}
#endif

// A clock given on the command line: a whole number on the window's slider.
std::optional<int> clockOption(const QString& text, int min, int max, const char* option, std::string& error)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < min || n > max) {
        error = std::string(option) + " takes a whole number from " + std::to_string(min) + " to "
                + std::to_string(max) + ", not \"" + text.toStdString() + "\"";
        return std::nullopt;
    }
    return n;
}

std::string withoutCr(std::string text)
{
    std::erase(text, '\r');
    return text;
}

std::string adapterList(const DriverState& state)
{
    std::string list;
    for (int i = 0; i < kDisplayKeyCount; ++i) {
        if (state.CardTypes[i].empty())
            continue;
        list += (list.empty() ? "" : ", ") + displayKeyName(i) + " (" + state.CardTypes[i] + ")";
    }
    return list;
}

void printAdapter(DriverState& state, const std::string& key)
{
    state.AdapterKey = key;
    std::printf("Adapter %s\n%s", key.c_str(), ansiToUtf8(withoutCr(ShowDriverInfo(state))).c_str());
    const CurrentClocks clocks = ReadCurrentClocks(state);
    std::printf("Memory clock : %s\nCore clock   : %s\n\n", ansiToUtf8(clocks.memory.text).c_str(),
                ansiToUtf8(clocks.core.text).c_str());
}

void printPresets(const ClockPresetTable& table)
{
    std::printf("Presets\n");
    for (std::size_t i = 0; i < table.size(); ++i)
        std::printf("%zu \"%s\": memory clock %s, core clock %s\n", i + 1, ansiToUtf8(table[i].Name).c_str(),
                    ansiToUtf8(table[i].MemoryClock.toText()).c_str(),
                    ansiToUtf8(table[i].CoreClock.toText()).c_str());
}

} // namespace

bool wantsCommandLine(int argc, [[maybe_unused]] char* argv[])
{
    for (int i = 1; i < argc; ++i) {
#ifndef _WIN32
        if (std::strcmp(argv[i], "--registry") == 0 && i + 1 < argc) {
            ++i;
            continue;
        }
        if (std::strncmp(argv[i], "--registry=", 11) == 0)
            continue;
#endif
        return true;
    }
    return false;
}

std::optional<std::string> registryOption([[maybe_unused]] int argc, [[maybe_unused]] char* argv[])
{
    std::optional<std::string> file;
#ifndef _WIN32
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--registry") == 0 && i + 1 < argc)
            file = argv[++i];
        else if (std::strncmp(argv[i], "--registry=", 11) == 0)
            file = argv[i] + 11;
    }
#endif
    return file;
}

int runCommandLine(int argc, char* argv[])
{
#ifdef _WIN32
    attachConsole();
#endif
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tavrel"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersionText));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows and changes the memory and core clocks of a Creative Labs graphics card.\n"
                       "Without an option it opens its window."));
    const QCommandLineOption help({"h", "help"}, "Shows this help.");
    const QCommandLineOption version({"v", "version"}, "Shows the version.");
    const QCommandLineOption info("info", "Prints each adapter's Info and clocks, and the presets; writes nothing.");
    const QCommandLineOption preset("preset", "Writes the clocks of preset N (1 to 4) or of the preset named NAME.",
                                    "N|NAME");
    const QCommandLineOption memory("memory-clock", "Writes the memory clock N (100 to 600).", "N");
    const QCommandLineOption core("core-clock", "Writes the core clock N (100 to 300).", "N");
    const QCommandLineOption adapter(
        "adapter", "The adapter by its display key (for example 0002); writing needs it when there are several.",
        "KEY");
    for (const QCommandLineOption* option : {&help, &version, &info, &preset, &memory, &core, &adapter})
        parser.addOption(*option);
#ifndef _WIN32
    const QCommandLineOption registry(
        "registry", "The registry file, instead of $TAVREL_REGISTRY or ~/.local/share/tavrel/registry.reg.", "FILE");
    parser.addOption(registry);
#endif

    if (!parser.parse(QCoreApplication::arguments()))
        return usage(parser.errorText().toStdString());
    if (parser.isSet(help)) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return kExitDone;
    }
    if (parser.isSet(version)) {
        std::printf("Tavrel %s\n", kVersionText);
        return kExitDone;
    }
    if (!parser.positionalArguments().isEmpty())
        return usage("unexpected argument \"" + parser.positionalArguments().first().toStdString() + "\"");
    const bool clocksGiven = parser.isSet(memory) || parser.isSet(core);
    if (parser.isSet(info) + parser.isSet(preset) + clocksGiven != 1)
        return usage("give one of --info, --preset, or --memory-clock and --core-clock");

    std::string error;
    std::optional<int> memoryClock, coreClock;
    if (parser.isSet(memory) && !(memoryClock = clockOption(parser.value(memory), kMemClockMin, kMemClockMax,
                                                             "--memory-clock", error)))
        return usage(error);
    if (parser.isSet(core)
        && !(coreClock = clockOption(parser.value(core), kCoreClockMin, kCoreClockMax, "--core-clock", error)))
        return usage(error);

#ifdef _WIN32
    WinRegistryApi registryApi;
#else
    RegFileStore registryApi(parser.isSet(registry) ? std::filesystem::path(parser.value(registry).toStdString())
                                                    : defaultRegistryPath());
    if (!registryApi.load()) {
        say(registryApi.loadError().message() + "; nothing was written");
        return kExitNotWritten;
    }
#endif
    const std::filesystem::path programFolder(QCoreApplication::applicationDirPath().toStdU16String());
    ProgramState state(registryApi, PresetFile(PresetFilePath(programFolder)));

    // The presets as the window loads them: the start defaults without a file.
    FileError presetError;
    if (ProbePresetFile(state.presetFile) == PresetFileState::Missing)
        state.PresetTable = startDefaultPresets();
    else
        presetError = ReadPresetFile(state.presetFile, state.PresetTable);

    if (ScanDisplayKeys(state) == ScanOutcome::NoAdapter) {
        say(kNoAdapterMessage);
        return kExitNotWritten;
    }
    std::string key = state.AdapterKey;
    if (parser.isSet(adapter)) {
        key = parser.value(adapter).toStdString();
        const bool known = key.size() == 4 && key.starts_with("000") && key[3] >= '0'
                           && key[3] < '0' + kDisplayKeyCount && !state.CardTypes[key[3] - '0'].empty();
        if (!known)
            return usage("no Creative adapter under display key \"" + key + "\"; the adapters: " + adapterList(state));
    } else if (!parser.isSet(info) && state.AdapterCount > 1) {
        return usage("there are several adapters, so say which with --adapter KEY: " + adapterList(state));
    }

    if (parser.isSet(info)) {
        for (int i = 0; i < kDisplayKeyCount; ++i)
            if (!state.CardTypes[i].empty() && (!parser.isSet(adapter) || displayKeyName(i) == key))
                printAdapter(state, displayKeyName(i));
        if (presetError)
            say("the presets could not be read: " + presetError.message());
        else
            printPresets(state.PresetTable);
        return kExitDone;
    }

    std::vector<std::string> texts;
    std::vector<ClockText> clocks;
    if (parser.isSet(preset)) {
        if (presetError) {
            say("the presets could not be read, so nothing was written: " + presetError.message());
            return kExitNotWritten;
        }
        const std::string name = utf16ToAnsi(parser.value(preset).toStdU16String());
        const auto entry = findPreset(state.PresetTable, name);
        if (!entry)
            return usage("there is no preset \"" + parser.value(preset).toStdString()
                         + "\"; give 1 to 4 or a preset's name");
        // As the option button does: the clocks as their texts, read as "OK" reads them.
        const ClockPreset& chosen = state.PresetTable[*entry];
        texts = {chosen.MemoryClock.toText(), chosen.CoreClock.toText()};
        clocks = {{ClockKind::Memory, texts[0]}, {ClockKind::Core, texts[1]}};
    } else {
        texts = {std::to_string(memoryClock.value_or(0)), std::to_string(coreClock.value_or(0))};
        if (memoryClock)
            clocks.push_back({ClockKind::Memory, texts[0]});
        if (coreClock)
            clocks.push_back({ClockKind::Core, texts[1]});
    }

    const ApplyOutcome outcome = WriteClocks(state, key, clocks);
    if (!outcome.written) {
        say(outcome.message);
        return kExitNotWritten;
    }
    for (const ClockText& clock : clocks)
        std::printf("%s clock %s written under HKEY_LOCAL_MACHINE\\%s\n",
                    clock.kind == ClockKind::Memory ? "Memory" : "Core",
                    ansiToUtf8(std::string(clock.text)).c_str(), driverSettingsPath(key).c_str());
    return kExitDone;
}

} // namespace tavrel
