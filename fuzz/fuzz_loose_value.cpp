// Any text as a clock: the strict reading accepts exactly the texts of its shape with std::strtod's number (that
// found zeros after the point read as infinity; LooseValueTest keeps it); the lenient reading and LooseValue agree.

#include <cfloat>
#include <cmath>
#include <regex>

#include "FuzzCheck.h"
#include "values/LooseValue.h"

using namespace tavrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Below the smallest normal double, readers may give a subnormal or 0; no clock can tell.
    auto same = [](double a, double b) { return a == b || (std::fabs(a) < DBL_MIN && std::fabs(b) < DBL_MIN); };
    static const std::regex shape(R"([ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*)",
                                  std::regex::optimize);
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto strict = parseStrictNumber(text);
    FUZZ_CHECK(readStrict(text) == (strict ? roundHalfEvenToInt32(*strict) : std::nullopt));
    FUZZ_CHECK(LooseValue(text).toInt32() == readStrict(text));
    if (size <= 1000) // std::regex is slow, and recursive
        FUZZ_CHECK(strict.has_value() == std::regex_match(text, shape)
                   && (!strict || same(*strict, std::strtod(text.c_str(), nullptr))));
    const double lenient = readLenient(text);
    FUZZ_CHECK(!std::isnan(lenient) && (hasLenientNumber(text) || lenient == 0));
    FUZZ_CHECK(!strict || (hasLenientNumber(text) && same(lenient, *strict)));
    return 0;
}
