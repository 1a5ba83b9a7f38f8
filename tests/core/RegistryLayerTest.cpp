// The registry layer's contract over the .reg file store (the same cases run
// against advapi32 under Wine).

#include <gtest/gtest.h>

#include "ProgramState.h"
#include "core/RegistryContract.h"
#include "registry/RegFileStore.h"
#include "registry/regdecl.h"
#include "support/TempDir.h"

using namespace tavrel;

TEST(RegistryLayer, ContractHoldsOverTheRegFileStore)
{
    test::TempDir dir;
    int files = 0;
    test::runRegistryLayerContract([&]() -> std::unique_ptr<RegistryApi> {
        auto store = std::make_unique<RegFileStore>(dir / ("registry" + std::to_string(files++) + ".reg"));
        EXPECT_TRUE(store->load());
        return store;
    });
    EXPECT_GT(files, 10);
}

// What the layer reads from a file exactly as regedit writes it.
TEST(RegistryLayer, ReadsTheDisplayKeysOfTheSample)
{
    RegFileStore store(test::samplePath("one-adapter.reg"));
    ASSERT_TRUE(store.load()) << store.loadError().message();
    RegistryAccess state(store);
    const std::string adapter = "System\\CurrentControlSet\\Services\\Class\\Display\\0000";
    const struct {
        std::string key;
        const char* name;
        LooseValue value;
    } cases[] = {
        {adapter, "ProviderName", LooseValue("Creative Labs")},
        {adapter, "InfSection", LooseValue("GeForceDDR")},
        {adapter, "DriverDesc", LooseValue("Creative Labs 3D Blaster Annihilator Pro")},
        {adapter, "DriverDate", LooseValue("2-14-2000")},
        {adapter + "\\DEFAULT", "MemClock", LooseValue(std::int32_t{300})},
        {adapter + "\\DEFAULT", "GrfxClock", LooseValue(std::int32_t{120})},
    };
    for (const auto& c : cases) {
        QueryValue(state, c.key, c.name);
        EXPECT_EQ(state.QueryValueStatus, kStatusSuccess) << c.name;
        EXPECT_EQ(state.QueryValueResult, c.value) << c.name;
    }
}
