#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "registry/RegistryApi.h"

namespace tavrel::test {

// Makes the registry a case runs on. Each case keeps to keys of its own
// under HKEY_LOCAL_MACHINE\Software\Tavrel contract, so one registry may
// serve them all (advapi32 under Wine) or each may get a fresh one (a .reg
// file store).
using RegistryFactory = std::function<std::unique_ptr<RegistryApi>()>;

// The registry layer's promises (QueryValue, SetKeyValue and the typed
// moves below them), case by case over any implementation of RegistryApi.
// Failures are reported as test failures naming the case.
void runRegistryLayerContract(const RegistryFactory& makeRegistry);

// A value as the registry holds it.
struct StoredValue {
    std::uint32_t type = 0;
    std::string data;
    friend bool operator==(const StoredValue&, const StoredValue&) = default;
};

// Creates the key under HKEY_LOCAL_MACHINE and writes the value; returns the write's status.
std::int32_t putRaw(RegistryApi& api, const std::string& key, const std::string& name, const StoredValue& value);

// Reads a value through a size probe and a read; status is the first failure's.
StoredValue getRaw(RegistryApi& api, const std::string& key, const std::string& name, std::int32_t& status);

} // namespace tavrel::test
