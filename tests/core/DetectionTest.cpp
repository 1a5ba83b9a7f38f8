// Finding the Creative adapter, its Info lines and its clocks, over the in-memory registry.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "driver/Detection.h"
#include "driver/DriverLayout.h"
#include "support/FakeRegistry.h"

using namespace tavrel;
using V = tavrel::test::FakeRegistry::Value;
using tavrel::test::dword;

namespace {

const char* const kCL = "Creative Labs";
const V kNone{}; // type 0: not put
V text(const std::string& s) { return {kRegSz, s + '\0'}; }

using Card = std::tuple<int, const char*, const char*>; // display key "000i", ProviderName, InfSection (null: none)

struct Scanned {
    explicit Scanned(const std::vector<Card>& cards)
    {
        for (const auto& [key, provider, infSection] : cards)
            for (const auto& [name, value] : {std::pair{kProviderName, provider}, {kInfSection, infSection}})
                if (value)
                    reg.putText(DisplayClassKey(key), name, value);
        outcome = ScanDisplayKeys(state);
    }
    test::FakeRegistry reg;
    DriverState state{reg};
    ScanOutcome outcome;
};

} // namespace

TEST(Detection, ScanRecognisesExactlyTheCreativeCards)
{
    // Display keys; outcome, AdapterCount, AdapterKey and CardTypes.
    const std::tuple<std::vector<Card>, ScanOutcome, int, const char*, std::array<std::string, 5>> cases[] = {
        {{{0, kCL, "GeForceDDR"}}, ScanOutcome::OneAdapter, 1, "0000", {"GeForce"}},
        {{{0, kCL, "GeForceSDR"}, {2, kCL, "TNT2ULTRA"}}, ScanOutcome::SeveralAdapters, 2, "0002",
         {"GeForce", "", "TNT2ULTRA"}},
        {{{4, kCL, "TNT2ULTRA"}, {1, kCL, "GeForceDDR"}, {3, kCL, "GeForceSDR"}}, ScanOutcome::SeveralAdapters, 3,
         "0004", {"", "GeForce", "", "GeForce", "TNT2ULTRA"}},
        {{{0, "creative labs", "GeForceDDR"}, {1, "Creative Labs ", "TNT2ULTRA"}, {2, kCL, "GeForce"},
          {3, kCL, "geforceddr"}, {4, kCL, "TNT2 ULTRA"}, {5, kCL, "GeForceDDR"}},
         ScanOutcome::NoAdapter, 0, "", {}},
        {{{0, nullptr, "GeForceDDR"}, {1, kCL, nullptr}}, ScanOutcome::NoAdapter, 0, "", {}},
    };
    for (const auto& [cards, outcome, count, key, types] : cases) {
        const Scanned s(cards);
        EXPECT_EQ(std::tie(s.outcome, s.state.AdapterCount, s.state.AdapterKey, s.state.CardTypes),
                  std::tie(outcome, count, key, types));
    }
}

// A value that cannot be read shows as nothing, not as the value read before it.
TEST(Detection, InfoLinesShowValuesAsTheyReadBack)
{
    Scanned s({{1, kCL, "TNT2ULTRA"}});
    s.reg.put(DisplayClassKey(1), kDriverDesc, V{kRegBinary, "A"});
    s.reg.put(DisplayClassKey(1), kDriverDate, dword(42));
    std::string pairs;
    for (const InfoLine& line : ShowDriverInfo(s.state))
        pairs += std::string(line.label) + "=" + line.value + ";";
    EXPECT_EQ(pairs, "Manufacturer=Creative Labs;Driver=;Card type=TNT2ULTRA;Driver date=42;");
}

TEST(Detection, CurrentClocksAndTheirDefaults)
{
    const std::vector<Card> ddr0 = {{0, kCL, "GeForceDDR"}};
    // mem, core: under the adapter's DEFAULT key; out: text, slider ('-': none) and StartMemClock (quoted when a
    // text), and so for the core clock.
    const struct { const char* name; std::vector<Card> cards; V mem, core; const char *memOut, *coreOut; } cases[] = {
        {"stored", ddr0, dword(450), dword(135), "450 450 450", "135 135 135"},
        {"stored as text", ddr0, text("0450"), text("135"), "0450 450 \"0450\"", "135 135 135"},
        {"missing, DDR under 0000", ddr0, kNone, kNone, "300 300 300", "120 120 120"},
        {"missing, DDR under 1", {{0, "X", "X"}, {1, kCL, "GeForceDDR"}}, kNone, kNone, "150 150 150", "120 120 120"},
        // The memory default looks at key 0000's InfSection alone, whoever made it.
        {"other DDR", {{0, "X", "GeForceDDR"}, {1, kCL, "TNT2ULTRA"}}, kNone, kNone, "300 300 300", "120 120 120"},
        {"binary", ddr0, V{kRegBinary, "\x2c\x01"}, V{kRegBinary, "x"}, "300 300 300", "120 120 120"},
        // Also when another adapter's clocks were read before: its start clock does not stay.
        {"not a number", ddr0, text("fast"), text("slow"), "fast - \"fast\"", "slow - 0"},
    };
    const auto shown = [](const ClockReading& r, const std::string& start) {
        return r.text + " " + (r.slider ? std::to_string(*r.slider) : "-") + " " + start;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scanned s(c.cards);
        const std::string key = driverSettingsPath(s.state.AdapterKey);
        s.reg.putText(key, "drv", "nvdisp.drv");
        for (const auto& [name, value] : {std::pair{kMemClock, c.mem}, {kGrfxClock, c.core}})
            if (value.type)
                s.reg.put(key, name, value);
        s.state.StartGrfxClock = 999;
        const CurrentClocks clocks = ReadCurrentClocks(s.state);
        const LooseValue& mem = s.state.StartMemClock;
        EXPECT_EQ(shown(clocks.memory, mem.isText() ? "\"" + mem.text() + "\"" : mem.toText()), c.memOut);
        EXPECT_EQ(shown(clocks.core, std::to_string(s.state.StartGrfxClock)), c.coreOut);
    }
}

TEST(Detection, AdapterChoiceSelectsTheHighestKeyOfTheChosenType)
{
    // Display keys, the choice, AdapterKey after it and whether it changed.
    const struct { std::vector<Card> cards; const char *choice, *key; bool changed; } cases[] = {
        {{{0, kCL, "TNT2ULTRA"}, {3, kCL, "GeForceDDR"}}, "TNT2ULTRA", "0000", true},
        {{{0, kCL, "TNT2ULTRA"}, {3, kCL, "GeForceSDR"}}, "GeForce", "0003", false},
        {{{0, kCL, "TNT2ULTRA"}, {2, kCL, "TNT2ULTRA"}, {4, kCL, "GeForceDDR"}}, "TNT2ULTRA", "0002", true},
        {{{0, "CREATIVE LABS", "TNT2ULTRA"}, {1, kCL, "TNT2ULTRA"}, {4, kCL, "GeForceSDR"}}, "TNT2ULTRA", "0001", 1},
        {{{0, kCL, "TNT2ULTRA"}, {3, kCL, "GeForceDDR"}}, "", "0003", false},
    };
    for (const auto& c : cases) {
        Scanned s(c.cards);
        EXPECT_EQ(std::pair(applyAdapterChoice(s.state, c.choice), s.state.AdapterKey),
                  std::pair(c.changed, std::string(c.key)));
    }
}
