#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ProgramState.h"
#include "presets/PresetStore.h"
#include "registry/RegFileStore.h"
#include "support/TempDir.h"

namespace tavrel::test {

// The preset file "TAVRL.CFG" in a folder.
inline PresetFile presetFileIn(const std::filesystem::path& folder, FaultHook faults = {})
{
    return PresetFile(folder / "TAVRL.CFG", std::move(faults));
}

// A REGEDIT4 file body for the display keys: each line of `sections` is
// written as is after the header, "\n" becoming CR LF.
std::string regedit4(std::string_view body);

// "[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Display\000i]"
// followed by ProviderName and InfSection lines (a null text leaves it out).
std::string displayKey(int index, const char* provider, const char* infSection, std::string_view extraLines = {});

// A temporary folder with a registry file and a program state over it; the
// preset file goes into the same folder.
struct RegistryFixture {
    explicit RegistryFixture(std::string_view regFileBytes);

    TempDir dir;
    std::filesystem::path regFile;
    std::unique_ptr<RegFileStore> store;
    std::unique_ptr<ProgramState> state;

    // Reloads the file into a fresh store, to see what a later run sees.
    std::unique_ptr<RegFileStore> reopen() const;
};

} // namespace tavrel::test
