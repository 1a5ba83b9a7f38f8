#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ProgramState.h"
#include "io/FilePath.h"
#include "registry/RegistryApi.h"

// What the Qt program, the Windows program and the command line do first:
// open the registry and build the state over it. No Qt and no window, so
// that all three share it, the program for Windows 95/98/ME included.
namespace tavrel {

// The folder that holds the program file, where the preset file may lie;
// found without an application object, since the command line makes none.
// argv0 is used only where the system cannot say (a POSIX system without
// /proc/self/exe). On Windows: the ANSI code page bytes the file calls take.
FilePath programFolder(const char* argv0);

// The registry opened and the state built over it, or why not. On Windows
// the registry is the system's and always opens.
struct ProgramStart {
    std::unique_ptr<RegistryApi> registry;
    // Null when the program must end before any window: then one of the
    // two texts below says why.
    std::unique_ptr<ProgramState> state;
    // The registry file was refused: "\"FILE\", line N: reason" (UTF-8),
    // and nothing may be written.
    std::string registryError;
    // The registry file cannot hold an adapter (missing, empty, or without
    // display keys): the whole "no adapter" message, naming the file and why.
    std::string noAdapter;
};

// Opens the registry (on POSIX the registry file registryFile, else the
// default one; registryFile is not looked at on Windows) and builds the
// state with the preset file that PresetFilePath finds for programFolder.
ProgramStart startProgram(const FilePath& programFolder, const std::optional<std::string>& registryFile);

} // namespace tavrel
