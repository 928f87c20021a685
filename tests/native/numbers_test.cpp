#include <gtest/gtest.h>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include "base/Numbers.h"

using namespace mevra;
using namespace std::string_literals;

TEST(Numbers, RoundsHalvesToTheEvenNeighbour) {
    struct Case { double in, out; } cases[] = {
        {82.5, 82}, {83.5, 84}, {0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {-3.5, -4},
        {82.501, 83}, {82.499, 82}, {3599.5, 3600}, {1e300, 1e300}, {7, 7},
    };
    for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
    EXPECT_FALSE(std::signbit(RoundHalfEven(-0.4))) << "no negative zero";
}

TEST(Numbers, NarrowingChecksTheRangeInsteadOfWrapping) {
    EXPECT_EQ(ToInt32(2147483647.0), 2147483647);
    EXPECT_EQ(ToInt32(-2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ToInt32(std::int64_t{-5}), -5);
    for (double bad : {2147483648.0, -2147483649.0, 1e300, std::nan(""),
                       std::numeric_limits<double>::infinity()})
        EXPECT_THROW(ToInt32(bad), OverflowError) << bad;
    EXPECT_THROW(ToInt32(std::int64_t{2147483648LL}), OverflowError);

    EXPECT_EQ(ToInt16(32767.0), 32767);
    EXPECT_EQ(ToInt16(std::int64_t{-32768}), -32768);
    EXPECT_THROW(ToInt16(32768.0), OverflowError);
    EXPECT_THROW(ToInt16(std::int64_t{-32769}), OverflowError);
}

TEST(Numbers, CheckedArithmeticThrowsAtTheEdges) {
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    const std::int32_t min = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(CheckedAdd32(max - 1, 1), max);
    EXPECT_THROW(CheckedAdd32(max, 1), OverflowError);
    EXPECT_EQ(CheckedSub32(min + 1, 1), min);
    EXPECT_THROW(CheckedSub32(min, 1), OverflowError);
    EXPECT_THROW(CheckedSub32(0, min), OverflowError);
    EXPECT_EQ(CheckedMul32(2147483, 1000), 2147483000);
    EXPECT_THROW(CheckedMul32(2147484, 1000), OverflowError);
    EXPECT_THROW(CheckedMul32(-2147484, 1000), OverflowError);
    EXPECT_EQ(CheckedMul16(546, 60), 32760);
    EXPECT_THROW(CheckedMul16(547, 60), OverflowError);
    EXPECT_THROW(CheckedMul16(-547, 60), OverflowError);
}

TEST(Numbers, LeadingNumberReadsWhatStartsTheText) {
    struct Case { std::string in; double out; } cases[] = {
        {"83400", 83400}, {"  12.5abc", 12.5}, {"\t\n 7", 7}, {"1 2 3", 123},
        {"abc", 0}, {"", 0}, {"-5", -5}, {"+8", 8}, {"1E3", 1000}, {"1D2", 100},
        {"2e", 2}, {"3e+", 3}, {".5", 0.5}, {"5.", 5}, {"12\0 34"s, 12},
        {"+", 0}, {"-.", 0}, {"7:30", 7}, {std::string(256, '\0'), 0}, {"1,5", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(LeadingNumber(c.in), c.out) << c.in;
    EXPECT_THROW(LeadingNumber("1e999"), OverflowError);
}

TEST(Numbers, WholeNumberFailsUnlessTheTextIsANumber) {
    struct Case { std::string in; std::optional<double> out; } cases[] = {
        {"83400", 83400.0}, {" 42 ", 42.0}, {"1.5", 1.5}, {"-3", -3.0},
        {"12\0junk"s, 12.0}, {"1e3", 1000.0},
        {"12abc", std::nullopt}, {"", std::nullopt}, {"   ", std::nullopt},
        {"1 2", std::nullopt}, {"1e999", std::nullopt}, {"0:01:02", std::nullopt},
        {std::string(256, '\0'), std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(WholeNumber(c.in), c.out) << c.in;
}

TEST(Numbers, ShortestTextUsesTheGivenSeparator) {
    struct Case { double in; std::string sep, out; } cases[] = {
        {100, ".", "100"}, {12.5, ",", "12,5"}, {12.5, ".", "12.5"}, {0, ",", "0"},
        {-0.0, ".", "0"}, {33.3, ".", "33.3"}, {0.1 + 0.2, ".", "0.3"},
        {-7.25, ",", "-7,25"}, {123456789012345.0, ".", "123456789012345"},
        {1e20, ".", "1E+20"}, {2.5e-20, ",", "2,5E-20"}, {0.001, ".", "0.001"},
        {83, ",", "83"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatShortest(c.in, c.sep), c.out) << c.in;
    EXPECT_THROW(FormatShortest(std::numeric_limits<double>::infinity(), "."), OverflowError);
    EXPECT_THROW(FormatShortest(std::nan(""), "."), OverflowError);
}

TEST(Numbers, TwoDigitPattern) {
    struct Case { double in; std::string out; } cases[] = {
        {7, "07"}, {0, "00"}, {45, "45"}, {120, "120"}, {-5, "-05"}, {32820, "32820"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatTwoDigits(c.in), c.out) << c.in;
}
