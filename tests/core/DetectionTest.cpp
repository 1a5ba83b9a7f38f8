#include <gtest/gtest.h>

#include "adapter/Detection.h"
#include "adapter/DriverLayout.h"
#include "support/RegistryFixture.h"

using namespace tavrel;
using tavrel::test::displayKey;
using tavrel::test::RegistryFixture;
using tavrel::test::regedit4;

namespace {

const char* const kCL = "Creative Labs";

std::string defaultKey(int index, std::string_view lines)
{
    return "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\000" + std::to_string(index)
           + "\\DEFAULT]\n" + std::string(lines) + "\n";
}

} // namespace

TEST(Detection, ScanRecognisesExactlyTheCreativeCards)
{
    struct Case {
        const char* name;
        std::string body;
        ScanOutcome outcome;
        const char* adapterKey;
        std::array<const char*, 5> cardTypes;
    } cases[] = {
        {"one DDR", displayKey(0, kCL, "GeForceDDR"), ScanOutcome::OneAdapter, "0000", {"GeForce", "", "", "", ""}},
        {"SDR and TNT2", displayKey(0, kCL, "GeForceSDR") + displayKey(2, kCL, "TNT2ULTRA"),
         ScanOutcome::SeveralAdapters, "0002", {"GeForce", "", "TNT2ULTRA", "", ""}},
        {"unknown chip", displayKey(1, kCL, "Riva128"), ScanOutcome::NoAdapter, "", {"", "", "", "", ""}},
        {"no keys", "", ScanOutcome::NoAdapter, "", {"", "", "", "", ""}},
        {"near misses",
         displayKey(0, "creative labs", "GeForceDDR") + displayKey(1, "Creative Labs ", "TNT2ULTRA")
             + displayKey(2, kCL, "GeForce") + displayKey(3, kCL, "geforceddr") + displayKey(4, kCL, "TNT2 ULTRA"),
         ScanOutcome::NoAdapter, "", {"", "", "", "", ""}},
        {"beyond 0004", displayKey(5, kCL, "GeForceDDR"), ScanOutcome::NoAdapter, "", {"", "", "", "", ""}},
        {"provider missing", displayKey(0, nullptr, "GeForceDDR"), ScanOutcome::NoAdapter, "", {"", "", "", "", ""}},
        {"provider stored as a number",
         "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\0000]\n"
         "\"ProviderName\"=dword:00000001\n\"InfSection\"=\"GeForceDDR\"\n\n" + displayKey(3, kCL, "TNT2ULTRA"),
         ScanOutcome::OneAdapter, "0003", {"", "", "", "TNT2ULTRA", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryFixture f(regedit4(c.body));
        EXPECT_EQ(ScanDisplayKeys(*f.state), c.outcome);
        EXPECT_EQ(f.state->AdapterKey, c.adapterKey);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(f.state->CardTypes[i], c.cardTypes[i]) << i;
        int recognised = 0;
        for (const char* t : c.cardTypes)
            recognised += *t != '\0';
        EXPECT_EQ(f.state->AdapterCount, recognised);
    }
}

TEST(Detection, InfoLinesEndInCrLfAndShowValuesAsStored)
{
    struct Case {
        const char* name;
        std::string extra;
        std::string expected;
    } cases[] = {
        {"all four", "\"DriverDesc\"=\"3D Blaster \"\n\"DriverDate\"=\"2-14-2000\"\n",
         "Manufacturer : Creative Labs\r\nDriver             : 3D Blaster \r\n"
         "Card type       : GeForceDDR\r\nDriver date     : 2-14-2000\r\n"},
        {"date missing", "\"DriverDesc\"=\"X\"\n",
         "Manufacturer : Creative Labs\r\nDriver             : X\r\n"
         "Card type       : GeForceDDR\r\nDriver date     : \r\n"},
        {"date stored as a number", "\"DriverDesc\"=hex(3):41\n\"DriverDate\"=dword:0000002a\n",
         "Manufacturer : Creative Labs\r\nDriver             : \r\n"
         "Card type       : GeForceDDR\r\nDriver date     : 42\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryFixture f(regedit4(displayKey(0, kCL, "GeForceDDR", c.extra)));
        ScanDisplayKeys(*f.state);
        EXPECT_EQ(ShowDriverInfo(*f.state), c.expected);
    }
}

TEST(Detection, CurrentClocksAndTheirDefaults)
{
    struct Case {
        const char* name;
        std::string body;
        std::string coreText;
        std::optional<std::int32_t> coreSlider;
        std::int32_t startCore;
        std::string memText;
        std::optional<std::int32_t> memSlider;
        LooseValue startMem;
    } cases[] = {
        {"both stored", displayKey(0, kCL, "GeForceDDR") + defaultKey(0, "\"MemClock\"=dword:000001c2\n\"GrfxClock\"=dword:00000087"),
         "135", 135, 135, "450", 450, LooseValue(std::int32_t{450})},
        {"stored as text", displayKey(0, kCL, "GeForceDDR") + defaultKey(0, "\"MemClock\"=\"0450\"\n\"GrfxClock\"=\"135\""),
         "135", 135, 135, "0450", 450, LooseValue("0450")},
        {"missing, DDR under 0000", displayKey(0, kCL, "GeForceDDR") + defaultKey(0, ""),
         "120", 120, 120, "300", 300, LooseValue(std::int32_t{300})},
        {"missing, DDR under 0001 only", displayKey(0, "Other", "Other") + displayKey(1, kCL, "GeForceDDR") + defaultKey(1, ""),
         "120", 120, 120, "150", 150, LooseValue(std::int32_t{150})},
        {"no DEFAULT key", displayKey(0, kCL, "TNT2ULTRA"), "120", 120, 120, "150", 150, LooseValue(std::int32_t{150})},
        {"binary values", displayKey(0, kCL, "GeForceDDR") + defaultKey(0, "\"MemClock\"=hex:2c,01\n\"GrfxClock\"=hex:78"),
         "120", 120, 120, "300", 300, LooseValue(std::int32_t{300})},
        {"not a number", displayKey(0, kCL, "GeForceDDR") + defaultKey(0, "\"MemClock\"=\"fast\"\n\"GrfxClock\"=\"slow\""),
         "slow", std::nullopt, 0, "fast", std::nullopt, LooseValue("fast")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryFixture f(regedit4(c.body));
        ScanDisplayKeys(*f.state);
        // An earlier read must not leak into a clock that cannot be read.
        f.state->QueryValueResult = LooseValue(std::int32_t{999});
        const CurrentClocks clocks = ReadCurrentClocks(*f.state);
        EXPECT_EQ(clocks.core.text, c.coreText);
        EXPECT_EQ(clocks.core.slider, c.coreSlider);
        EXPECT_EQ(f.state->StartGrfxClock, c.startCore);
        EXPECT_EQ(clocks.memory.text, c.memText);
        EXPECT_EQ(clocks.memory.slider, c.memSlider);
        EXPECT_EQ(f.state->StartMemClock, c.startMem);
    }
}

TEST(Detection, AdapterChoiceSelectsTheHighestKeyOfTheChosenType)
{
    struct Case {
        const char* name;
        std::string body;
        const char* choice;
        const char* expectedKey;
        bool changed;
    } cases[] = {
        {"TNT2 chosen", displayKey(0, kCL, "TNT2ULTRA") + displayKey(3, kCL, "GeForceDDR"), "TNT2ULTRA", "0000", true},
        {"GeForce chosen", displayKey(0, kCL, "GeForceDDR") + displayKey(3, kCL, "TNT2ULTRA"), "GeForce", "0000", true},
        {"GeForce already in use", displayKey(0, kCL, "TNT2ULTRA") + displayKey(3, kCL, "GeForceSDR"), "GeForce", "0003", false},
        {"two TNT2 keys", displayKey(0, kCL, "TNT2ULTRA") + displayKey(2, kCL, "TNT2ULTRA") + displayKey(4, kCL, "GeForceDDR"),
         "TNT2ULTRA", "0002", true},
        {"provider case differs", displayKey(0, "CREATIVE LABS", "TNT2ULTRA") + displayKey(1, kCL, "TNT2ULTRA")
                                      + displayKey(3, kCL, "GeForceDDR"),
         "TNT2ULTRA", "0001", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryFixture f(regedit4(c.body));
        ScanDisplayKeys(*f.state);
        EXPECT_EQ(ApplyAdapterChoice(*f.state, c.choice), c.changed);
        EXPECT_EQ(f.state->AdapterKey, c.expectedKey);
        for (int i = 0; i < 5; ++i) {
            const std::string type = cardTypeOf(f.state->ProviderNames[i], f.state->InfSections[i]);
            if (type == c.choice) {
                EXPECT_EQ(f.state->CardTypes[i], c.choice) << i;
            }
        }
    }
}
