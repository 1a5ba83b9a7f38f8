#pragma once

// Test helpers that go to advapi32 directly, beside the code under test:
// removing what a test created and listing what a key really holds.
#ifdef _WIN32

#include <map>
#include <ostream>
#include <string>

#include "core/RegistryContract.h"

namespace tavrel::test {

// The type and the bytes, for failure messages.
std::ostream& operator<<(std::ostream& out, const StoredValue& value);

// Key path (relative to the listed key, "" for itself) -> value name -> value.
using RegistrySnapshot = std::map<std::string, std::map<std::string, StoredValue>>;

// Removes a key under HKEY_LOCAL_MACHINE with everything below it; a key
// that is not there is fine. Throws when the key stays.
void deleteLocalMachineTree(const std::string& path);

// The key under HKEY_LOCAL_MACHINE and every key below it, with their values.
RegistrySnapshot snapshotLocalMachine(const std::string& path);

} // namespace tavrel::test

#endif
