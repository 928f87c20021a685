#pragma once
// Number routines shared by the core: rounding, checked 32- and 16-bit
// arithmetic, reading numbers out of reply texts and writing them back as
// short decimal text. Integer results that do not fit throw OverflowError;
// nothing here relies on signed overflow.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include "base/Types.h"

namespace mevra {

// Rounds to the nearest whole number, halves to the even neighbour
// (82.5 -> 82, 83.5 -> 84, -2.5 -> -2). NaN and infinities pass through.
double RoundHalfEven(double value);

// Range-checked narrowing: throws OverflowError when value is out of range
// (or, for doubles, not a number). The double forms expect whole values and
// drop any fraction toward zero.
std::int32_t ToInt32(std::int64_t value);
std::int32_t ToInt32(double value);
std::int16_t ToInt16(std::int64_t value);
std::int16_t ToInt16(double value);

// 32-bit arithmetic that throws OverflowError instead of wrapping.
std::int32_t CheckedAdd32(std::int32_t a, std::int32_t b);
std::int32_t CheckedSub32(std::int32_t a, std::int32_t b);
std::int32_t CheckedMul32(std::int32_t a, std::int32_t b);
// 16-bit product, computed and checked in 16 bits.
std::int16_t CheckedMul16(std::int16_t a, std::int16_t b);

// The number at the start of text: blanks, tabs and line feeds are skipped,
// an optional sign, digits, a '.' fraction and an exponent (E or D) are read,
// and reading stops at the first character that cannot continue the number.
// 0 when there is none. Throws OverflowError only when the digits exceed the
// range of a double.
double LeadingNumber(std::string_view text);

// text (up to its first NUL) read as one decimal number, surrounding blanks
// and tabs allowed; nullopt when it is not exactly a number.
std::optional<double> WholeNumber(std::string_view text);

// Shortest decimal text of value, up to 15 significant digits: whole numbers
// without a separator ("83", "0"), fractions with decimal_separator ("12,5"),
// very large or small magnitudes in exponent form ("1E+20").
// Throws OverflowError for NaN or infinities, which have no decimal text.
std::string FormatShortest(double value, std::string_view decimal_separator);

// A whole number in at least two digits, like the pattern "00": 7 -> "07",
// 120 -> "120", -5 -> "-05". The fraction, if any, is rounded half to even.
std::string FormatTwoDigits(double value);

}  // namespace mevra
