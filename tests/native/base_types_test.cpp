#include <gtest/gtest.h>
#include "base/Types.h"

TEST(Types, RgbPacksBlueHighRedLow) {
    EXPECT_EQ(mevra::Rgb(16, 0, 16), 0x100010u);
    EXPECT_EQ(mevra::Rgb(10, 36, 106), 0x6A240Au);
}
