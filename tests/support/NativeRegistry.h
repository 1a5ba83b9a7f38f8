#pragma once

// advapi32 called directly, beside the code under test: removing what a test
// made and listing what a key really holds.
#ifdef _WIN32

#include <map>
#include <string>

#include "core/RegistryContract.h"

namespace tavrel::test {

// Key path (relative to the listed key, "" for itself) -> value name -> value.
using RegistrySnapshot = std::map<std::string, std::map<std::string, StoredValue>>;

// Removes a key under HKEY_LOCAL_MACHINE with everything below it; a key
// that is not there is fine. Throws when the key stays.
void deleteLocalMachineTree(const std::string& path);

// The key under HKEY_LOCAL_MACHINE and every key below it, with their values
// (empty when the key is missing).
RegistrySnapshot snapshotLocalMachine(const std::string& path);

} // namespace tavrel::test

#endif
