// The registry layer's promises and the five calls' statuses and handles, as Windows gives them: over the .reg
// store here, advapi32 on Windows (under Wine, a fresh prefix), under HKLM\Software\Tavrel contract.

#include "core/RegistryContract.h"

#include <functional>
#include <numeric>
#include <optional>
#include <tuple>
#include <vector>

#include "registry/regdecl.h"
#include "support/TempDir.h"
#ifdef _WIN32
#include <windows.h>

#include "registry/WinRegistryApi.h"
#else
#include "registry/RegFileStore.h"
#endif

using namespace tavrel;
using namespace tavrel::test;
using namespace std::string_literals;

std::int32_t test::putRaw(RegistryApi& api, const std::string& key, const std::string& name, const StoredValue& value)
{
    RegHandle h = 0;
    std::int32_t status = api.RegCreateKeyExA(kHKeyLocalMachine, key.c_str(), 0, nullptr, kRegOptionNonVolatile,
                                              kKeyAccessMask, nullptr, &h, nullptr);
    // Windows counts a zero byte just past a REG_SZ as its terminator; a byte that is not zero keeps it out.
    const std::string bytes = value.data + '\xFF';
    if (status == kStatusSuccess)
        status = api.RegSetValueExA(h, name.c_str(), 0, value.type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                    static_cast<std::uint32_t>(value.data.size()));
    api.RegCloseKey(h);
    return status;
}

std::pair<std::int32_t, StoredValue> test::get(RegistryApi& api, const std::string& key, const char* name)
{
    StoredValue v;
    RegHandle h = 7;
    std::uint32_t size = 0;
    std::int32_t status = api.RegOpenKeyExA(kHKeyLocalMachine, key.c_str(), 0, kKeyAccessMask, &h);
    EXPECT_EQ(h == 0, status != 0) << key;
    if (status == kStatusSuccess && name)
        status = api.RegQueryValueExA(h, name, nullptr, &v.type, nullptr, &size);
    if (status == kStatusSuccess && name) {
        std::vector<std::uint8_t> buffer(size + 1u);
        status = api.RegQueryValueExA(h, name, nullptr, &v.type, buffer.data(), &size);
        v.data.assign(reinterpret_cast<const char*>(buffer.data()), size);
    }
    api.RegCloseKey(h);
    return {status, v};
}


namespace {

const std::string kBase = "Software\\Tavrel contract";

// The registry under test, with nothing under kBase; open() gives a fresh view of it, as a later run sees it.
struct Registry {
    TempDir dir;
#ifdef _WIN32
    Registry() { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kBase.c_str()); }
    ~Registry() { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kBase.c_str()); }
    std::unique_ptr<RegistryApi> open() const { return std::make_unique<WinRegistryApi>(); }
    std::string missingKeyDetail() const { return {}; } // the status says it all
#else
    std::string missingKeyDetail() const // the file the key is missing from
    { return "The key does not exist in the registry file \"" + (dir / "registry.reg").string() + "\"."; }
    std::unique_ptr<RegistryApi> open() const
    {
        auto store = std::make_unique<RegFileStore>(dir / "registry.reg");
        return store->load() ? std::move(store) : throw std::runtime_error(store->loadError().message());
    }
#endif
};

// What the registry keeps of a value that putRaw writes: on Windows 95/98/ME a REG_SZ runs to its first zero
// byte, whatever size it is given (putRaw's 0xFF past the data included).
StoredValue kept(StoredValue v)
{
#ifdef _WIN32
    if (v.type == kRegSz && (::GetVersion() & 0x80000000u))
        v.data = std::string((v.data + '\xFF').c_str()) + '\0';
#endif
    return v;
}

} // namespace

// QueryValue of a value as stored (none: no value) and SetKeyValue over 111, or under a key that does not exist.
TEST(RegistryContract, QueryValueAndSetKeyValueMoveTextAndDwordOnly)
{
    const LooseValue none{std::string()}; // what a failed read gives
    const struct { const char* name; std::optional<StoredValue> stored; bool keyMissing; std::int32_t status; LooseValue result; } reads[] = {
        {"missing value reads as the empty text", std::nullopt, false, kStatusNotFound, none},
        {"missing key reads on the 0 handle", std::nullopt, true, kStatusInvalidHandle, none},
        {"REG_SZ with its terminator", StoredValue{kRegSz, "300\0"s}, false, 0, LooseValue("300")},
        {"REG_SZ without terminator loses its last letter", StoredValue{kRegSz, "ab"}, false, 0,
         LooseValue(kept({kRegSz, "ab"}).data == "ab" ? "a" : "ab\xFF")},
        {"REG_DWORD", dword(300), false, 0, LooseValue(std::int32_t{300})},
        {"REG_BINARY is not read", StoredValue{kRegBinary, "\x01\x02"}, false, kStatusUnsupportedType, none},
        {"REG_DWORD of 8 bytes does not fit", StoredValue{kRegDword, dwordBytes(3) + dwordBytes(0)}, 0, 234, none},
    };
    const struct { const char* name; LooseValue value; std::uint32_t type; bool keyMissing; std::int32_t status;
                   std::optional<StoredValue> after; } writes[] = { // after: none when it still holds 111
        {"a text as REG_DWORD", LooseValue("300"), kRegDword, false, 0, dword(300)},
        {"a number as REG_SZ gets a terminator", LooseValue(std::int32_t{120}), kRegSz, false, 0, {{kRegSz, "120\0"s}}},
        {"REG_BINARY writes nothing", LooseValue(std::int32_t{300}), kRegBinary, false, 0, std::nullopt},
        {"a text that is no number writes no REG_DWORD", LooseValue("fast"), kRegDword, false, 13, std::nullopt},
        {"a missing key gives the open's status", LooseValue(std::int32_t{300}), kRegDword, true, 2, std::nullopt},
    };
    Registry reg;
    auto api = reg.open();
    for (const auto& c : reads) {
        const std::string key = kBase + "\\read " + c.name;
        ASSERT_EQ(putRaw(*api, key, "Other", dword(1)), 0);
        ASSERT_EQ(c.stored ? putRaw(*api, key, "Value", *c.stored) : 0, 0);
        const ValueRead read = QueryValue(*api, key + (c.keyMissing ? "\\missing" : ""), "Value");
        EXPECT_EQ(std::pair(read.QueryValueStatus, read.QueryValueResult), std::pair(c.status, c.result)) << c.name;
    }
    for (const auto& c : writes) {
        const std::string key = kBase + "\\write " + c.name;
        ASSERT_EQ(putRaw(*api, key, "MemClock", dword(111)), 0);
        EXPECT_EQ(SetKeyValue(*api, key + (c.keyMissing ? "\\missing" : ""), "MemClock", c.value, c.type), c.status);
        EXPECT_EQ(api->lastErrorDetail(), c.keyMissing ? reg.missingKeyDetail() : "") << c.name;
        EXPECT_EQ(get(*reg.open(), key, "MemClock"), std::pair(0, c.after.value_or(dword(111)))) << c.name;
        EXPECT_EQ(get(*api, key + "\\missing", nullptr).first, kStatusNotFound) << "the write made the key";
    }
}

// Every type and size, texts with escapes, line breaks, Windows-1252's upper half: each reads back, and in a later run.
TEST(RegistryContract, EveryValueReadsBackExactlyAsWritten)
{
    std::string hundred(100, '\0');
    std::iota(hundred.begin(), hundred.end(), '\x9C'); // every byte from 0x9C on, round past 0xFF
    const StoredValue values[] = {{kRegSz, "ab"}, {kRegSz, ""}, {kRegSz, "a\0b\0"s}, {kRegSz, "two\r\nlines\0"s},
        {kRegSz, "C:\\\"q\"\0"s}, {kRegSz, "\xE9\x80\xFF\0"s}, dword(7), {kRegDword, dwordBytes(7) + dwordBytes(0)},
        {kRegBinary, ""}, {kRegBinary, hundred}, {kRegExpandSz, "%x%\0"s}, {kRegMultiSz, "a\0b\0\0"s},
        {kRegNone, ""}, {kRegQword, "\x01\0\0\0\0\0\0\0"s}, {0x12345, "\x01"}};
    Registry reg;
    auto writer = reg.open();
    for (std::size_t i = 0; i < std::size(values); ++i)
        ASSERT_EQ(putRaw(*writer, kBase + "\\Values", "V" + std::to_string(i), values[i]), 0);
    auto reader = reg.open();
    for (std::size_t i = 0; i < std::size(values); ++i)
        for (RegistryApi* api : {writer.get(), reader.get()})
            EXPECT_EQ(get(*api, kBase + "\\Values", ("v" + std::to_string(i)).c_str()), std::pair(0, kept(values[i]))) << i;
}

TEST(RegistryContract, StatusesAndHandlesAsWindowsGivesThem)
{
    Registry reg;
    auto api = reg.open();
    RegistryApi& s = *api;
    ASSERT_EQ(putRaw(s, kBase + "\\Status", "ProviderName", {kRegSz, "Creative Labs\0"s}), 0);
    RegHandle h = 0, h2 = 0, other = 0, kept = 0;
    ASSERT_EQ(s.RegOpenKeyExA(kHKeyLocalMachine, kBase.c_str(), 0, 0, &h), 0);
    ASSERT_EQ(s.RegOpenKeyExA(h, "STATUS", 0, kKeyAccessMask, &h2), 0);
    std::uint32_t type = 0, size = 0, zero = 0, disposition = 0;
    std::uint8_t buf[32] = {};
    auto query = [&](RegHandle key, const char* name, std::uint32_t* reserved, std::uint8_t* data, std::uint32_t* n) {
        return [=, &s, &type] { return s.RegQueryValueExA(key, name, reserved, &type, data, n); };
    };
    auto create = [&](const char* path) { // keeps the handle it gives
        return [=, &s, &other, &kept, &disposition] {
            const auto status = s.RegCreateKeyExA(h, path, 0, nullptr, 0, kKeyAccessMask, nullptr, &other, &disposition);
            return kept = status ? kept : other, status;
        };
    };
    // *lpcbData offered and after the call; a failed open or create gives the 0 handle.
    const struct { const char* call; std::uint32_t offered; std::function<std::int32_t()> run; std::int32_t status;
                   std::uint32_t size, disposition = 0; bool zeroHandle = false; } cases[] = {
        {"open a missing key", 0, [&] { return s.RegOpenKeyExA(h, "Missing", 0, 0, &other); }, 2, 0, 0, true},
        {"probe", 0, query(h2, "ProviderName", nullptr, nullptr, &size), 0, 14},
        {"buffer too small", 4, query(h2, "ProviderName", nullptr, buf, &size), kStatusMoreData, 14},
        {"read", 32, query(h2, "providername", nullptr, buf, &size), 0, 14},
        {"missing value", 32, query(h2, "Missing", nullptr, buf, &size), 2, 32},
        {"reserved set", 0, query(h2, "ProviderName", &zero, nullptr, &size), 87, 0},
        {"data without its size", 0, query(h2, "ProviderName", nullptr, buf, nullptr), 87, 0},
        {"set on 0", 0, [&] { return s.RegSetValueExA(0, "v", 0, kRegDword, buf, 4); }, 6, 0},
        {"open on an unknown handle", 0, [&] { return s.RegOpenKeyExA(12345, "x", 0, 0, &other); }, 6, 0, 0, true},
        {"create an existing key", 0, create("status"), 0, 0, 2},
        {"create a key and its parent", 0, create("New\\Deeper"), 0, 0, 1},
        {"one trailing backslash names the key", 0, create("Kept\\"), 0, 0, 1},
        {"close the last handle opened", 0, [&] { return s.RegCloseKey(kept); }, 0, 0},
        {"close 0", 0, [&] { return s.RegCloseKey(0); }, 6, 0},
        {"close", 0, [&] { return s.RegCloseKey(h2); }, 0, 0},
        {"close again", 0, [&] { return s.RegCloseKey(h2); }, 6, 0},
        {"query a closed handle", 0, query(h2, "ProviderName", nullptr, nullptr, &size), 6, 0},
#ifndef _WIN32 // the store's own answers: advapi32 gives 998, and makes and opens such paths
        {"set without data", 0, [&] { return s.RegSetValueExA(h, "v", 0, kRegDword, nullptr, 4); }, 87, 0},
        // Found by fuzz_reg_file: such keys were made, and written under, but could never be opened again.
        {"create a path ending in an empty name", 0, create("Lost\\\\"), 87, 0, 0, true},
        {"create a key whose name holds a line break", 0, create("Lost\nkey"), 87, 0, 0, true},
        {"set a value whose name holds a line break", 0, [&] { return s.RegSetValueExA(h, "a\rb", 0, 4, buf, 4); }, 87, 0},
        {"open a path ending in an empty name", 0, [&] { return s.RegOpenKeyExA(h, "New\\\\", 0, 0, &other); }, 87, 0, 0, true},
#endif
    };
    for (const auto& c : cases) {
        size = c.offered;
        other = 77;
        disposition = 0;
        EXPECT_EQ(c.run(), c.status) << c.call;
        EXPECT_EQ(std::tuple(size, disposition, other == 0), std::tuple(c.size, c.disposition, c.zeroHandle)) << c.call;
    }
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 14), "Creative Labs\0"s);
    auto later = reg.open();
    for (const auto& [key, status] : {std::pair("New\\Deeper", 0), {"Kept", 0}, {"Lost", kStatusNotFound}})
        EXPECT_EQ(get(*later, kBase + "\\" + key, nullptr).first, status) << key;
}
