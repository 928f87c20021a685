#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include "base/DecimalText.h"

using namespace mevra;

namespace {

std::string Printf(const char* pattern, int precision, double value) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, pattern, precision, value);
    return buffer;
}

std::string Exponent(double value, int count) {
    SignificantDigits d = RoundToSignificant(value, count);
    return d.digits + "E" + std::to_string(d.exponent);
}

}  // namespace

TEST(DecimalText, FixedRoundsHalvesToEvenAndKeepsTheSign) {
    struct Case { double in; int places; const char* out; } cases[] = {
        {0.5, 0, "0"}, {1.5, 0, "2"}, {2.5, 0, "2"}, {0.125, 2, "0.12"}, {0.375, 2, "0.38"},
        {100000000000000.5, 0, "100000000000000"}, {100000000000001.5, 0, "100000000000002"},
        {0.1, 20, "0.10000000000000000555"}, {-0.001, 2, "-0.00"}, {-0.0, 0, "-0"},
        {0, 3, "0.000"}, {9.995, 2, "9.99"}, {9.9951, 2, "10.00"}, {1e-15, 29, "0.00000000000000100000000000000"},
        {1e22, 0, "10000000000000000000000"}, {1e23, 0, "99999999999999991611392"},
        {5e-324, 0, "0"}, {-3599.5, 0, "-3600"},
    };
    for (const auto& c : cases) EXPECT_EQ(FixedText(c.in, c.places), c.out) << c.in;
    EXPECT_EQ(FixedText(std::numeric_limits<double>::max(), 0).size(), 309u);
}

TEST(DecimalText, SignificantDigitsCarryIntoTheExponent) {
    struct Case { double in; const char* out; } cases[] = {
        {1e20, "100000000000000E20"}, {-2.5e-20, "250000000000000E-20"},
        {9.999999999999999e22, "100000000000000E23"}, {1e15, "100000000000000E15"},
        {999999999999999.4, "999999999999999E14"}, {999999999999999.5, "100000000000000E15"},
        {5e-324, "494065645841247E-324"}, {1.7976931348623157e308, "179769313486232E308"},
        {2.2250738585072014e-308, "222507385850720E-308"}, {0.30000000000000004, "300000000000000E-1"},
    };
    for (const auto& c : cases) EXPECT_EQ(Exponent(c.in, 15), c.out) << c.in;
    EXPECT_EQ(Exponent(0.5, 1), "5E-1");
    EXPECT_EQ(Exponent(0.25, 1), "2E-1") << "a halfway case goes to the even digit";
}

TEST(DecimalText, ParsesToTheNearestDouble) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case { std::string in; double out; } cases[] = {
        {"0", 0}, {"-0", -0.0}, {"+0.000", 0}, {"12.5", 12.5}, {".5", 0.5}, {"5.", 5},
        {"1D2", 100}, {"1d-2", 0.01}, {"1e+3", 1000}, {"-7.25E0", -7.25},
        {"0.1", 0.1}, {"3.14159265358979323846", 3.141592653589793},
        {"9007199254740993", 9007199254740992.0},  // halfway: to the even mantissa
        {"9007199254740995", 9007199254740996.0},
        {"9007199254740993.0000000000000000000001", 9007199254740994.0},
        {"2.2250738585072011e-308", 2.2250738585072009e-308},
        {"4.9406564584124654e-324", 5e-324}, {"2.4703282292062327e-324", 0},
        {"2.4703282292062328e-324", 5e-324}, {"1e-400", 0}, {"-1e-400", -0.0},
        {"1.7976931348623157e308", 1.7976931348623157e308},
        {"1.7976931348623158e308", 1.7976931348623157e308},
        {"1.797693134862315807938e308", inf}, {"1e309", inf}, {"-1e99999999999", -inf},
        {"0e99999999999", 0}, {"000000000000000000000000000123", 123},
        {"0." + std::string(400, '0') + "1e401", 1},
        {std::string(500, '1') + "e-500", 1.0 / 9},
        {"1" + std::string(900, '0') + "e-900", 1},
    };
    for (const auto& c : cases) {
        const double got = ParseDecimal(c.in);
        EXPECT_EQ(got, c.out) << c.in;
        EXPECT_EQ(std::signbit(got), std::signbit(c.out)) << c.in;
    }
}

// The C library on Linux rounds exactly; these must agree with it everywhere.
TEST(DecimalText, AgreesWithTheCLibraryOnRandomValues) {
    std::mt19937_64 random(12);
    for (int i = 0; i < 20000; ++i) {
        std::uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (i % 2 && std::isnormal(value)) value = std::ldexp(value, -std::ilogb(value) + static_cast<int>(random() % 120) - 60);
        if (i % 7 == 0) value = std::round(value * 1000) / 1000;
        if (!std::isfinite(value) || value == 0) continue;
        const std::string e = Printf("%.*E", 14, value);
        ASSERT_EQ(Exponent(value, 15), e.substr(e[0] == '-', 1) + e.substr(e[0] == '-' ? 3 : 2, 14) +
                  "E" + std::to_string(std::atoi(e.c_str() + e.find('E') + 1))) << e;
        const int places = static_cast<int>(random() % 31);
        if (std::fabs(value) < 1e30) {
            ASSERT_EQ(FixedText(value, places), Printf("%.*f", places, value));
        }
        const std::string g = Printf("%.*g", static_cast<int>(random() % 25) + 1, value);
        ASSERT_EQ(ParseDecimal(g), std::strtod(g.c_str(), nullptr)) << g;
        // The exact halfway point to the next double (a long double holds it here).
        char mid[900];
        const double next = std::nextafter(value, 2 * value);
        if (std::isfinite(next) && i % 20 == 0) {
            std::snprintf(mid, sizeof mid, "%.800Le", (static_cast<long double>(value) + next) / 2);
            ASSERT_EQ(ParseDecimal(mid), std::strtod(mid, nullptr)) << mid;
        }
    }
}
