#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "io/FileIo.h"
#include "presets/ClockPreset.h"

// The four presets and their file "TAVRL.CFG": where it lies, its format,
// and the rules for a missing file.
namespace tavrel {

enum class PresetFileState { Missing, Present };

// The preset file and what may make its steps fail (tests only).
struct PresetFile {
    explicit PresetFile(FilePath file, FaultHook faultHook = {})
        : path(std::move(file))
        , faults(std::move(faultHook))
    {
    }

    FilePath path;
    FaultHook faults;
};

// Where the preset file is: "TAVRL.CFG" beside the program on Windows, and
// elsewhere when such a file lies there (portable use); otherwise
// $XDG_CONFIG_HOME/tavrel/TAVRL.CFG (default ~/.config/tavrel).
FilePath PresetFilePath(const FilePath& programFolder);

// Missing only when the file does not exist; any other failure to open
// counts as present, and the read that follows then leaves the table alone.
PresetFileState ProbePresetFile(const PresetFile& file);

// Reads the twelve fields into the table. Returns the file error (empty when
// read); on an error the table is left as it was. Never throws. fieldsRead,
// when given, receives how many fields the file held (12 when all).
FileError ReadPresetFile(const PresetFile& file, ClockPresetTable& table, std::size_t* fieldsRead = nullptr);

// Replaces the file atomically, making its folder first when there is none.
// Returns the error (path and the system's reason) when it failed; the old
// file is then left exactly as it was.
FileError WritePresetFile(const PresetFile& file, const ClockPresetTable& table);

// "Preset 1" to "Preset 4" for entries 1 to 4: the names of both default
// tables, and of a name left empty in the editor.
std::string defaultPresetName(std::size_t index);
// "Preset 1" to "Preset 4" with 330/120, used at start when there is no file.
ClockPresetTable startDefaultPresets();
// "Preset 1" to "Preset 4" with 300/120, written by the editor when there is no file.
ClockPresetTable editorDefaultPresets();

// Which defaults stand in for a missing file: the window's start (330/120,
// nothing written) or the editor's (300/120, written at once).
enum class PresetDefaults { Start, Editor };

// Where the table's presets came from, once loaded.
struct PresetLoad {
    enum class Source { File, Defaults, Unreadable };
    Source source = Source::File;
    // Unreadable: why. Defaults for the editor: why the file could not be
    // made, if it could not.
    FileError error;
    std::size_t fields = 0; // File: how many of the twelve fields it held

    // Whether the file (or the defaults) gave this field of entry 0 to 3:
    // field 0 is the name, 1 the memory clock, 2 the core clock. A field a
    // short file lacks keeps the table's earlier value, which is no preset's.
    bool has(std::size_t entry, std::size_t field) const;
};

// The one rule for loading the presets, for every window and the command
// line: a file that does not exist gives the defaults; any other file is
// read, and one that cannot be read leaves the table as it was.
PresetLoad loadPresets(const PresetFile& file, ClockPresetTable& table, PresetDefaults defaults);

// What the editor's boxes hold for one entry, as Windows-1252 texts.
struct PresetEntryTexts {
    std::string name;
    std::string memoryClock;
    std::string coreClock;
};

// The editor's "OK": names (an empty one becomes its default name) and the
// clock texts as texts, except entry 4's core clock, which becomes a 16-bit
// number; a text that gives none keeps the number it had.
void storePresetEntries(ClockPresetTable& table, const std::array<PresetEntryTexts, 4>& entries);

// The entry (0 to 3) that "1" to "4", or else a preset's exact name, stands
// for; nothing when none does.
std::optional<std::size_t> findPreset(const ClockPresetTable& table, std::string_view numberOrName);

// The file's bytes: twelve fields, each followed by CR LF. Texts stand in
// double quotes, unescaped, except a text holding a double quote, which
// stands bare so that it reads back whole; numbers stand bare; an empty
// value gives an empty line.
std::string renderPresetFile(const ClockPresetTable& table);

// Reads fields in file order into the table and returns how many the bytes
// held. A field missing from the bytes, and an entry 4 core field that holds
// no 16-bit number, leave their value in the table unchanged.
std::size_t parsePresetFile(std::string_view bytes, ClockPresetTable& table);

} // namespace tavrel
