#pragma once

#include <cstdint>
#include <string>

#include "registry/RegistryApi.h"
#include "values/LooseValue.h"

namespace tavrel {

// What one QueryValue read: the value, the empty text when the read gave
// none, and the read's status.
struct ValueRead {
    LooseValue QueryValueResult = LooseValue(std::string());
    std::int32_t QueryValueStatus = kStatusSuccess;
};

// Moves one value between an open key and a LooseValue. REG_SZ and
// REG_DWORD only; a value that does not convert to the type is not written
// and gives kStatusInvalidData; other types are not written (status 0).
std::int32_t SetTypedValue(RegistryApi& api, RegHandle hKey, const std::string& valueName, std::uint32_t valueType,
                           const LooseValue& value);

// Reads one value: a size probe, then a typed read. REG_SZ gives a text cut
// by the returned count, REG_DWORD a 32-bit integer (at most 4 bytes are
// offered), any other type -1. On failure the output keeps its content,
// except a failed text read, which empties it.
std::int32_t QueryTypedValue(RegistryApi& api, RegHandle hKey, const std::string& valueName, LooseValue& value);

// Creates a key under the given root; reports nothing.
void CreateNewKey(RegistryApi& api, const std::string& sNewKeyName, RegHandle lPredefinedKey);

// Writes one value under HKEY_LOCAL_MACHINE. Returns the status: the open's
// when the key could not be opened, otherwise the write's.
std::int32_t SetKeyValue(RegistryApi& registry, const std::string& sKeyName, const std::string& sValueName,
                         const LooseValue& vValueSetting, std::uint32_t lValueType);

// Reads one value under HKEY_LOCAL_MACHINE.
ValueRead QueryValue(RegistryApi& registry, const std::string& sKeyName, const std::string& sValueName);

} // namespace tavrel
