#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "registry/RegistryApi.h"

namespace tavrel::test {

// A value as the registry holds it.
struct StoredValue {
    std::uint32_t type = 0;
    std::string data;
    friend bool operator==(const StoredValue&, const StoredValue&) = default;
};
inline void PrintTo(const StoredValue& v, std::ostream* out)
{
    *out << "type " << v.type << " " << ::testing::PrintToString(v.data);
}

// Creates the key under HKEY_LOCAL_MACHINE and writes the value; returns the write's status.
std::int32_t putRaw(RegistryApi& api, const std::string& key, const std::string& name, const StoredValue& value);

// Reads a value through a size probe and a read; status is the first failure's.
StoredValue getRaw(RegistryApi& api, const std::string& key, const std::string& name, std::int32_t& status);

// The registry layer's promises (QueryValue, SetKeyValue and the typed moves
// below them), case by case over any RegistryApi; each case keeps to keys of
// its own under HKEY_LOCAL_MACHINE\Software\Tavrel contract. The same cases
// run over the .reg store and, on Windows, over advapi32.
using RegistryFactory = std::function<std::unique_ptr<RegistryApi>()>;
void runRegistryLayerContract(const RegistryFactory& makeRegistry);

} // namespace tavrel::test
