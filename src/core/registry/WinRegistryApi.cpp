#include "registry/WinRegistryApi.h"

#include <windows.h>

namespace tavrel {

namespace {

HKEY predefined(RegHandle handle)
{
    switch (handle) {
    case 0x80000000u: return HKEY_CLASSES_ROOT;
    case 0x80000001u: return HKEY_CURRENT_USER;
    case 0x80000002u: return HKEY_LOCAL_MACHINE;
    case 0x80000003u: return HKEY_USERS;
    case 0x80000005u: return HKEY_CURRENT_CONFIG;
    default: return nullptr;
    }
}

std::int32_t status(LSTATUS s) { return static_cast<std::int32_t>(s); }

} // namespace

WinRegistryApi::WinRegistryApi() = default;

WinRegistryApi::~WinRegistryApi()
{
    for (const auto& entry : open_)
        ::RegCloseKey(static_cast<HKEY>(entry.second));
}

bool WinRegistryApi::resolve(RegHandle handle, void*& native) const
{
    if (HKEY root = predefined(handle)) {
        native = root;
        return true;
    }
    const auto it = open_.find(handle);
    if (it == open_.end())
        return false;
    native = it->second;
    return true;
}

RegHandle WinRegistryApi::remember(void* native)
{
    while (next_ == 0 || (next_ & 0x80000000u) || open_.count(next_))
        next_ = (next_ + 1) & 0x7FFFFFFFu;
    const RegHandle h = next_++;
    open_[h] = native;
    return h;
}

std::int32_t WinRegistryApi::RegOpenKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t ulOptions,
                                           std::uint32_t samDesired, RegHandle* phkResult)
{
    if (!phkResult)
        return kStatusInvalidParameter;
    *phkResult = 0;
    void* parent = nullptr;
    if (!resolve(hKey, parent))
        return kStatusInvalidHandle;
    HKEY result = nullptr;
    const LSTATUS s = ::RegOpenKeyExA(static_cast<HKEY>(parent), lpSubKey, ulOptions, samDesired, &result);
    if (s == ERROR_SUCCESS)
        *phkResult = remember(result);
    return status(s);
}

std::int32_t WinRegistryApi::RegCreateKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t Reserved,
                                             const char* lpClass, std::uint32_t dwOptions, std::uint32_t samDesired,
                                             const void* lpSecurityAttributes, RegHandle* phkResult,
                                             std::uint32_t* lpdwDisposition)
{
    if (!phkResult)
        return kStatusInvalidParameter;
    *phkResult = 0;
    void* parent = nullptr;
    if (!resolve(hKey, parent))
        return kStatusInvalidHandle;
    HKEY result = nullptr;
    DWORD disposition = 0;
    const LSTATUS s = ::RegCreateKeyExA(static_cast<HKEY>(parent), lpSubKey, Reserved, const_cast<LPSTR>(lpClass),
                                        dwOptions, samDesired,
                                        static_cast<LPSECURITY_ATTRIBUTES>(const_cast<void*>(lpSecurityAttributes)),
                                        &result, &disposition);
    if (s == ERROR_SUCCESS)
        *phkResult = remember(result);
    if (lpdwDisposition)
        *lpdwDisposition = disposition;
    return status(s);
}

std::int32_t WinRegistryApi::RegQueryValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t* lpReserved,
                                              std::uint32_t* lpType, std::uint8_t* lpData, std::uint32_t* lpcbData)
{
    void* key = nullptr;
    if (!resolve(hKey, key))
        return kStatusInvalidHandle;
    DWORD type = 0;
    DWORD size = lpcbData ? *lpcbData : 0;
    const LSTATUS s = ::RegQueryValueExA(static_cast<HKEY>(key), lpValueName, reinterpret_cast<LPDWORD>(lpReserved),
                                         &type, lpData, lpcbData ? &size : nullptr);
    if (lpType)
        *lpType = type;
    if (lpcbData)
        *lpcbData = size;
    return status(s);
}

std::int32_t WinRegistryApi::RegSetValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t Reserved,
                                            std::uint32_t dwType, const std::uint8_t* lpData, std::uint32_t cbData)
{
    void* key = nullptr;
    if (!resolve(hKey, key))
        return kStatusInvalidHandle;
    return status(::RegSetValueExA(static_cast<HKEY>(key), lpValueName, Reserved, dwType, lpData, cbData));
}

std::int32_t WinRegistryApi::RegCloseKey(RegHandle hKey)
{
    const auto it = open_.find(hKey);
    if (it == open_.end())
        return predefined(hKey) ? kStatusSuccess : kStatusInvalidHandle;
    const LSTATUS s = ::RegCloseKey(static_cast<HKEY>(it->second));
    open_.erase(it);
    return status(s);
}

} // namespace tavrel
