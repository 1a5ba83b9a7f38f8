#include "core/RegistryContract.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "ProgramState.h"
#include "registry/regdecl.h"

namespace tavrel::test {

namespace {

const std::string kBase = "Software\\Tavrel contract\\";

std::string le32(std::uint32_t n)
{
    return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
}

// A read through QueryValue of a value stored as given (or of none, or
// under a key that does not exist); the result held "before" beforehand.
struct ReadCase {
    const char* name;
    std::optional<StoredValue> stored;
    bool keyMissing;
    std::int32_t status;
    LooseValue result;
};

const LooseValue kBefore("before");

const ReadCase kReads[] = {
    {"missing value keeps the result", std::nullopt, false, kStatusNotFound, kBefore},
    {"missing key reads on the 0 handle", std::nullopt, true, kStatusInvalidHandle, kBefore},
    {"REG_SZ with its terminator", StoredValue{kRegSz, std::string("300\0", 4)}, false, kStatusSuccess,
     LooseValue("300")},
    {"REG_SZ without terminator loses its last letter", StoredValue{kRegSz, "ab"}, false, kStatusSuccess,
     LooseValue("a")},
    {"REG_SZ of 0 bytes is the empty text", StoredValue{kRegSz, ""}, false, kStatusSuccess, LooseValue("")},
    {"REG_DWORD", StoredValue{kRegDword, le32(300)}, false, kStatusSuccess, LooseValue(std::int32_t{300})},
    {"REG_BINARY is not read", StoredValue{kRegBinary, "\x01\x02"}, false, kStatusUnsupportedType, kBefore},
    {"REG_DWORD of 8 bytes does not fit", StoredValue{kRegDword, le32(300) + le32(0)}, false, kStatusMoreData,
     kBefore},
};

// A write through SetKeyValue over a value that held 111 (or under a key
// that does not exist); what the value holds afterwards.
struct WriteCase {
    const char* name;
    LooseValue value;
    std::uint32_t type;
    bool keyMissing;
    std::int32_t status;
    std::optional<StoredValue> after; // none: still 111
};

const WriteCase kWrites[] = {
    {"300.5 as REG_DWORD rounds to even", LooseValue(300.5), kRegDword, false, kStatusSuccess,
     StoredValue{kRegDword, le32(300)}},
    {"301.5 as REG_DWORD rounds to even", LooseValue(301.5), kRegDword, false, kStatusSuccess,
     StoredValue{kRegDword, le32(302)}},
    {"120 as REG_SZ is three digits and a terminator", LooseValue(std::int32_t{120}), kRegSz, false, kStatusSuccess,
     StoredValue{kRegSz, std::string("120\0", 4)}},
    {"REG_BINARY writes nothing", LooseValue(std::int32_t{300}), kRegBinary, false, kStatusSuccess, std::nullopt},
    {"a text that is no number writes no REG_DWORD", LooseValue("fast"), kRegDword, false, kStatusInvalidData,
     std::nullopt},
    {"a missing key gives the open's status", LooseValue(std::int32_t{300}), kRegDword, true, kStatusNotFound,
     std::nullopt},
};

} // namespace

std::int32_t putRaw(RegistryApi& api, const std::string& key, const std::string& name, const StoredValue& value)
{
    RegHandle h = 0;
    std::uint32_t disposition = 0;
    std::int32_t status = api.RegCreateKeyExA(kHKeyLocalMachine, key.c_str(), 0, nullptr, kRegOptionNonVolatile,
                                              kKeyAccessMask, nullptr, &h, &disposition);
    // Windows counts a zero byte just past a REG_SZ as its terminator; a
    // byte that is not zero there keeps a value without one as given.
    const std::string bytes = value.data + '\xFF';
    if (status == kStatusSuccess)
        status =
            api.RegSetValueExA(h, name.c_str(), 0, value.type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                               static_cast<std::uint32_t>(value.data.size()));
    api.RegCloseKey(h);
    return status;
}

StoredValue getRaw(RegistryApi& api, const std::string& key, const std::string& name, std::int32_t& status)
{
    StoredValue v;
    RegHandle h = 0;
    status = api.RegOpenKeyExA(kHKeyLocalMachine, key.c_str(), 0, kKeyAccessMask, &h);
    std::uint32_t size = 0;
    if (status == kStatusSuccess)
        status = api.RegQueryValueExA(h, name.c_str(), nullptr, &v.type, nullptr, &size);
    if (status == kStatusSuccess) {
        std::vector<std::uint8_t> buffer(size + 1u);
        status = api.RegQueryValueExA(h, name.c_str(), nullptr, &v.type, buffer.data(), &size);
        v.data.assign(reinterpret_cast<const char*>(buffer.data()), size);
    }
    api.RegCloseKey(h);
    return v;
}

void runRegistryLayerContract(const RegistryFactory& makeRegistry)
{
    for (const ReadCase& c : kReads) {
        SCOPED_TRACE(c.name);
        auto api = makeRegistry();
        ProgramState state(*api, PresetFile({}));
        const std::string key = kBase + "read " + c.name;
        ASSERT_EQ(putRaw(*api, key, "Other", {kRegDword, le32(1)}), kStatusSuccess);
        if (c.stored) {
            ASSERT_EQ(putRaw(*api, key, "Value", *c.stored), kStatusSuccess);
            std::int32_t status = 0;
            ASSERT_EQ(getRaw(*api, key, "Value", status), *c.stored)
                << "the registry did not keep the value as written";
        }
        state.QueryValueResult = kBefore;
        QueryValue(state, c.keyMissing ? key + "\\missing" : key, "Value");
        EXPECT_EQ(state.QueryValueStatus, c.status);
        EXPECT_EQ(state.QueryValueResult, c.result);
    }
    for (const WriteCase& c : kWrites) {
        SCOPED_TRACE(c.name);
        auto api = makeRegistry();
        ProgramState state(*api, PresetFile({}));
        const std::string key = kBase + "write " + c.name;
        const StoredValue old{kRegDword, le32(111)};
        ASSERT_EQ(putRaw(*api, key, "MemClock", old), kStatusSuccess);
        EXPECT_EQ(SetKeyValue(state, c.keyMissing ? key + "\\missing" : key, "MemClock", c.value, c.type), c.status);
        std::int32_t status = 0;
        EXPECT_EQ(getRaw(*api, key, "MemClock", status), c.after.value_or(old));
        EXPECT_EQ(status, kStatusSuccess);
        if (c.keyMissing) {
            getRaw(*api, key + "\\missing", "MemClock", status);
            EXPECT_EQ(status, kStatusNotFound) << "the write made the key";
        }
    }
}

} // namespace tavrel::test
