// Any text as a clock, and any number as a LooseValue: no crash or undefined
// behaviour, the strict and lenient readings agree, and numbers go to text
// and back unchanged. The strict reading is also held against std::strtod on
// the texts of its shape; that found a long run of zeros after the point
// read as infinity (LooseValueTest keeps the case).

#include <cfloat>
#include <cmath>
#include <cstring>
#include <regex>
#include <string>

#include "FuzzCheck.h"
#include "values/LooseValue.h"

using namespace tavrel;

namespace {

const std::regex kShape(R"([ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*)", std::regex::optimize);

// Below the smallest normal double, readers may give a subnormal or 0; no clock can tell.
bool same(double a, double b)
{
    return a == b || (std::fabs(a) < DBL_MIN && std::fabs(b) < DBL_MIN);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto strict = parseStrictNumber(text);
    FUZZ_CHECK(readStrict(text) == (strict ? roundHalfEvenToInt32(*strict) : std::nullopt));
    FUZZ_CHECK(LooseValue(text).toInt32() == readStrict(text));
    if (size <= 1000) { // std::regex is slow, and recursive
        FUZZ_CHECK(strict.has_value() == std::regex_match(text, kShape));
        if (strict)
            FUZZ_CHECK(same(*strict, std::strtod(text.c_str(), nullptr)));
    }
    const double lenient = readLenient(text);
    FUZZ_CHECK(!std::isnan(lenient) && (hasLenientNumber(text) || lenient == 0));
    if (strict)
        FUZZ_CHECK(hasLenientNumber(text) && same(lenient, *strict));

    if (size >= sizeof(double)) {
        double d;
        std::memcpy(&d, data, sizeof d);
        FUZZ_CHECK(LooseValue(d).toInt32() == roundHalfEvenToInt32(d));
        if (std::isfinite(d))
            FUZZ_CHECK(same(parseStrictNumber(LooseValue(d).toText()).value_or(NAN), d));
    }
    if (size >= sizeof(std::int32_t)) {
        std::int32_t n;
        std::memcpy(&n, data, sizeof n);
        FUZZ_CHECK(readStrict(LooseValue(n).toText()) == n && LooseValue(n).toInt32() == n);
        FUZZ_CHECK(readStrict(LooseValue(static_cast<std::int16_t>(n)).toText()) == static_cast<std::int16_t>(n));
    }
    return 0;
}
