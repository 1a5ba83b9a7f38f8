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

// A form of .reg file: its first line, UTF-16 (with a byte order mark) or
// 8-bit Windows-1252 text, its line end.
struct RegForm {
    const char* name;
    const char* header;
    bool utf16;
    const char* eol;
};
inline constexpr RegForm kRegedit4{"REGEDIT4, CR LF", "REGEDIT4", false, "\r\n"};
inline constexpr RegForm kVersion5{"version 5, UTF-16, CR LF", "Windows Registry Editor Version 5.00", true, "\r\n"};

// The bytes of a .reg file: the form's first line, a blank line, then body,
// whose "\n" become the form's line end and whose UTF-8 characters its
// encoding (other bytes pass as they are).
std::string regFile(std::string_view body, const RegForm& form = kRegedit4);
inline std::string regedit4(std::string_view body) { return regFile(body); }

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
