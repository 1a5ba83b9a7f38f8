#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "io/FileIo.h"
#include "presets/ClockPreset.h"

namespace tavrel {

struct ProgramState;

enum class PresetFileState { Missing, Present };

// The preset file "TAVRL.CFG" in the application folder (the folder that
// holds the program; tests pass a temporary folder).
std::filesystem::path PresetFilePath(const std::filesystem::path& appFolder);

// Missing only when the file itself does not exist in an existing folder;
// any other failure to open counts as present, and the read that follows
// then leaves the table alone.
PresetFileState ProbePresetFile(const std::filesystem::path& appFolder, const FaultHook& faults = {});

// Reads the twelve fields into the table. Returns the file error (empty when
// read); on an error the table is left as it was. Never throws.
FileError ReadPresetFile(
    const std::filesystem::path& appFolder, ClockPresetTable& table, const FaultHook& faults = {});

// Replaces the file atomically. Returns the error (path and the system's
// reason) when it failed; the old file is then left exactly as it was.
FileError WritePresetFile(
    const std::filesystem::path& appFolder, const ClockPresetTable& table, const FaultHook& faults = {});

// The same, on the program's own table, folder and fault hook.
PresetFileState ProbePresetFile(const ProgramState& state);
FileError ReadPresetFile(ProgramState& state);
FileError WritePresetFile(const ProgramState& state);

// "Preset 1" to "Preset 4" with 330/120, used at start when there is no file.
ClockPresetTable startDefaultPresets();
// "Preset 1" to "Preset 4" with 300/120, written by the editor when there is no file.
ClockPresetTable editorDefaultPresets();

// The file's bytes: twelve fields, each followed by CR LF. Texts stand in
// double quotes, unescaped; numbers stand bare; an empty value gives an
// empty line.
std::string renderPresetFile(const ClockPresetTable& table);

// Reads fields in file order into the table. A field missing from the bytes,
// and an entry 4 core field that holds no 16-bit number, leave their value
// in the table unchanged.
void parsePresetFile(std::string_view bytes, ClockPresetTable& table);

} // namespace tavrel
