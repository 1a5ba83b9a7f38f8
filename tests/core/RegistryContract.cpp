#include "core/RegistryContract.h"

#include <optional>
#include <vector>

#include "ProgramState.h"
#include "registry/RegFileStore.h"
#include "registry/regdecl.h"
#include "support/FakeRegistry.h"
#include "support/TempDir.h"
#ifdef _WIN32
#include "registry/WinRegistryApi.h"
#include "support/NativeRegistry.h"
#endif

namespace tavrel::test {

namespace {

const std::string kBase = "Software\\Tavrel contract\\";
const LooseValue kBefore("before");

// QueryValue of a value stored as given (none: no such value), or under a
// key that does not exist; the result held kBefore beforehand.
const struct ReadCase {
    const char* name;
    std::optional<StoredValue> stored;
    bool keyMissing;
    std::int32_t status;
    LooseValue result;
} kReads[] = {
    {"missing value keeps the result", std::nullopt, false, kStatusNotFound, kBefore},
    {"missing key reads on the 0 handle", std::nullopt, true, kStatusInvalidHandle, kBefore},
    {"REG_SZ with its terminator", StoredValue{kRegSz, std::string("300\0", 4)}, false, 0, LooseValue("300")},
    {"REG_SZ without terminator loses its last letter", StoredValue{kRegSz, "ab"}, false, 0, LooseValue("a")},
    {"REG_SZ of 0 bytes is the empty text", StoredValue{kRegSz, ""}, false, 0, LooseValue("")},
    {"REG_DWORD", StoredValue{kRegDword, dwordBytes(300)}, false, 0, LooseValue(std::int32_t{300})},
    {"REG_BINARY is not read", StoredValue{kRegBinary, "\x01\x02"}, false, kStatusUnsupportedType, kBefore},
    {"REG_DWORD of 8 bytes does not fit", StoredValue{kRegDword, dwordBytes(300) + dwordBytes(0)}, false,
     kStatusMoreData, kBefore},
};

// SetKeyValue over a value that held 111, or under a key that does not
// exist; what the value holds afterwards (none: still 111).
const struct WriteCase {
    const char* name;
    LooseValue value;
    std::uint32_t type;
    bool keyMissing;
    std::int32_t status;
    std::optional<StoredValue> after;
} kWrites[] = {
    {"a text as REG_DWORD", LooseValue("300"), kRegDword, false, 0, StoredValue{kRegDword, dwordBytes(300)}},
    {"a number as REG_SZ gets a terminator", LooseValue(std::int32_t{120}), kRegSz, false, 0,
     StoredValue{kRegSz, std::string("120\0", 4)}},
    {"REG_BINARY writes nothing", LooseValue(std::int32_t{300}), kRegBinary, false, 0, std::nullopt},
    {"a text that is no number writes no REG_DWORD", LooseValue("fast"), kRegDword, false, kStatusInvalidData,
     std::nullopt},
    {"a missing key gives the open's status", LooseValue(std::int32_t{300}), kRegDword, true, kStatusNotFound,
     std::nullopt},
};

} // namespace

std::int32_t putRaw(RegistryApi& api, const std::string& key, const std::string& name, const StoredValue& value)
{
    RegHandle h = 0;
    std::int32_t status = api.RegCreateKeyExA(kHKeyLocalMachine, key.c_str(), 0, nullptr, kRegOptionNonVolatile,
                                              kKeyAccessMask, nullptr, &h, nullptr);
    // Windows counts a zero byte just past a REG_SZ as its terminator; a
    // byte that is not zero there keeps a value without one as given.
    const std::string bytes = value.data + '\xFF';
    if (status == kStatusSuccess)
        status = api.RegSetValueExA(h, name.c_str(), 0, value.type,
                                    reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                    static_cast<std::uint32_t>(value.data.size()));
    api.RegCloseKey(h);
    return status;
}

StoredValue getRaw(RegistryApi& api, const std::string& key, const std::string& name, std::int32_t& status)
{
    StoredValue v;
    RegHandle h = 0;
    std::uint32_t size = 0;
    status = api.RegOpenKeyExA(kHKeyLocalMachine, key.c_str(), 0, kKeyAccessMask, &h);
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
        RegistryAccess access(*api);
        const std::string key = kBase + "read " + c.name;
        ASSERT_EQ(putRaw(*api, key, "Other", {kRegDword, dwordBytes(1)}), kStatusSuccess);
        if (c.stored) {
            ASSERT_EQ(putRaw(*api, key, "Value", *c.stored), kStatusSuccess);
            std::int32_t status = 0;
            ASSERT_EQ(getRaw(*api, key, "Value", status), *c.stored) << "the registry did not keep the value";
        }
        access.QueryValueResult = kBefore;
        QueryValue(access, c.keyMissing ? key + "\\missing" : key, "Value");
        EXPECT_EQ(access.QueryValueStatus, c.status);
        EXPECT_EQ(access.QueryValueResult, c.result);
    }
    for (const WriteCase& c : kWrites) {
        SCOPED_TRACE(c.name);
        auto api = makeRegistry();
        RegistryAccess access(*api);
        const std::string key = kBase + "write " + c.name;
        const StoredValue old{kRegDword, dwordBytes(111)};
        ASSERT_EQ(putRaw(*api, key, "MemClock", old), kStatusSuccess);
        EXPECT_EQ(SetKeyValue(access, c.keyMissing ? key + "\\missing" : key, "MemClock", c.value, c.type), c.status);
        std::int32_t status = 0;
        EXPECT_EQ(getRaw(*api, key, "MemClock", status), c.after.value_or(old));
        getRaw(*api, key + "\\missing", "MemClock", status);
        EXPECT_EQ(status, kStatusNotFound) << "the write made the key";
    }
}

} // namespace tavrel::test

using namespace tavrel;

TEST(RegistryContract, HoldsOverTheRegFileStore)
{
    test::TempDir dir;
    int files = 0;
    test::runRegistryLayerContract([&]() -> std::unique_ptr<RegistryApi> {
        auto store = std::make_unique<RegFileStore>(dir / ("registry" + std::to_string(files++) + ".reg"));
        EXPECT_TRUE(store->load());
        return store;
    });
}

#ifdef _WIN32
TEST(RegistryContract, HoldsOverAdvapi32)
{
    test::deleteLocalMachineTree("Software\\Tavrel contract");
    test::runRegistryLayerContract([] { return std::make_unique<WinRegistryApi>(); });
    test::deleteLocalMachineTree("Software\\Tavrel contract");
}
#endif
