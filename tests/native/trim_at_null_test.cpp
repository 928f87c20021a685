#include <gtest/gtest.h>
#include <string>
#include "base/TrimAtNull.h"

using namespace std::string_literals;

TEST(TrimAtNull, CutsAtFirstNulAndDropsTrailingSpacesOnly) {
    struct Case { std::string in, out; } cases[] = {
        {"abc\0def"s, "abc"},
        {"abc   ", "abc"},
        {"\0abc"s, ""},
        {"", ""},
        {"abc\t", "abc\t"},          // tabs stay
        {"  abc", "  abc"},          // leading blanks stay
        {"ab c \0 x"s, "ab c"},
        {std::string(256, '\0'), ""},  // an untouched reply buffer
        {"   ", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(mevra::TrimAtNull(c.in), c.out) << c.in;
}
