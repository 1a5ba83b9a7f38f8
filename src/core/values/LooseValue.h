#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tavrel {

// A loosely typed value: empty, a text, a 16-bit or 32-bit signed integer,
// or a 64-bit floating-point number. Registry reads, preset fields and
// clock texts all travel in this form.
class LooseValue {
public:
    LooseValue() = default;
    LooseValue(std::string text) : v_(std::move(text)) {}
    LooseValue(const char* text) : v_(std::string(text)) {}
    LooseValue(std::int16_t n) : v_(n) {}
    LooseValue(std::int32_t n) : v_(n) {}
    LooseValue(double d) : v_(d) {}

    bool isEmpty() const { return std::holds_alternative<std::monostate>(v_); }
    bool isText() const { return std::holds_alternative<std::string>(v_); }
    bool isNumber() const { return !isEmpty() && !isText(); }
    bool isInt16() const { return std::holds_alternative<std::int16_t>(v_); }
    bool isInt32() const { return std::holds_alternative<std::int32_t>(v_); }
    bool isDouble() const { return std::holds_alternative<double>(v_); }

    // The text when isText(), otherwise the empty text.
    const std::string& text() const;

    // Empty gives "", an integer its decimal digits, a double its shortest
    // decimal form (a whole number without a decimal point), a text itself.
    std::string toText() const;

    // Empty gives 0; a double or a numeric text is rounded half to even;
    // a text that is no number, or a result outside 32 bits, gives nothing.
    std::optional<std::int32_t> toInt32() const;

    friend bool operator==(const LooseValue&, const LooseValue&) = default;

private:
    std::variant<std::monostate, std::string, std::int16_t, std::int32_t, double> v_;
};

// Rounds to the nearest whole number, a half to the even one; nothing when
// the result does not fit 32 bits or the input is not finite.
std::optional<std::int32_t> roundHalfEvenToInt32(double d);

// The strict reading of a clock text: an optional sign, digits with at most
// one decimal point, an optional exponent, blanks around it allowed; a
// fraction rounds half to even. Anything else, or a result outside 32 bits,
// gives nothing.
std::optional<std::int32_t> readStrict(std::string_view text);

// The strict reading's number before rounding (used for text to number).
std::optional<double> parseStrictNumber(std::string_view text);

// The lenient reading used when clocks are written: spaces, tabs and line
// feeds are skipped wherever they stand; the longest leading decimal number
// (sign, digits, one decimal point, exponent) is taken, "&H" and "&O"
// prefixes read hexadecimal and octal digits; no number reads as 0.
double readLenient(std::string_view text);

// Whether the lenient reading finds a number at all (rather than reading 0
// for want of one).
bool hasLenientNumber(std::string_view text);

// Shortest decimal text that reads back as the same double.
std::string formatDouble(double d);

} // namespace tavrel
