#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "registry/RegistryApi.h"

namespace tavrel::test {

struct StoredValue { // a value as the registry holds it
    std::uint32_t type = 0;
    std::string data;
    friend bool operator==(const StoredValue&, const StoredValue&) = default;
};
inline void PrintTo(const StoredValue& v, std::ostream* out) { *out << v.type << " " << ::testing::PrintToString(v.data); }

// Creates the key under HKEY_LOCAL_MACHINE and writes the value; returns the first failure's status.
std::int32_t putRaw(RegistryApi& api, const std::string& key, const std::string& name, const StoredValue& value);

// Reads a value through a size probe and a read, giving the first failure's status; with a null name, only
// opens the key (whose handle must be 0 exactly when that fails).
std::pair<std::int32_t, StoredValue> get(RegistryApi& api, const std::string& key, const char* name);
StoredValue dword(std::uint32_t n);

} // namespace tavrel::test
