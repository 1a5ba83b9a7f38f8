#include "registry/regdecl.h"

#include <new>
#include <vector>

namespace tavrel {

std::int32_t SetTypedValue(RegistryApi& api, RegHandle hKey, const std::string& valueName, std::uint32_t valueType,
                           const LooseValue& value)
{
    std::int32_t status = kStatusSuccess;
    if (valueType == kRegSz) {
        std::string data = value.toText();
        data.push_back('\0');
        status = api.RegSetValueExA(hKey, valueName.c_str(), 0, kRegSz,
                                    reinterpret_cast<const std::uint8_t*>(data.data()),
                                    static_cast<std::uint32_t>(data.size()));
    } else if (valueType == kRegDword) {
        const auto n = value.toInt32();
        if (!n)
            return kStatusInvalidData; // writing 0 or a wrapped number would corrupt the setting
        const auto u = static_cast<std::uint32_t>(*n);
        const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                                       static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
        status = api.RegSetValueExA(hKey, valueName.c_str(), 0, kRegDword, bytes, 4);
    }
    return status;
}

std::int32_t QueryTypedValue(RegistryApi& api, RegHandle hKey, const std::string& valueName, LooseValue& value)
{
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::int32_t status = api.RegQueryValueExA(hKey, valueName.c_str(), nullptr, &type, nullptr, &size);
    if (status != kStatusSuccess)
        return status;

    if (type == kRegSz) {
        std::vector<char> buffer;
        try {
            // One spare byte so that a 0-byte value still offers a real buffer
            // and is not taken for another size probe.
            buffer.assign(static_cast<std::size_t>(size) + 1, '\0');
        } catch (const std::bad_alloc&) {
            return kStatusNotEnoughMemory;
        }
        status = api.RegQueryValueExA(hKey, valueName.c_str(), nullptr, &type,
                                      reinterpret_cast<std::uint8_t*>(buffer.data()), &size);
        if (status == kStatusSuccess)
            // The terminator is cut by count; a 0-byte value is the empty text.
            value = LooseValue(std::string(buffer.data(), size > 0 ? size - 1 : 0));
        else
            value = LooseValue(std::string());
    } else if (type == kRegDword) {
        std::uint8_t bytes[4] = {0, 0, 0, 0};
        std::uint32_t offered = size < 4 ? size : 4;
        status = api.RegQueryValueExA(hKey, valueName.c_str(), nullptr, &type, bytes, &offered);
        if (status == kStatusSuccess) {
            const std::uint32_t u = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8
                                    | static_cast<std::uint32_t>(bytes[2]) << 16
                                    | static_cast<std::uint32_t>(bytes[3]) << 24;
            value = LooseValue(static_cast<std::int32_t>(u));
        }
    } else {
        status = kStatusUnsupportedType;
    }
    return status;
}

void CreateNewKey(RegistryApi& api, const std::string& sNewKeyName, RegHandle lPredefinedKey)
{
    RegHandle hNewKey = 0;
    std::uint32_t disposition = 0;
    api.RegCreateKeyExA(lPredefinedKey, sNewKeyName.c_str(), 0, nullptr, kRegOptionNonVolatile, kKeyAccessMask,
                        nullptr, &hNewKey, &disposition);
    api.RegCloseKey(hNewKey);
}

std::int32_t SetKeyValue(RegistryApi& registry, const std::string& sKeyName, const std::string& sValueName,
                         const LooseValue& vValueSetting, std::uint32_t lValueType)
{
    RegHandle hKey = 0;
    const std::int32_t openStatus = registry.RegOpenKeyExA(kHKeyLocalMachine, sKeyName.c_str(), 0, kKeyAccessMask,
                                                           &hKey);
    const std::int32_t status = SetTypedValue(registry, hKey, sValueName, lValueType, vValueSetting);
    registry.RegCloseKey(hKey);
    // A write on the 0 handle only says "invalid handle"; the open knows why.
    return openStatus != kStatusSuccess ? openStatus : status;
}

ValueRead QueryValue(RegistryApi& registry, const std::string& sKeyName, const std::string& sValueName)
{
    // A key that cannot be opened leaves the 0 handle, on which the read
    // fails with a status of its own.
    RegHandle hKey = 0;
    registry.RegOpenKeyExA(kHKeyLocalMachine, sKeyName.c_str(), 0, kKeyAccessMask, &hKey);
    ValueRead read;
    read.QueryValueStatus = QueryTypedValue(registry, hKey, sValueName, read.QueryValueResult);
    registry.RegCloseKey(hKey);
    return read;
}

} // namespace tavrel
