#include <gtest/gtest.h>

#include <algorithm>

#include "driver/Detection.h"
#include "driver/DriverLayout.h"
#include "support/RegistryFixture.h"

using namespace tavrel;
using tavrel::test::displayKey;
using tavrel::test::regedit4;
using tavrel::test::RegistryFixture;

namespace {

const char* const kCL = "Creative Labs";

std::string defaultKey(int index, std::string_view lines)
{
    return "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\000" + std::to_string(index)
        + "\\DEFAULT]\n" + std::string(lines) + "\n";
}

// CardTypes "0000" to "0004", joined by '|'.
std::string cardTypes(const ProgramState& s)
{
    std::string out = s.CardTypes[0];
    for (int i = 1; i < 5; ++i)
        out += "|" + s.CardTypes[i];
    return out;
}

} // namespace

TEST(Detection, ScanRecognisesExactlyTheCreativeCards)
{
    const struct {
        const char* name;
        std::string body;
        ScanOutcome outcome;
        const char* adapterKey;
        const char* cardTypes;
    } cases[] = {
        { "one DDR", displayKey(0, kCL, "GeForceDDR"), ScanOutcome::OneAdapter, "0000", "GeForce||||" },
        { "SDR and TNT2", displayKey(0, kCL, "GeForceSDR") + displayKey(2, kCL, "TNT2ULTRA"),
            ScanOutcome::SeveralAdapters, "0002", "GeForce||TNT2ULTRA||" },
        { "unknown chip", displayKey(1, kCL, "Riva128"), ScanOutcome::NoAdapter, "", "||||" },
        { "no keys", "", ScanOutcome::NoAdapter, "", "||||" },
        { "near misses",
            displayKey(0, "creative labs", "GeForceDDR") + displayKey(1, "Creative Labs ", "TNT2ULTRA")
                + displayKey(2, kCL, "GeForce") + displayKey(3, kCL, "geforceddr") + displayKey(4, kCL, "TNT2 ULTRA"),
            ScanOutcome::NoAdapter, "", "||||" },
        { "beyond 0004", displayKey(5, kCL, "GeForceDDR"), ScanOutcome::NoAdapter, "", "||||" },
        { "provider missing", displayKey(0, nullptr, "GeForceDDR"), ScanOutcome::NoAdapter, "", "||||" },
        { "provider stored as a number",
            "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\0000]\n"
            "\"ProviderName\"=dword:00000001\n\"InfSection\"=\"GeForceDDR\"\n\n"
                + displayKey(3, kCL, "TNT2ULTRA"),
            ScanOutcome::OneAdapter, "0003", "|||TNT2ULTRA|" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryFixture f(regedit4(c.body));
        EXPECT_EQ(ScanDisplayKeys(*f.state), c.outcome);
        EXPECT_EQ(f.state->AdapterKey, c.adapterKey);
        EXPECT_EQ(cardTypes(*f.state), c.cardTypes);
        EXPECT_EQ(f.state->AdapterCount,
            std::ranges::count_if(f.state->CardTypes, [](const auto& t) { return !t.empty(); }));
    }
}

TEST(Detection, InfoLinesEndInCrLfAndShowValuesAsStored)
{
    const struct {
        const char* lines;
        const char* desc;
        const char* date;
    } cases[] = {
        { "\"DriverDesc\"=\"3D Blaster \"\n\"DriverDate\"=\"2-14-2000\"\n", "3D Blaster ", "2-14-2000" },
        { "\"DriverDesc\"=\"X\"\n", "X", "" }, // no date
        { "\"DriverDesc\"=hex(3):41\n\"DriverDate\"=dword:0000002a\n", "", "42" }, // types other than text
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        RegistryFixture f(regedit4(displayKey(0, kCL, "GeForceDDR", c.lines)));
        ScanDisplayKeys(*f.state);
        EXPECT_EQ(ShowDriverInfo(*f.state),
            "Manufacturer : Creative Labs\r\nDriver             : " + std::string(c.desc)
                + "\r\nCard type       : GeForceDDR\r\nDriver date     : " + c.date + "\r\n");
    }
}

TEST(Detection, CurrentClocksAndTheirDefaults)
{
    const std::string ddr = displayKey(0, kCL, "GeForceDDR");
    const struct {
        const char* name;
        std::string body;
        const char* core; // text, slider ('-': none) and StartGrfxClock
        const char* memory; // text, slider and StartMemClock, quoted when a text
    } cases[] = {
        { "both stored", ddr + defaultKey(0, "\"MemClock\"=dword:000001c2\n\"GrfxClock\"=dword:00000087"),
            "135 135 135", "450 450 450" },
        { "stored as text", ddr + defaultKey(0, "\"MemClock\"=\"0450\"\n\"GrfxClock\"=\"135\""), "135 135 135",
            "0450 450 \"0450\"" },
        { "missing, DDR under 0000", ddr + defaultKey(0, ""), "120 120 120", "300 300 300" },
        { "missing, DDR under 0001 only",
            displayKey(0, "Other", "Other") + displayKey(1, kCL, "GeForceDDR") + defaultKey(1, ""), "120 120 120",
            "150 150 150" },
        // The memory default looks at key 0000's InfSection alone, whoever made it.
        { "missing, 0000 another vendor's DDR",
            displayKey(0, "Other", "GeForceDDR") + displayKey(1, kCL, "TNT2ULTRA") + defaultKey(1, ""), "120 120 120",
            "300 300 300" },
        { "no DEFAULT key", displayKey(0, kCL, "TNT2ULTRA"), "120 120 120", "150 150 150" },
        { "binary values", ddr + defaultKey(0, "\"MemClock\"=hex:2c,01\n\"GrfxClock\"=hex:78"), "120 120 120",
            "300 300 300" },
        { "not a number", ddr + defaultKey(0, "\"MemClock\"=\"fast\"\n\"GrfxClock\"=\"slow\""), "slow - 0",
            "fast - \"fast\"" },
    };
    auto shown = [](const ClockReading& r, const std::string& start) {
        return r.text + " " + (r.slider ? std::to_string(*r.slider) : "-") + " " + start;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryFixture f(regedit4(c.body));
        ScanDisplayKeys(*f.state);
        // An earlier read must not leak into a clock that cannot be read.
        f.state->QueryValueResult = LooseValue(std::int32_t { 999 });
        const CurrentClocks clocks = ReadCurrentClocks(*f.state);
        const LooseValue& mem = f.state->StartMemClock;
        EXPECT_EQ(shown(clocks.core, std::to_string(f.state->StartGrfxClock)), c.core);
        EXPECT_EQ(shown(clocks.memory, mem.isText() ? "\"" + mem.text() + "\"" : mem.toText()), c.memory);
    }
}

TEST(Detection, AdapterChoiceSelectsTheHighestKeyOfTheChosenType)
{
    const struct {
        const char* name;
        std::string body;
        const char* choice;
        const char* expectedKey;
        bool changed;
    } cases[] = {
        { "TNT2 chosen", displayKey(0, kCL, "TNT2ULTRA") + displayKey(3, kCL, "GeForceDDR"), "TNT2ULTRA", "0000",
            true },
        { "GeForce chosen", displayKey(0, kCL, "GeForceDDR") + displayKey(3, kCL, "TNT2ULTRA"), "GeForce", "0000",
            true },
        { "GeForce already in use", displayKey(0, kCL, "TNT2ULTRA") + displayKey(3, kCL, "GeForceSDR"), "GeForce",
            "0003", false },
        { "two TNT2 keys",
            displayKey(0, kCL, "TNT2ULTRA") + displayKey(2, kCL, "TNT2ULTRA") + displayKey(4, kCL, "GeForceDDR"),
            "TNT2ULTRA", "0002", true },
        { "provider case differs",
            displayKey(0, "CREATIVE LABS", "TNT2ULTRA") + displayKey(1, kCL, "TNT2ULTRA")
                + displayKey(3, kCL, "GeForceDDR"),
            "TNT2ULTRA", "0001", true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryFixture f(regedit4(c.body));
        ScanDisplayKeys(*f.state);
        EXPECT_EQ(ApplyAdapterChoice(*f.state, c.choice), c.changed);
        EXPECT_EQ(f.state->AdapterKey, c.expectedKey);
    }
}
