#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "values/LooseValue.h"

using tavrel::LooseValue;

TEST(LooseValue, ToText)
{
    struct Case {
        LooseValue value;
        const char* expected;
    } cases[] = {
        {LooseValue(), ""},
        {LooseValue("  0450 "), "  0450 "},
        {LooseValue(std::int16_t{-32768}), "-32768"},
        {LooseValue(std::int32_t{300}), "300"},
        {LooseValue(300.0), "300"},
        {LooseValue(300.5), "300.5"},
        {LooseValue(-0.0), "0"},
        {LooseValue(0.1), "0.1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.value.toText(), c.expected) << c.expected;
}

TEST(LooseValue, ToInt32RoundsHalfToEvenAndFailsOutsideRange)
{
    struct Case {
        LooseValue value;
        std::optional<std::int32_t> expected;
    } cases[] = {
        {LooseValue(), 0},
        {LooseValue(300.5), 300},
        {LooseValue(301.5), 302},
        {LooseValue(-2.5), -2},
        {LooseValue(2147483647.4), 2147483647},
        {LooseValue(2147483647.5), std::nullopt},
        {LooseValue(-2147483648.0), std::numeric_limits<std::int32_t>::min()},
        {LooseValue(std::numeric_limits<double>::quiet_NaN()), std::nullopt},
        {LooseValue(std::numeric_limits<double>::infinity()), std::nullopt},
        {LooseValue(" 120 "), 120},
        {LooseValue("\t-7.5"), -8},
        {LooseValue("0450"), 450},
        {LooseValue("1e3"), 1000},
        {LooseValue("2147483648"), std::nullopt},
        {LooseValue("abc"), std::nullopt},
        {LooseValue(""), std::nullopt},
        {LooseValue("12abc"), std::nullopt},
        {LooseValue("1 2"), std::nullopt},
        {LooseValue("inf"), std::nullopt},
        {LooseValue("0x10"), std::nullopt},
        {LooseValue("1e999"), std::nullopt},
        {LooseValue("1e-999"), 0},
        {LooseValue("0." + std::string(400, '0') + "1"), 0}, // too small for a double, not too large
        {LooseValue("0." + std::string(400, '0') + "1e401"), 1},
        {LooseValue(std::string(400, '9')), std::nullopt},
        {LooseValue("."), std::nullopt},
        {LooseValue("-"), std::nullopt},
        {LooseValue("1e"), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.value.toInt32(), c.expected) << c.value.toText();
}

TEST(LooseValue, LenientReading)
{
    struct Case {
        const char* text;
        double expected;
    } cases[] = {
        {"abc", 0},
        {"", 0},
        {"250x", 250},
        {"3 00", 300},
        {" \t3\n0\t0 ", 300},
        {"-12.5e1z", -125},
        {"1e", 1},
        {"1e+", 1},
        {"1.2.3", 1.2},
        {"&H1F", 31},
        {"&hff", 255},
        {"&O17", 15},
        {"&O8", 0},
        {"&Hxyz", 0},
        {"+.5", 0.5},
        {"300.5", 300.5},
        {"\r300", 0}, // a carriage return is not skipped
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(tavrel::readLenient(c.text), c.expected) << c.text;
    EXPECT_TRUE(std::isinf(tavrel::readLenient("9e999")));
}
