#pragma once

#include <gtest/gtest.h>

#include "support/FakeRegistry.h"

namespace tavrel::test {

using StoredValue = FakeRegistry::Value; // a value as the registry holds it

// Creates the key under HKEY_LOCAL_MACHINE and writes the value; returns the first failure's status.
std::int32_t putRaw(RegistryApi& api, const std::string& key, const std::string& name, const StoredValue& value);

// Reads a value through a size probe and a read, giving the first failure's status; with a null name, only
// opens the key (whose handle must be 0 exactly when that fails).
std::pair<std::int32_t, StoredValue> get(RegistryApi& api, const std::string& key, const char* name);

} // namespace tavrel::test
