#include "support/FakeRegistry.h"

#include "driver/DriverLayout.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tavrel::test {

namespace {

std::string fold(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

} // namespace

std::string dwordBytes(std::uint32_t value)
{
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

void FakeRegistry::putText(const std::string& key, const std::string& name, const std::string& text)
{
    put(key, name, {kRegSz, text + '\0'});
}

void FakeRegistry::addAdapter(int index, const char* infSection, std::uint32_t mem, std::uint32_t core)
{
    putText(DisplayClassKey(index), kProviderName, kCreativeLabs);
    putText(DisplayClassKey(index), kInfSection, infSection);
    putDword(driverSettingsPath(displayKeyName(index)), kMemClock, mem);
    putDword(driverSettingsPath(displayKeyName(index)), kGrfxClock, core);
}

void FakeRegistry::putDword(const std::string& key, const std::string& name, std::uint32_t value)
{
    put(key, name, {kRegDword, dwordBytes(value)});
}

void FakeRegistry::put(const std::string& key, const std::string& name, Value value)
{
    keys_[fold(key)][fold(name)] = std::move(value);
}

const FakeRegistry::Value* FakeRegistry::find(const std::string& key, const std::string& name) const
{
    const auto k = keys_.find(fold(key));
    if (k == keys_.end())
        return nullptr;
    const auto v = k->second.find(fold(name));
    return v == k->second.end() ? nullptr : &v->second;
}

FakeRegistry::Key* FakeRegistry::keyOf(RegHandle h)
{
    const auto o = open_.find(h);
    return o == open_.end() ? nullptr : &keys_[o->second];
}

std::int32_t FakeRegistry::RegOpenKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t, std::uint32_t,
                                         RegHandle* phkResult)
{
    *phkResult = 0;
    if (failOpen)
        return failOpen;
    if (hKey != kHKeyLocalMachine || !keys_.count(fold(lpSubKey)))
        return kStatusNotFound;
    open_[next_] = fold(lpSubKey);
    *phkResult = next_++;
    return kStatusSuccess;
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
    if (!key)
        return kStatusInvalidHandle;
    const auto v = key->find(fold(lpValueName));
    if (v == key->end())
        return kStatusNotFound;
    const auto size = static_cast<std::uint32_t>(v->second.data.size());
    if (lpType)
        *lpType = v->second.type;
    if (lpData && *lpcbData < size) {
        *lpcbData = size;
        return kStatusMoreData;
    }
    if (lpData)
        std::memcpy(lpData, v->second.data.data(), size);
    *lpcbData = size;
    return kStatusSuccess;
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

std::int32_t FakeRegistry::RegCloseKey(RegHandle hKey)
{
    return open_.erase(hKey) ? kStatusSuccess : kStatusInvalidHandle;
}

} // namespace tavrel::test
