// The strict and lenient readings of a clock text and the LooseValue
// conversions, checked against slow references built on std::regex,
// std::strtod and std::stoull: same answers, no crash, no undefined behaviour.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <regex>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "values/LooseValue.h"

using namespace tavrel;

namespace {

// The references are only run on texts this short, to keep them fast; the
// lenient one tries every leading part of the text.
constexpr std::size_t kReferenceLength = 1000;
constexpr std::size_t kLenientReferenceLength = 64;

const std::regex& numberShape()
{
    static const std::regex re(R"([+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?)", std::regex::optimize);
    return re;
}

double slowDecimal(const std::string& s)
{
    return std::strtod(s.c_str(), nullptr); // the C locale: the fuzzer never changes it
}

std::optional<double> slowStrictNumber(std::string_view text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t'))
        --e;
    const std::string s(text.substr(b, e - b));
    if (!std::regex_match(s, numberShape()))
        return std::nullopt;
    return slowDecimal(s);
}

std::optional<std::int32_t> slowRound(double d)
{
    if (!std::isfinite(d))
        return std::nullopt;
    const double f = std::floor(d);
    const double frac = d - f; // exact: f is within one unit of d
    double r = f;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(f, 2.0) != 0))
        r = f + 1;
    if (r < -2147483648.0 || r > 2147483647.0)
        return std::nullopt;
    return static_cast<std::int32_t>(r);
}

// Below the smallest normal double, from_chars and strtod may disagree on
// whether to give a subnormal or 0; no clock or preset can tell the two apart.
bool sameReading(double got, double want)
{
    if (got == want || (std::isnan(got) && std::isnan(want)))
        return true;
    return std::fabs(want) < DBL_MIN && std::fabs(got) < DBL_MIN;
}

void checkStrict(std::string_view text)
{
    const auto got = parseStrictNumber(text);
    const auto rounded = readStrict(text);
    if (got)
        FUZZ_CHECK(rounded == slowRound(*got));
    else
        FUZZ_CHECK(!rounded);
    if (text.size() > kReferenceLength)
        return;
    const auto want = slowStrictNumber(text);
    FUZZ_CHECK(got.has_value() == want.has_value());
    if (want) {
        FUZZ_CHECK(sameReading(*got, *want));
        if (std::fabs(*want) >= DBL_MIN || *want == 0)
            FUZZ_CHECK(rounded == slowRound(*want));
    }
}

void checkLenient(std::string_view text)
{
    const double got = readLenient(text);
    const bool found = hasLenientNumber(text);
    FUZZ_CHECK(!std::isnan(got));
    if (!found)
        FUZZ_CHECK(got == 0);
    if (text.size() > kLenientReferenceLength)
        return;

    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            s.push_back(c);

    if (s.size() >= 2 && s[0] == '&' && std::strchr("HhOo", s[1]) && s[1] != '\0') {
        const bool hex = s[1] == 'H' || s[1] == 'h';
        const char* digitSet = hex ? "0123456789abcdefABCDEF" : "01234567";
        std::size_t n = 2;
        while (n < s.size() && s[n] != '\0' && std::strchr(digitSet, s[n]))
            ++n;
        const std::string digits = s.substr(2, n - 2);
        FUZZ_CHECK(found == !digits.empty());
        FUZZ_CHECK(got >= 0);
        // Up to 52 bits every step of the reading is exact.
        if (!digits.empty() && digits.size() <= (hex ? 13u : 17u))
            FUZZ_CHECK(got == static_cast<double>(std::stoull(digits, nullptr, hex ? 16 : 8)));
        return;
    }

    // The longest leading part that has the shape of a decimal number.
    for (std::size_t len = s.size(); len > 0; --len) {
        const std::string head = s.substr(0, len);
        if (std::regex_match(head, numberShape())) {
            FUZZ_CHECK(found);
            FUZZ_CHECK(sameReading(got, slowDecimal(head)));
            return;
        }
    }
    FUZZ_CHECK(!found);
}

void checkTextValue(std::string_view text)
{
    const LooseValue v { std::string(text) };
    FUZZ_CHECK(v.isText() && !v.isNumber());
    FUZZ_CHECK(v.toText() == text);
    FUZZ_CHECK(v.toInt32() == readStrict(text));
}

void checkNumberValues(const std::uint8_t* data, std::size_t size)
{
    if (size >= sizeof(double)) {
        double d;
        std::memcpy(&d, data, sizeof d);
        const LooseValue v(d);
        const std::string text = v.toText();
        FUZZ_CHECK(!text.empty());
        FUZZ_CHECK(v.toInt32() == slowRound(d));
        if (std::isfinite(d)) {
            // The text reads back as the same number, and a whole number
            // written out in digits has no point.
            FUZZ_CHECK(slowDecimal(text) == d);
            if (d == std::floor(d) && std::fabs(d) < 1e15)
                FUZZ_CHECK(text.find('.') == std::string::npos);
            FUZZ_CHECK(readStrict(text) == slowRound(d));
        }
    }
    if (size >= sizeof(std::int32_t)) {
        std::int32_t n;
        std::memcpy(&n, data, sizeof n);
        const LooseValue v(n);
        FUZZ_CHECK(v.toText() == std::to_string(n));
        FUZZ_CHECK(v.toInt32() == n);
        FUZZ_CHECK(readStrict(v.toText()) == n);
    }
    if (size >= sizeof(std::int16_t)) {
        std::int16_t n;
        std::memcpy(&n, data, sizeof n);
        const LooseValue v(n);
        FUZZ_CHECK(v.toText() == std::to_string(n));
        FUZZ_CHECK(v.toInt32() == n);
    }
    FUZZ_CHECK(LooseValue().toText().empty() && LooseValue().toInt32() == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkStrict(text);
    checkLenient(text);
    checkTextValue(text);
    checkNumberValues(data, size);
    return 0;
}
