#pragma once
// Exact conversions between doubles and decimal text, rounded correctly with halves
// to the even neighbour: the results the C runtime's "%.*f", "%.*E" and strtod give
// in the default rounding mode, without the 40 KB of general printf and strtod code
// they would link into the program.
#include <string>
#include <string_view>

namespace mevra {

// value with `decimals` (0 or more) places, as printf("%.*f", decimals, value)
// writes it: no exponent, a '-' whenever the sign bit is set ("-0" for -0.0,
// "-0.00" for -0.001 at two places). value must be finite.
std::string FixedText(double value, int decimals);

// |value| rounded to `count` (1 or more) significant digits, as printf("%.*E",
// count - 1, value) gives them: |value| ~ d.ddd x 10^exponent, digits holding all
// `count` of them, trailing zeros included. value must be finite and not zero.
struct SignificantDigits {
    std::string digits;
    int exponent = 0;
};
SignificantDigits RoundToSignificant(double value, int count);

// The decimal number that is all of text, as strtod reads it: an optional sign,
// digits with at most one '.' among them (at least one digit in all), then
// optionally an exponent letter (E or D, either case), an optional sign and
// digits. Beyond the largest double the result is an infinity; below the
// smallest denormal it is a zero of the number's sign. Other text gives 0.
double ParseDecimal(std::string_view text);

}  // namespace mevra
