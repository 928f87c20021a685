#include "base/Numbers.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include "base/DecimalText.h"

namespace mevra {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSkippable(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// A number ScanNumber has accepted; "D" exponents read like "E" ones.
double ParseChecked(std::string_view number) {
    double v = ParseDecimal(number);
    if (std::isinf(v)) throw OverflowError();
    return v;  // an underflow gives 0 or a denormal, which is fine
}

// Length of the number at the start of s (sign, digits, fraction, exponent),
// 0 when s does not start with one.
std::size_t ScanNumber(const std::string& s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j])) ++j;
            i = j;
        }
    }
    return i;
}

}  // namespace

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    // Round-to-nearest is the default mode, but set it explicitly: this must
    // not depend on what some other code left behind.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    double r = std::nearbyint(value);
    std::fesetround(saved);
    return r == 0 ? 0.0 : r;  // no "-0"
}

std::int32_t ToInt32(std::int64_t value) {
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        throw OverflowError();
    return static_cast<std::int32_t>(value);
}

std::int32_t ToInt32(double value) {
    // Compare as doubles before converting: converting an out-of-range double
    // to an integer is undefined.
    if (!(value > -2147483649.0 && value < 2147483648.0)) throw OverflowError();
    return static_cast<std::int32_t>(value);
}

std::int16_t ToInt16(std::int64_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        throw OverflowError();
    return static_cast<std::int16_t>(value);
}

std::int16_t ToInt16(double value) {
    if (!(value > -32769.0 && value < 32768.0)) throw OverflowError();
    return static_cast<std::int16_t>(value);
}

std::int32_t CheckedAdd32(std::int32_t a, std::int32_t b) {
    return ToInt32(static_cast<std::int64_t>(a) + b);
}

std::int32_t CheckedSub32(std::int32_t a, std::int32_t b) {
    return ToInt32(static_cast<std::int64_t>(a) - b);
}

std::int32_t CheckedMul32(std::int32_t a, std::int32_t b) {
    return ToInt32(static_cast<std::int64_t>(a) * b);
}

std::int16_t CheckedMul16(std::int16_t a, std::int16_t b) {
    return ToInt16(static_cast<std::int64_t>(a) * b);
}

double LeadingNumber(std::string_view text) {
    // Blanks, tabs and line feeds are dropped wherever they stand, so a
    // reply like " 12 345" still reads as one number.
    std::string packed;
    packed.reserve(text.size());
    for (char c : text) {
        if (c == '\0') break;
        if (!IsSkippable(c)) packed.push_back(c);
    }
    std::size_t len = ScanNumber(packed);
    if (len == 0) return 0.0;
    return ParseChecked(std::string_view(packed).substr(0, len));
}

std::optional<double> WholeNumber(std::string_view text) {
    auto end = text.find('\0');
    if (end != std::string_view::npos) text = text.substr(0, end);
    std::size_t first = 0, last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
    std::string body(text.substr(first, last - first));
    if (body.empty() || ScanNumber(body) != body.size()) return std::nullopt;
    try {
        return ParseChecked(body);
    } catch (const OverflowError&) {
        return std::nullopt;  // too big to be a number at all: the step fails
    }
}

std::string FormatShortest(double value, std::string_view decimal_separator) {
    if (!std::isfinite(value)) throw OverflowError();
    if (value == 0) return "0";
    const double magnitude = std::fabs(value);
    std::string text;
    if (magnitude >= 1e15 || magnitude < 1e-15) {
        // 15 significant digits, d.dddE+x, without the mantissa's trailing zeros.
        SignificantDigits d = RoundToSignificant(value, 15);
        while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
        if (value < 0) text = "-";
        text += d.digits[0];
        if (d.digits.size() > 1) text += "." + d.digits.substr(1);
        text += d.exponent < 0 ? "E-" : "E+";
        text += std::to_string(d.exponent < 0 ? -d.exponent : d.exponent);
    } else {
        // 15 significant digits, then the trailing zeros of the fraction go.
        int whole_digits = static_cast<int>(std::floor(std::log10(magnitude))) + 1;
        int decimals = 15 - whole_digits;
        if (decimals < 0) decimals = 0;
        text = FixedText(value, decimals);
        if (text.find('.') != std::string::npos) {
            while (text.back() == '0') text.pop_back();
            if (text.back() == '.') text.pop_back();
        }
        if (text == "-0") text = "0";
    }
    auto dot = text.find('.');
    if (dot != std::string::npos) text.replace(dot, 1, decimal_separator);
    return text;
}

std::string FormatTwoDigits(double value) {
    if (!std::isfinite(value)) throw OverflowError();
    std::string digits = FixedText(std::fabs(RoundHalfEven(value)), 0);
    if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
    return (RoundHalfEven(value) < 0 ? "-" : "") + digits;
}

}  // namespace mevra
