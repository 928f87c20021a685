#include "base/DecimalText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace mevra {

namespace {

constexpr std::uint32_t kPow10[] = {1,      10,      100,      1000,      10000,
                                    100000, 1000000, 10000000, 100000000, 1000000000};

// A non-negative whole number of any size, in 32-bit limbs, least significant first,
// with no zero limbs at the top (so zero has none).
class BigNumber {
public:
    explicit BigNumber(std::uint64_t value) {
        for (; value != 0; value >>= 32) limbs_.push_back(static_cast<std::uint32_t>(value));
    }

    int BitLength() const {
        if (limbs_.empty()) return 0;
        int bits = 32 * static_cast<int>(limbs_.size() - 1);
        for (std::uint32_t top = limbs_.back(); top != 0; top >>= 1) ++bits;
        return bits;
    }
    bool LowBit() const { return !limbs_.empty() && (limbs_[0] & 1) != 0; }
    std::uint64_t Low64() const {
        std::uint64_t low = limbs_.empty() ? 0 : limbs_[0];
        if (limbs_.size() > 1) low |= static_cast<std::uint64_t>(limbs_[1]) << 32;
        return low;
    }

    // this = this * factor + addend
    void MulAdd(std::uint32_t factor, std::uint32_t addend) {
        std::uint64_t carry = addend;
        for (std::uint32_t& limb : limbs_) {
            carry += static_cast<std::uint64_t>(limb) * factor;
            limb = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
    }

    // this = this / divisor, rounded down; returns the remainder.
    std::uint32_t DivMod(std::uint32_t divisor) {
        std::uint64_t rest = 0;
        for (auto limb = limbs_.rbegin(); limb != limbs_.rend(); ++limb) {
            rest = (rest << 32) | *limb;
            *limb = static_cast<std::uint32_t>(rest / divisor);
            rest %= divisor;
        }
        Trim();
        return static_cast<std::uint32_t>(rest);
    }

    void MulPow10(int n) {
        for (; n > 0; n -= 9) MulAdd(kPow10[std::min(n, 9)], 0);
    }
    // Rounds down; true when something was lost. Dividing in steps gives the same
    // quotient as dividing at once.
    bool DivPow10(int n) {
        bool lost = false;
        for (; n > 0; n -= 9) lost |= DivMod(kPow10[std::min(n, 9)]) != 0;
        return lost;
    }

    void ShiftLeft(int bits) {
        if (limbs_.empty()) return;
        limbs_.insert(limbs_.begin(), static_cast<std::size_t>(bits / 32), 0);
        bits %= 32;
        if (bits == 0) return;
        std::uint32_t carry = 0;
        for (std::uint32_t& limb : limbs_) {
            const std::uint32_t out = limb >> (32 - bits);
            limb = (limb << bits) | carry;
            carry = out;
        }
        if (carry != 0) limbs_.push_back(carry);
    }
    // Rounds down; true when a set bit was shifted out.
    bool ShiftRight(int bits) {
        const auto whole = std::min(limbs_.size(), static_cast<std::size_t>(bits / 32));
        bool lost = std::any_of(limbs_.begin(), limbs_.begin() + whole,
                                [](std::uint32_t limb) { return limb != 0; });
        limbs_.erase(limbs_.begin(), limbs_.begin() + whole);
        bits %= 32;
        if (bits == 0 || limbs_.empty()) return lost;
        lost |= (limbs_[0] & ((1u << bits) - 1)) != 0;
        for (std::size_t i = 0; i < limbs_.size(); ++i) {
            const std::uint32_t high = i + 1 < limbs_.size() ? limbs_[i + 1] << (32 - bits) : 0;
            limbs_[i] = (limbs_[i] >> bits) | high;
        }
        Trim();
        return lost;
    }

    // Decimal digits, "" for zero.
    std::string Decimal() const {
        BigNumber rest = *this;
        std::string reversed;
        while (!rest.limbs_.empty()) {
            std::uint32_t chunk = rest.DivMod(kPow10[9]);
            for (int i = 0; i < 9; ++i, chunk /= 10) reversed.push_back(static_cast<char>('0' + chunk % 10));
        }
        while (!reversed.empty() && reversed.back() == '0') reversed.pop_back();
        return std::string(reversed.rbegin(), reversed.rend());
    }

private:
    void Trim() {
        while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
    }

    std::vector<std::uint32_t> limbs_;
};

// |value| = mantissa * 2^exponent
struct Binary {
    std::uint64_t mantissa;
    int exponent;
    bool negative;
};

Binary Decompose(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    Binary b{bits & ((std::uint64_t{1} << 52) - 1), -1074, (bits >> 63) != 0};
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (biased != 0) {
        b.mantissa |= std::uint64_t{1} << 52;
        b.exponent = biased - 1075;
    }
    return b;
}

// x * 2^binary * 10^decimal, split into its whole part and whether rounding it to
// the nearest whole number (halves to even) goes up.
struct Scaled {
    BigNumber whole;
    bool round_up;
};

Scaled Scale(BigNumber x, int binary, int decimal) {
    if (decimal > 0) x.MulPow10(decimal);
    // One bit is kept below the units: it and whether anything below it was lost
    // decide the rounding.
    bool lost = false;
    if (binary + 1 >= 0) x.ShiftLeft(binary + 1);
    else lost = x.ShiftRight(-(binary + 1));
    if (decimal < 0) lost |= x.DivPow10(-decimal);
    const bool half = x.LowBit();
    x.ShiftRight(1);
    return {x, half && (lost || x.LowBit())};
}

BigNumber Rounded(Scaled s) {
    if (s.round_up) s.whole.MulAdd(1, 1);
    return s.whole;
}

// q * 2^-shift for q <= 2^53 and shift <= 1074 (exactly 1074 when q < 2^52, a denormal).
double Compose(std::uint64_t q, int shift) {
    if (q == std::uint64_t{1} << 53) q >>= 1, --shift;
    std::uint64_t bits = q;
    if (q >= std::uint64_t{1} << 52) {
        const int biased = 1075 - shift;
        if (biased >= 2047) return std::numeric_limits<double>::infinity();
        bits = (static_cast<std::uint64_t>(biased) << 52) | (q & ((std::uint64_t{1} << 52) - 1));
    }
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// digits * 10^power, digits without leading zeros, to the nearest double.
double Nearest(const std::string& digits, int power) {
    BigNumber d(0);
    for (char c : digits) d.MulAdd(10, static_cast<std::uint32_t>(c - '0'));
    // Scale by 2^shift so that 53 bits stand before the point (fewer for a denormal):
    // a guess first, then one correction, since the bit count tells how far off it was.
    int shift = 53 - d.BitLength() - static_cast<int>(std::floor(power * 3.321928094887362));
    for (;;) {
        shift = std::min(shift, 1074);
        Scaled s = Scale(d, shift, power);
        const int bits = s.whole.BitLength();
        if (bits > 53) {
            shift -= bits - 53;
        } else if (bits < 53 && shift < 1074) {
            shift += 53 - bits;
        } else {
            return Compose(Rounded(s).Low64(), shift);
        }
    }
}

// More digits than any halfway point between two doubles has: the rest only
// matters as "something more".
constexpr std::size_t kKeptDigits = 800;

}  // namespace

std::string FixedText(double value, int decimals) {
    const Binary b = Decompose(value);
    std::string text = Rounded(Scale(BigNumber(b.mantissa), b.exponent, decimals)).Decimal();
    const auto places = static_cast<std::size_t>(decimals);
    if (text.size() <= places) text.insert(0, places + 1 - text.size(), '0');
    if (places > 0) text.insert(text.size() - places, 1, '.');
    if (b.negative) text.insert(0, 1, '-');
    return text;
}

SignificantDigits RoundToSignificant(double value, int count) {
    const Binary b = Decompose(value);
    if (b.mantissa == 0) return {std::string(static_cast<std::size_t>(count), '0'), 0};
    const BigNumber m(b.mantissa);
    // 2^top <= |value| < 2^(top + 1) gives a guess at the decimal exponent; the
    // number of digits before rounding corrects it.
    const int top = b.exponent + m.BitLength() - 1;
    int exponent = static_cast<int>(std::floor(top * 0.3010299956639812));
    for (;;) {
        Scaled s = Scale(m, b.exponent, count - 1 - exponent);
        std::string digits = s.whole.Decimal();
        const int size = static_cast<int>(digits.size());
        if (size != count) {
            exponent += size > count ? 1 : -1;
            continue;
        }
        if (s.round_up) {
            digits = Rounded(s).Decimal();
            if (static_cast<int>(digits.size()) > count) {  // 9.99... became 10.0...
                digits.pop_back();
                ++exponent;
            }
        }
        return {digits, exponent};
    }
}

double ParseDecimal(std::string_view text) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++i;

    // The significant digits and the power of ten that scales them.
    std::string digits;
    long long power = 0;
    bool point = false, dropped = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.') {
            point = true;
        } else if (c < '0' || c > '9') {
            break;
        } else if (digits.empty() && c == '0') {
            if (point) --power;
        } else if (digits.size() < kKeptDigits) {
            digits.push_back(c);
            if (point) --power;
        } else {
            dropped |= c != '0';
            if (!point) ++power;
        }
    }
    if (i < text.size()) {  // the exponent
        ++i;
        const bool below = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
        long long exponent = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            if (exponent < 100000000) exponent = exponent * 10 + (text[i] - '0');
        power += below ? -exponent : exponent;
    }

    double magnitude = 0;
    if (!digits.empty()) {
        if (dropped) {  // stands for the dropped digits; cannot make a halfway case
            digits.push_back('1');
            --power;
        }
        // 10^(order - 1) <= value < 10^order
        const long long order = static_cast<long long>(digits.size()) + power;
        if (order > 310) magnitude = std::numeric_limits<double>::infinity();
        else if (order >= -330) magnitude = Nearest(digits, static_cast<int>(power));
    }
    return negative ? -magnitude : magnitude;
}

}  // namespace mevra
