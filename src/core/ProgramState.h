#pragma once

#include "driver/Detection.h"
#include "presets/ClockPreset.h"
#include "presets/PresetStore.h"
#include "registry/RegistryApi.h"

namespace tavrel {

// Everything that lives for the whole run and belongs to no window: the
// registry and what detection found in it, the preset file and the presets.
// main() makes one and hands it to the windows by reference. It is the
// detection state with the presets beside it, so that the windows name
// detection's fields as the forms do (state.AdapterKey) and hand the whole
// state to the driver's functions.
struct ProgramState : DriverState {
    ProgramState(RegistryApi& registryApi, PresetFile file) : DriverState(registryApi), presetFile(std::move(file)) {}

    PresetFile presetFile;
    ClockPresetTable PresetTable = initialPresetTable();
};

} // namespace tavrel
