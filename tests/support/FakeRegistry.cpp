#include "support/FakeRegistry.h"

#include "driver/DriverLayout.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tavrel::test {

std::string FakeRegistry::fold(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

void FakeRegistry::addAdapter(int index, const char* infSection, std::uint32_t mem, std::uint32_t core)
{
    putText(DisplayClassKey(index), kProviderName, kCreativeLabs);
    putText(DisplayClassKey(index), kInfSection, infSection);
    putDword(driverSettingsPath(displayKeyName(index)), kMemClock, mem);
    putDword(driverSettingsPath(displayKeyName(index)), kGrfxClock, core);
}

const FakeRegistry::Value* FakeRegistry::find(const std::string& key, const std::string& name) const
{
    if (const auto k = keys_.find(fold(key)); k != keys_.end())
        if (const auto v = k->second.find(fold(name)); v != k->second.end())
            return &v->second;
    return nullptr;
}

std::int32_t FakeRegistry::RegOpenKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t, std::uint32_t,
                                         RegHandle* phkResult)
{
    const bool found = !failOpen && hKey == kHKeyLocalMachine && keys_.count(fold(lpSubKey));
    *phkResult = found ? (open_[next_] = fold(lpSubKey), next_++) : 0;
    return found ? kStatusSuccess : failOpen ? failOpen : kStatusNotFound;
}

std::int32_t FakeRegistry::RegCreateKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t, const char*,
                                           std::uint32_t, std::uint32_t, const void*, RegHandle* phkResult,
                                           std::uint32_t*)
{
    if (hKey != kHKeyLocalMachine)
        return kStatusInvalidHandle;
    keys_[fold(lpSubKey)];
    return RegOpenKeyExA(hKey, lpSubKey, 0, 0, phkResult);
}

std::int32_t FakeRegistry::RegQueryValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t*,
                                            std::uint32_t* lpType, std::uint8_t* lpData, std::uint32_t* lpcbData)
{
    Key* key = keyOf(hKey);
    const auto v = key ? key->find(fold(lpValueName)) : Key::iterator();
    if (!key || v == key->end())
        return key ? kStatusNotFound : kStatusInvalidHandle;
    const auto size = static_cast<std::uint32_t>(v->second.data.size());
    const bool fits = !lpData || *lpcbData >= size;
    if (lpType)
        *lpType = v->second.type;
    if (lpData && fits)
        std::memcpy(lpData, v->second.data.data(), size);
    *lpcbData = size;
    return fits ? kStatusSuccess : kStatusMoreData;
}

std::int32_t FakeRegistry::RegSetValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t, std::uint32_t dwType,
                                          const std::uint8_t* lpData, std::uint32_t cbData)
{
    Key* key = keyOf(hKey);
    if (!key)
        return kStatusInvalidHandle;
    if (failSet && setsBeforeFailing-- <= 0)
        return failSet;
    Value value{dwType, std::string(reinterpret_cast<const char*>(lpData), cbData)};
    if (onSet)
        onSet(value);
    (*key)[fold(lpValueName)] = std::move(value);
    return kStatusSuccess;
}

} // namespace tavrel::test
