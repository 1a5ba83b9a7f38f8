// The load sequence's detection and the apply step's writes, end to end over
// the registry the platform has: advapi32 on Windows (run under Wine in a
// fresh prefix), the .reg store elsewhere. The display keys are made with
// RegCreateKeyExA and RegSetValueExA as a driver installer would; the cases
// of detection itself are in DetectionTest.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "driver/Detection.h"
#include "driver/DriverLayout.h"
#include "core/RegistryContract.h"
#include "registry/regdecl.h"
#include "support/TestRegistry.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

StoredValue text(const std::string& s)
{
    return { kRegSz, s + '\0' };
}

StoredValue dword(std::uint32_t n)
{
    return { kRegDword,
        { static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24) } };
}

// Display key ("0000" or "0000\\DEFAULT"), value name, value.
using Values = std::vector<std::tuple<std::string, std::string, StoredValue>>;

Values creativeKey(const std::string& key, const std::string& infSection, Values more = {})
{
    more.insert(more.begin(),
        { { key, kProviderName, text(kCreativeLabs) }, { key, kInfSection, text(infSection) },
            { key, kDriverDesc, text("Creative 3D Blaster " + infSection) },
            { key, kDriverDate, text("2-14-2000") } });
    return more;
}

} // namespace

TEST(DetectionEndToEnd, ReadsTheDriverKeysAndWritesTheClocksAsDwords)
{
    const struct {
        const char* name;
        Values values;
        ScanOutcome outcome;
        std::string adapterKey, infSection, memText, coreText; // the last two: what the controls show
        double memApplied, coreApplied;
        std::uint32_t memStored, coreStored;
    } cases[] = {
        { "one DDR card, clocks as numbers",
            creativeKey("0000", kGeForceDDR,
                { { "0000\\DEFAULT", kMemClock, dword(300) }, { "0000\\DEFAULT", kGrfxClock, dword(120) } }),
            ScanOutcome::OneAdapter, "0000", kGeForceDDR, "300", "120", 250, 135.5, 250, 136 },
        { "SDR and TNT2, clocks as text",
            creativeKey("0000", kGeForceSDR,
                creativeKey("0002", kTNT2Ultra,
                    { { "0000\\DEFAULT", kMemClock, dword(166) }, { "0002\\DEFAULT", kMemClock, text("183") },
                        { "0002\\DEFAULT", kGrfxClock, text("143") } })),
            ScanOutcome::SeveralAdapters, "0002", kTNT2Ultra, "183", "143", 190, 150, 190, 150 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " over " + TestRegistry::backendName());
        TestRegistry registry({ DriverSettingsRoot.substr(0, DriverSettingsRoot.size() - 1) });
        for (const auto& [key, name, value] : c.values)
            ASSERT_EQ(putRaw(registry.api(), DriverSettingsRoot + key, name, value), kStatusSuccess) << key << name;

        DriverState state(registry.api());
        ASSERT_EQ(ScanDisplayKeys(state), c.outcome);
        ASSERT_EQ(state.AdapterKey, c.adapterKey);
        EXPECT_EQ(ShowDriverInfo(state),
            "Manufacturer : Creative Labs\r\nDriver             : Creative 3D Blaster " + c.infSection
                + "\r\nCard type       : " + c.infSection + "\r\nDriver date     : 2-14-2000\r\n");
        const CurrentClocks clocks = ReadCurrentClocks(state);
        EXPECT_EQ(clocks.memory.text, c.memText);
        EXPECT_EQ(clocks.core.text, c.coreText);

        // The apply step: MemClock, then GrfxClock; a later run finds 4-byte REG_DWORDs.
        const std::string settings = driverSettingsPath(state.AdapterKey);
        EXPECT_EQ(SetKeyValue(state, settings, kMemClock, LooseValue(c.memApplied), kRegDword), kStatusSuccess);
        EXPECT_EQ(SetKeyValue(state, settings, kGrfxClock, LooseValue(c.coreApplied), kRegDword), kStatusSuccess);
        auto later = registry.reopen();
        std::int32_t status = 0;
        EXPECT_EQ(getRaw(*later, settings, kMemClock, status), dword(c.memStored));
        EXPECT_EQ(getRaw(*later, settings, kGrfxClock, status), dword(c.coreStored));
        if (c.adapterKey == "0002") { // the other adapter's settings stay as they were
            EXPECT_EQ(getRaw(*later, driverSettingsPath("0000"), kMemClock, status), dword(166));
        }
    }
}
