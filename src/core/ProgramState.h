#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "io/FileIo.h"
#include "values/LooseValue.h"
#include "presets/ClockPreset.h"

namespace tavrel {

class RegistryApi;

// Everything that lives for the whole run and belongs to no window. main()
// makes one and hands it to the windows by reference; tests make their own.
struct ProgramState {
    ProgramState(RegistryApi& registryApi, std::filesystem::path applicationFolder)
        : registry(registryApi), appFolder(std::move(applicationFolder))
    {
    }

    RegistryApi& registry;          // the registry the program reads and writes
    std::filesystem::path appFolder; // the folder that holds the preset file
    FaultHook presetFileFaults;     // empty except in tests

    // Answers the program's message boxes instead of showing them; empty
    // except in tests, which must never block on a modal box.
    std::function<void(const std::string& caption, const std::string& text)> messageHook;

    ClockPresetTable PresetTable = initialPresetTable();

    // Adapter detection; index i belongs to display key "000i".
    std::array<LooseValue, 5> ProviderNames;
    std::array<LooseValue, 5> InfSections;
    std::array<std::string, 5> CardTypes;
    std::uint8_t AdapterCount = 0;
    std::string AdapterKey;
    LooseValue StartMemClock;
    std::int32_t StartGrfxClock = 0;

    // The value and status of the last QueryValue.
    LooseValue QueryValueResult;
    std::int32_t QueryValueStatus = 0;
};

} // namespace tavrel
