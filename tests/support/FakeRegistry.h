#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "registry/RegistryApi.h"

namespace tavrel::test {

// 4 little-endian bytes, as a REG_DWORD holds them.
inline std::string dwordBytes(std::uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

// An in-memory registry under HKEY_LOCAL_MACHINE: keys by path (letter case ignored, as Windows does), values as
// type and bytes. Each call can be made to fail with a chosen status.
class FakeRegistry final : public RegistryApi {
public:
    struct Value { std::uint32_t type = 0; std::string data; bool operator==(const Value&) const = default; };
    friend void PrintTo(const Value& v, std::ostream* o) { *o << v.type << ' ' << testing::PrintToString(v.data); }

    using Text = const std::string&;
    // Puts a value, making its key; a text gets its terminator.
    void putText(Text key, Text name, Text text) { put(key, name, {kRegSz, text + '\0'}); }
    void putDword(Text key, Text name, std::uint32_t value) { put(key, name, {kRegDword, dwordBytes(value)}); }
    void put(Text key, Text name, Value value) { keys_[fold(key)][fold(name)] = std::move(value); }
    // A Creative adapter under display key "000i" with its two clocks.
    void addAdapter(int index, const char* infSection, std::uint32_t mem, std::uint32_t core);
    // A GeForceSDR under "0000" at 166/120 and a TNT2 Ultra under "0002" at 183/143.
    void addTwoAdapters() { addAdapter(0, "GeForceSDR", 166, 120), addAdapter(2, "TNT2ULTRA", 183, 143); }
    // Nothing when the key or the value is missing.
    const Value* find(const std::string& key, const std::string& name) const;

    // A status that RegOpenKeyExA or RegSetValueExA returns instead of working.
    std::int32_t failOpen = 0;
    std::int32_t failSet = 0;
    int setsBeforeFailing = 0; // writes that work before failSet applies
    // Changes the bytes a successful RegSetValueExA stores (a driver or another program overriding the write).
    std::function<void(Value&)> onSet;
    std::string detail; // what lastErrorDetail() says

    std::int32_t RegOpenKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t, std::uint32_t,
                               RegHandle* phkResult) override;
    std::int32_t RegCreateKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t, const char*, std::uint32_t,
                                 std::uint32_t, const void*, RegHandle* phkResult, std::uint32_t*) override;
    std::int32_t RegQueryValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t*, std::uint32_t* lpType,
                                  std::uint8_t* lpData, std::uint32_t* lpcbData) override;
    std::int32_t RegSetValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t, std::uint32_t dwType,
                                const std::uint8_t* lpData, std::uint32_t cbData) override;
    std::int32_t RegCloseKey(RegHandle h) override { return open_.erase(h) ? kStatusSuccess : kStatusInvalidHandle; }
    std::string lastErrorDetail() const override { return detail; }

private:
    using Key = std::map<std::string, Value>; // by folded value name
    Key* keyOf(RegHandle h) { return open_.count(h) ? &keys_[open_[h]] : nullptr; }
    static std::string fold(std::string s);

    std::map<std::string, Key> keys_; // by folded path
    std::map<RegHandle, std::string> open_;
    RegHandle next_ = 1;
};

inline FakeRegistry::Value dword(std::uint32_t n) { return {kRegDword, dwordBytes(n)}; }

} // namespace tavrel::test
