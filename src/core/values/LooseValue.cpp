#include "values/LooseValue.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace tavrel {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// For a number of the strict shape (sign removed) that a double cannot hold:
// whether it is too large rather than too small, which is whether its first
// significant digit stands at a power of ten of 0 or more. "0.000...01" has
// a long run of zeros but is tiny, "1000...0e-5" is not.
bool tooLargeForDouble(std::string_view s)
{
    std::size_t i = 0;
    std::int64_t power = 0; // of the first significant digit
    bool significant = false;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        if (significant)
            ++power;
        else
            significant = s[i] != '0';
    }
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && isDigit(s[i]); ++i) {
            if (!significant) {
                --power;
                significant = s[i] != '0';
            }
        }
    }
    if (!significant)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        const bool negative = i < s.size() && s[i] == '-';
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        std::int64_t exponent = 0;
        for (; i < s.size(); ++i)
            exponent = std::min<std::int64_t>(exponent * 10 + (s[i] - '0'), std::int64_t{1} << 40);
        power += negative ? -exponent : exponent;
    }
    return power >= 0;
}

} // namespace

const std::string& LooseValue::text() const
{
    static const std::string empty;
    const auto* s = std::get_if<std::string>(&v_);
    return s ? *s : empty;
}

std::string LooseValue::toText() const
{
    struct Visitor {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(std::int16_t n) const { return std::to_string(n); }
        std::string operator()(std::int32_t n) const { return std::to_string(n); }
        std::string operator()(double d) const { return formatDouble(d); }
    };
    return std::visit(Visitor{}, v_);
}

std::optional<std::int32_t> LooseValue::toInt32() const
{
    struct Visitor {
        std::optional<std::int32_t> operator()(std::monostate) const { return 0; }
        std::optional<std::int32_t> operator()(const std::string& s) const { return readStrict(s); }
        std::optional<std::int32_t> operator()(std::int16_t n) const { return n; }
        std::optional<std::int32_t> operator()(std::int32_t n) const { return n; }
        std::optional<std::int32_t> operator()(double d) const { return roundHalfEvenToInt32(d); }
    };
    return std::visit(Visitor{}, v_);
}

std::optional<std::int32_t> roundHalfEvenToInt32(double d)
{
    if (!std::isfinite(d))
        return std::nullopt;
    // nearbyint honours the default rounding mode, which is to nearest, ties to even.
    const double r = std::nearbyint(d);
    if (r < static_cast<double>(std::numeric_limits<std::int32_t>::min())
        || r > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(r);
}

std::optional<double> parseStrictNumber(std::string_view text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    std::string_view s = text.substr(b, e - b);

    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // Validate the shape ourselves: from_chars also takes "inf", "nan" and hex.
    std::size_t i = 0, digits = 0;
    while (i < s.size() && isDigit(s[i])) { ++i; ++digits; }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) { ++i; ++digits; }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        std::size_t expDigits = 0;
        while (j < s.size() && isDigit(s[j])) { ++j; ++expDigits; }
        if (expDigits == 0)
            return std::nullopt;
        i = j;
    }
    if (i != s.size())
        return std::nullopt;

    double value = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: say which, so the caller can refuse it.
        value = tooLargeForDouble(s) ? std::numeric_limits<double>::infinity() : 0;
    } else if (res.ec != std::errc() || res.ptr != s.data() + s.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<std::int32_t> readStrict(std::string_view text)
{
    const auto d = parseStrictNumber(text);
    if (!d)
        return std::nullopt;
    return roundHalfEvenToInt32(*d);
}

double readLenient(std::string_view text)
{
    // Keep only what the reading looks at: blanks, tabs and line feeds vanish.
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            s.push_back(c);

    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const bool hex = s[1] == 'H' || s[1] == 'h';
        double value = 0;
        for (std::size_t i = 2; i < s.size(); ++i) {
            const char c = s[i];
            int digit;
            if (c >= '0' && c <= '7')
                digit = c - '0';
            else if (hex && (c == '8' || c == '9'))
                digit = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                break;
            value = value * (hex ? 16 : 8) + digit;
        }
        return value;
    }

    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) { ++i; ++digits; }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) { ++i; ++digits; }
    }
    if (digits == 0)
        return 0;
    std::size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        std::size_t expDigits = 0;
        while (j < s.size() && isDigit(s[j])) { ++j; ++expDigits; }
        if (expDigits > 0)
            end = j;
    }
    const auto d = parseStrictNumber(std::string_view(s).substr(0, end));
    return d.value_or(0);
}

bool hasLenientNumber(std::string_view text)
{
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            s.push_back(c);
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        if (s.size() < 3)
            return false;
        const char c = s[2];
        const bool hex = s[1] == 'H' || s[1] == 'h';
        return (c >= '0' && c <= '7') || (hex && (isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
    }
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    if (i < s.size() && s[i] == '.')
        ++i;
    return i < s.size() && isDigit(s[i]);
}

std::string formatDouble(double d)
{
    if (d == 0)
        return "0"; // also for -0
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, res.ptr);
}

} // namespace tavrel
