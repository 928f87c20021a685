#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

#include "dialogs/Form2.h"

namespace {

using mevra::Rect;

TEST(AboutText, FourLinesJoinedByCrLf) {
    EXPECT_EQ(mevra::AboutText(),
              "Mevra version " MEVRA_VERSION_TEXT "\r\n\r\n\r\nPublished by the Mevra developers");
}

TEST(TwipsToPixels, RoundsToNearestAtEachDpi) {
    struct Case { int twips, dpi, pixels; } cases[] = {
        {2985, 96, 199}, {3720, 96, 248},    // the box's client area
        {0, 96, 0},
        {7, 96, 0}, {8, 96, 1},              // 0.47 rounds down, 0.53 up
        {2985, 120, 249},                    // 248.75
        {3720, 120, 310},
        {255, 144, 26},                      // 25.5: halves go up
        {-8, 96, -1}, {-7, 96, 0},           // symmetric about zero
        {1440, 72, 72},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mevra::TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " @ " << c.dpi;
}

TEST(TwipsToPixels, ReportsResultsBeyond32Bits) {
    EXPECT_THROW(mevra::TwipsToPixels(INT_MAX, 2880), mevra::OverflowError);
    EXPECT_THROW(mevra::TwipsToPixels(INT_MIN, 2880), mevra::OverflowError);
    // The product overflows 32 bits but the result fits: no error.
    EXPECT_EQ(mevra::TwipsToPixels(INT_MAX, 96), 143165576);
}

TEST(TwipsBoxToPixels, ControlsAt96AndAt120Dpi) {
    struct Case { mevra::TwipsBox box; int dpiX, dpiY; Rect px; } cases[] = {
        {mevra::kLabel1Twips, 96, 96, {24, 8, 193, 97}},
        {mevra::kLabel2Twips, 96, 96, {104, 112, 193, 129}},
        {mevra::kCommand1Twips, 96, 96, {120, 200, 193, 241}},
        // 120 dpi: 30, 10, 211.25, 111.25 -> width and height kept on their own
        {mevra::kLabel1Twips, 120, 120, {30, 10, 241, 121}},
        // different horizontal and vertical resolutions
        {mevra::kCommand1Twips, 96, 192, {120, 400, 193, 482}},
    };
    for (const auto& c : cases) {
        const Rect r = mevra::TwipsBoxToPixels(c.box, c.dpiX, c.dpiY);
        EXPECT_EQ(std::vector<int>({r.left, r.top, r.right, r.bottom}),
                  std::vector<int>({c.px.left, c.px.top, c.px.right, c.px.bottom}))
            << c.box.left << "," << c.box.top << " @ " << c.dpiX << "x" << c.dpiY;
    }
}

// The About box at each scale: the controls keep inside the client area and apart.
TEST(TwipsBoxToPixels, AboutBoxLayoutAtEachScale) {
    for (const int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(dpi);
        const int w = mevra::TwipsToPixels(mevra::kAboutClientWidthTwips, dpi);
        const int h = mevra::TwipsToPixels(mevra::kAboutClientHeightTwips, dpi);
        EXPECT_NEAR(w, 199.0 * dpi / 96, 1.0);
        EXPECT_NEAR(h, 248.0 * dpi / 96, 1.0);
        const Rect label1 = mevra::TwipsBoxToPixels(mevra::kLabel1Twips, dpi, dpi);
        const Rect label2 = mevra::TwipsBoxToPixels(mevra::kLabel2Twips, dpi, dpi);
        const Rect close = mevra::TwipsBoxToPixels(mevra::kCommand1Twips, dpi, dpi);
        for (const Rect& r : {label1, label2, close}) {
            EXPECT_GE(r.left, 0);
            EXPECT_LE(r.right, w);
            EXPECT_LE(r.bottom, h);
        }
        EXPECT_LE(label1.bottom, label2.top);
        EXPECT_LE(label2.bottom, close.top);
    }
}

TEST(TwipsBoxToPixels, ReportsAnEdgeBeyond32Bits) {
    // Each part fits on its own, but left + width does not.
    const mevra::TwipsBox wide{INT_MAX, 0, INT_MAX, 10};
    EXPECT_THROW(mevra::TwipsBoxToPixels(wide, 1440, 1440), mevra::OverflowError);
}

TEST(CenteredOrigin, CentresAndKeepsOversizedWindowsOnScreen) {
    struct Case { int sw, sh, ww, wh, x, y; } cases[] = {
        {1024, 768, 205, 274, 409, 247},
        {1024, 768, 206, 275, 409, 246},   // odd spare pixel goes right and below
        {1024, 768, 1024, 768, 0, 0},
        {800, 600, 1000, 500, 0, 50},      // too wide: pinned to the left edge
        {800, 600, 300, 900, 250, 0},      // too tall: pinned to the top
    };
    for (const auto& c : cases) {
        const mevra::Origin o = mevra::CenteredOrigin(c.sw, c.sh, c.ww, c.wh);
        EXPECT_EQ(std::make_pair(o.x, o.y), std::make_pair(c.x, c.y))
            << c.sw << "x" << c.sh << " window " << c.ww << "x" << c.wh;
    }
}

}  // namespace
