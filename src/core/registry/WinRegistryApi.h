#pragma once

#include <map>

#include "registry/RegistryApi.h"

namespace tavrel {

// The real registry, through advapi32. Windows hands out pointer-sized key
// handles; the layer works with 32-bit ones, so open keys are numbered here.
class WinRegistryApi final : public RegistryApi {
public:
    WinRegistryApi();
    ~WinRegistryApi() override;

    std::int32_t RegOpenKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t ulOptions,
                               std::uint32_t samDesired, RegHandle* phkResult) override;
    std::int32_t RegCreateKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t Reserved, const char* lpClass,
                                 std::uint32_t dwOptions, std::uint32_t samDesired, const void* lpSecurityAttributes,
                                 RegHandle* phkResult, std::uint32_t* lpdwDisposition) override;
    std::int32_t RegQueryValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t* lpReserved,
                                  std::uint32_t* lpType, std::uint8_t* lpData, std::uint32_t* lpcbData) override;
    std::int32_t RegSetValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t Reserved, std::uint32_t dwType,
                                const std::uint8_t* lpData, std::uint32_t cbData) override;
    std::int32_t RegCloseKey(RegHandle hKey) override;

private:
    // Returns false for 0 and for handles this object never gave out.
    bool resolve(RegHandle handle, void*& native) const;
    RegHandle remember(void* native);

    std::map<RegHandle, void*> open_;
    RegHandle next_ = 1;
};

} // namespace tavrel
