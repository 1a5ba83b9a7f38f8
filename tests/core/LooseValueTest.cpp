// The value rules every clock passes through; rounding half to even is checked here only.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "values/LooseValue.h"

using tavrel::LooseValue;

TEST(LooseValue, ToText)
{
    const std::pair<LooseValue, const char*> cases[] = {{LooseValue(), ""}, {LooseValue("  0450 "), "  0450 "},
        {LooseValue(std::int16_t{-32768}), "-32768"}, {LooseValue(std::int32_t{70000}), "70000"},
        {LooseValue(300.0), "300"}, {LooseValue(300.5), "300.5"}, {LooseValue(-0.0), "0"}, {LooseValue(0.1), "0.1"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(value.toText(), text);
}

TEST(LooseValue, ToInt32RoundsHalfToEvenAndRefusesWhatIsNoNumberIn32Bits)
{
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, std::optional<std::int32_t>> numbers[] = {{300.5, 300}, {301.5, 302}, {-2.5, -2},
        {300.4999, 300}, {2147483647.4, INT32_MAX}, {2147483647.5, {}}, {-2147483648.0, INT32_MIN},
        {-2147483649.0, {}}, {std::nan(""), {}}, {inf, {}}, {-inf, {}}};
    for (const auto& [d, n] : numbers)
        EXPECT_EQ(LooseValue(d).toInt32(), n) << d;
    EXPECT_EQ(LooseValue().toInt32(), 0);

    const std::string zeros(400, '0');
    const std::pair<std::string, std::optional<std::int32_t>> texts[] = {{" \t120 ", 120}, {"-7.5", -8},
        {"0450", 450}, {"+1e3", 1000}, {"25E-1", 2}, {".5e+1", 5}, {"5.", 5}, {"2147483648", {}}, {"", {}},
        {"abc", {}}, {"12abc", {}}, {"1 2", {}}, {"1.2.3", {}}, {"inf", {}}, {"0x10", {}}, {".", {}}, {"-", {}},
        {"1e", {}}, {"1e+", {}}, {"--1", {}},
        // Past a double's range: too large is no number, too small is 0.
        {"1e999", {}}, {"-1e999", {}}, {"1e-999", 0}, {"1e99999999999999999999", {}},
        {"1e-99999999999999999999", 0}, {"0." + zeros + "1", 0}, {"0." + zeros + "1e401", 1}, {"1" + zeros, {}},
        {"1" + zeros + "e-800", 0}, {"0" + zeros + "1e-400", 0}, {"0.5e400", {}}};
    for (const auto& [text, n] : texts)
        EXPECT_EQ(LooseValue(text).toInt32(), n) << text.substr(0, 40);
}

TEST(LooseValue, LenientReadingTakesTheLeadingNumber)
{
    // The text, its reading, and whether it holds a number rather than 0 for want of one.
    const std::tuple<const char*, double, bool> cases[] = {
        {"", 0, false}, {"abc", 0, false}, {"+", 0, false}, {".", 0, false}, {"-.x", 0, false}, {"e5", 0, false},
        {"250x", 250, true}, {" \t3\n0\t0 ", 300, true}, {"-12.5e1z", -125, true}, {"1e", 1, true},
        {"1e+", 1, true}, {"1.2.3", 1.2, true}, {"+.5", 0.5, true}, {"-.5", -0.5, true}, {"300.5", 300.5, true},
        {"0", 0, true}, {"2h", 2, true}, {"\r300", 0, false}, // a carriage return is not skipped
        {"&H1F", 31, true}, {"&hff", 255, true}, {"&HaB9", 2745, true}, {"&H10", 16, true}, {"&O17", 15, true},
        {"&o07", 7, true}, {"&O8", 0, false}, {"&O78", 7, true}, {"&Hg", 0, false}, {"&H", 0, false},
    };
    for (const auto& [text, value, found] : cases) {
        EXPECT_DOUBLE_EQ(tavrel::readLenient(text), value) << text;
        EXPECT_EQ(tavrel::hasLenientNumber(text), found) << text;
    }
    EXPECT_TRUE(std::isinf(tavrel::readLenient("9e999")));
}
