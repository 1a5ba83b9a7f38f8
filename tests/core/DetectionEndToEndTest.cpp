// The load sequence's detection and the apply step's writes, end to end over
// the registry the platform has: advapi32 on Windows (run under Wine in a
// fresh prefix), the .reg store elsewhere. The display keys are made with
// RegCreateKeyExA and RegSetValueExA as a driver installer would.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "adapter/Detection.h"
#include "adapter/DriverLayout.h"
#include "registry/regdecl.h"
#include "support/TestRegistry.h"

using namespace tavrel;
using tavrel::test::TestRegistry;

namespace {

struct Value {
    std::string key; // "0000" or "0000\\DEFAULT"
    std::string name;
    std::uint32_t type;
    std::string data;
};

Value text(std::string key, std::string name, const std::string& s)
{
    return {std::move(key), std::move(name), kRegSz, s + '\0'};
}

Value number(std::string key, std::string name, std::uint32_t n)
{
    return {
        std::move(key),
        std::move(name),
        kRegDword,
        {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)}};
}

std::vector<Value> creativeKey(const std::string& key, const std::string& infSection)
{
    return {text(key, kProviderName, kCreativeLabs), text(key, kInfSection, infSection),
            text(key, kDriverDesc, "Creative 3D Blaster " + infSection), text(key, kDriverDate, "2-14-2000")};
}

std::string info(const std::string& infSection)
{
    return "Manufacturer : Creative Labs\r\nDriver             : Creative 3D Blaster " + infSection
        + "\r\nCard type       : " + infSection + "\r\nDriver date     : 2-14-2000\r\n";
}

void create(RegistryApi& api, const std::string& key, const std::vector<Value>& values)
{
    RegHandle h = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(api.RegCreateKeyExA(kHKeyLocalMachine, (DriverSettingsRoot + key).c_str(), 0, nullptr,
                                  kRegOptionNonVolatile, kKeyAccessMask, nullptr, &h, &disposition),
              kStatusSuccess)
        << key;
    for (const auto& v : values) {
        if (v.key != key)
            continue;
        ASSERT_EQ(api.RegSetValueExA(h, v.name.c_str(), 0, v.type,
                                     reinterpret_cast<const std::uint8_t*>(v.data.data()),
                                     static_cast<std::uint32_t>(v.data.size())),
                  kStatusSuccess)
            << key << " " << v.name;
    }
    EXPECT_EQ(api.RegCloseKey(h), kStatusSuccess);
}

} // namespace

TEST(DetectionEndToEnd, ReadsTheDriverKeysAndWritesTheClocksAsDwords)
{
    struct Case {
        const char* name;
        std::vector<std::string> keys; // made in this order, even without values
        std::vector<Value> values;
        ScanOutcome outcome;
        std::string adapterKey;
        std::string info;
        std::string memText, coreText; // what the controls show
        double memApplied, coreApplied;
        std::uint32_t memStored, coreStored;
    };
    auto join = [](std::vector<Value> a, const std::vector<Value>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    // clang-format off
    const Case cases[] = {
        {"one DDR card, clocks as numbers", {"0000", "0000\\DEFAULT"},
         join(creativeKey("0000", kGeForceDDR),
              {number("0000\\DEFAULT", kMemClock, 300), number("0000\\DEFAULT", kGrfxClock, 120)}),
         ScanOutcome::OneAdapter, "0000", info(kGeForceDDR), "300", "120", 250, 135.5, 250, 136},
        {"SDR and TNT2, clocks as text", {"0000", "0000\\DEFAULT", "0002", "0002\\DEFAULT"},
         join(join(creativeKey("0000", kGeForceSDR), creativeKey("0002", kTNT2Ultra)),
              {number("0000\\DEFAULT", kMemClock, 166), text("0002\\DEFAULT", kMemClock, "183"),
               text("0002\\DEFAULT", kGrfxClock, "143")}),
         ScanOutcome::SeveralAdapters, "0002", info(kTNT2Ultra), "183", "143", 190, 150, 190, 150},
        // The memory default looks at key 0000's InfSection alone, whoever made it.
        {"DDR under 0001, clocks missing", {"0000", "0001", "0001\\DEFAULT"},
         join({text("0000", kProviderName, "Other Vendor"), text("0000", kInfSection, kGeForceDDR)},
              creativeKey("0001", kGeForceDDR)),
         ScanOutcome::OneAdapter, "0001", info(kGeForceDDR), "300", "120", 301.5, 120, 302, 120},
    };
    // clang-format on

    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " over " + TestRegistry::backendName());
        TestRegistry registry({DriverSettingsRoot.substr(0, DriverSettingsRoot.size() - 1)});
        for (const auto& key : c.keys)
            create(registry.api(), key, c.values);

        ProgramState state(registry.api(), {});
        ASSERT_EQ(ScanDisplayKeys(state), c.outcome);
        ASSERT_EQ(state.AdapterKey, c.adapterKey);
        EXPECT_EQ(ShowDriverInfo(state), c.info);
        const CurrentClocks clocks = ReadCurrentClocks(state);
        EXPECT_EQ(clocks.memory.text, c.memText);
        EXPECT_EQ(clocks.core.text, c.coreText);

        // The apply step: MemClock, then GrfxClock, as REG_DWORD.
        const std::string settings = driverSettingsPath(state.AdapterKey);
        EXPECT_EQ(SetKeyValue(state, settings, kMemClock, LooseValue(c.memApplied), kRegDword), kStatusSuccess);
        EXPECT_EQ(SetKeyValue(state, settings, kGrfxClock, LooseValue(c.coreApplied), kRegDword), kStatusSuccess);

        // What a later run finds: the numbers, stored as 4-byte REG_DWORDs.
        auto later = registry.reopen();
        ProgramState next(*later, {});
        for (const auto& [name, stored] : {std::pair{kMemClock, c.memStored}, std::pair{kGrfxClock, c.coreStored}}) {
            RegHandle h = 0;
            ASSERT_EQ(later->RegOpenKeyExA(kHKeyLocalMachine, settings.c_str(), 0, kKeyAccessMask, &h),
                      kStatusSuccess);
            std::uint32_t type = 0, size = 0;
            EXPECT_EQ(later->RegQueryValueExA(h, name.c_str(), nullptr, &type, nullptr, &size), kStatusSuccess);
            EXPECT_EQ(type, kRegDword) << name;
            EXPECT_EQ(size, 4u) << name;
            later->RegCloseKey(h);
            QueryValue(next, settings, name);
            EXPECT_EQ(next.QueryValueStatus, kStatusSuccess) << name;
            EXPECT_EQ(next.QueryValueResult, LooseValue(static_cast<std::int32_t>(stored))) << name;
        }
        // The other adapter's settings stay as they were.
        if (c.adapterKey == "0002") {
            QueryValue(next, driverSettingsPath("0000"), kMemClock);
            EXPECT_EQ(next.QueryValueResult, LooseValue(std::int32_t{166}));
        }
    }
}

TEST(DetectionEndToEnd, NearMissesReadAsStoredAndAreNotRecognised)
{
    SCOPED_TRACE(TestRegistry::backendName());
    TestRegistry registry({DriverSettingsRoot.substr(0, DriverSettingsRoot.size() - 1)});
    const std::vector<Value> values
        = {text("0000", kProviderName, "Creative Labs "), text("0000", kInfSection, kGeForceDDR),
           text("0003", kProviderName, kCreativeLabs), text("0003", kInfSection, "GeForce")};
    create(registry.api(), "0000", values);
    create(registry.api(), "0003", values);
    ProgramState state(registry.api(), {});
    EXPECT_EQ(ScanDisplayKeys(state), ScanOutcome::NoAdapter);
    EXPECT_EQ(state.AdapterCount, 0);
    EXPECT_EQ(state.AdapterKey, "");
    EXPECT_EQ(state.ProviderNames[0], LooseValue(std::string("Creative Labs ")));
    EXPECT_EQ(state.InfSections[3], LooseValue(std::string("GeForce")));
}
