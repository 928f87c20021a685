// Layout arithmetic and state decisions of the owner-drawn menu items.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "menus/MenuLayout.h"
#include "menus/MenuTables.h"

namespace mevra {
namespace {

bool Same(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
#define EXPECT_RECT(r, l, t, rt, b) EXPECT_PRED2(Same, r, (Rect{l, t, rt, b}))

TEST(MenuNearest, RoundsHalvesToEven) {
    const struct { double in; std::int32_t out; } cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2}, {-0.5, 0},
        {2.49, 2}, {2.51, 3}, {-2.51, -3}, {7.0, 7}, {0.0, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(Nearest(c.in), c.out) << c.in;
    EXPECT_EQ(Nearest(std::nan("")), 0);
    EXPECT_EQ(Nearest(1e12), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(Nearest(-1e12), std::numeric_limits<std::int32_t>::min());
}

TEST(MenuItemKeyTest, IdAndHandleAsSigned32BitDecimals) {
    EXPECT_EQ(MenuItemKey(3, 1968), "M3-1968");
    EXPECT_EQ(MenuItemKey(0, 0), "M0-0");
    EXPECT_EQ(MenuItemKey(0xFFFFFFFFu, 5), "M-1-5");
    EXPECT_EQ(MenuItemKey(0x80000000u, 7), "M-2147483648-7");
    EXPECT_EQ(MenuItemKey(666, static_cast<Hwnd>(0x7FFFFFFF)), "M666-2147483647");
    EXPECT_EQ(MenuItemKey(1, static_cast<Hwnd>(-2)), "M1--2");
    if (sizeof(Hwnd) == 8) {  // a 64-bit handle keeps its low 32 bits, as Windows guarantees
        EXPECT_EQ(MenuItemKey(1, static_cast<Hwnd>(0x100000010LL)), "M1-16");
    }
}

TEST(MenuItemText, SplitsAtTheFirstTabOnly) {
    const struct { const char* text; const char* caption; const char* shortcut; const char* measure; } cases[] = {
        {"Open\tCtrl+O", "Open", "Ctrl+O", "Open Ctrl+O"},
        {"Open", "Open", "", "Open"},
        {"A\tB\tC", "A", "B\tC", "A B\tC"},
        {"\tCtrl+X", "", "Ctrl+X", " Ctrl+X"},
        {"Stop\t", "Stop", "", "Stop "},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        const ItemText t = SplitItemText(c.text);
        EXPECT_EQ(t.caption, c.caption) << c.text;
        EXPECT_EQ(t.shortcut, c.shortcut) << c.text;
        EXPECT_EQ(MeasuringText(c.text), c.measure) << c.text;
    }
}

TEST(MenuConvertItem, OwnerDrawAndColumnBreak) {
    const struct { std::uint32_t type; const char* text; std::uint32_t newType; const char* stored; } cases[] = {
        {0x0, "Loop", 0x100, "Loop"},
        {0x0, "|Loop", 0x140, "Loop"},
        {0x0, "||x", 0x140, "|x"},
        {0x0, "a|b", 0x100, "a|b"},
        {0x800, "", 0x900, ""},        // separators stay separators
        {0x100, "Play", 0x100, "Play"},  // converting twice changes nothing
        {0x8, "x", 0x108, "x"},        // other type bits are kept
        {0x0, "|", 0x140, ""},
    };
    for (const auto& c : cases) {
        const ConvertedItem out = ConvertItem(c.type, c.text);
        EXPECT_EQ(out.type, c.newType) << c.text;
        EXPECT_EQ(out.text, c.stored) << c.text;
    }
}

TEST(MenuMeasure, WidthAndHeightRules) {
    const struct { Size32 text; std::int32_t picture; bool bar; Size32 out; } cases[] = {
        {{40, 16}, 0, false, {96, 22}},   // popup: cx + 56
        {{40, 16}, 0, true, {46, 22}},    // menu bar: cx + 6
        {{40, 13}, 16, false, {96, 22}},  // a picture makes the item at least 22 high
        {{40, 13}, 0, false, {96, 19}},   // checked items without picture: text alone
        {{0, 16}, 0, false, {56, 22}},    // separator or missing text
        {{10, 16}, 24, false, {66, 30}},
        {{0, 0}, 0, false, {56, 6}},
    };
    for (const auto& c : cases) {
        const Size32 s = MeasuredItemSize(c.text, c.picture, c.bar);
        EXPECT_EQ(s.cx, c.out.cx);
        EXPECT_EQ(s.cy, c.out.cy);
    }
    const Size32 huge = MeasuredItemSize({std::numeric_limits<std::int32_t>::max(), 1}, 0, false);
    EXPECT_EQ(huge.cx, std::numeric_limits<std::int32_t>::max());
}

TEST(MenuFont, HeightScaledFromPointsAndWeight) {
    EXPECT_EQ(MenuFontHeight(-12, 96), 16);
    EXPECT_EQ(MenuFontHeight(-11, 96), 15);   // 14.67
    EXPECT_EQ(MenuFontHeight(-13, 96), 17);   // 17.33
    EXPECT_EQ(MenuFontHeight(-15, 120), 20);  // metrics already at 120 dpi: read as points once
    EXPECT_EQ(MenuFontHeight(-12, 96, 144), 24);  // metrics at the system's 96, shown at 144
    EXPECT_EQ(MenuFontHeight(-3, 96, 84), 4);     // 3.5 goes to the even 4
    EXPECT_EQ(MenuFontHeight(-9, 96, 84), 10);    // 10.5 goes to the even 10
    EXPECT_EQ(MenuFontHeight(12, 96), -16);   // a positive lfHeight turns into a character height
    EXPECT_EQ(MenuFontWeight(400, false, true), 400);
    EXPECT_EQ(MenuFontWeight(400, true, true), 800);
    EXPECT_EQ(MenuFontWeight(400, true, false), 400);
}

TEST(MenuPopupLayout, PictureCaptionAndShortcutPositions) {
    PopupLayout l = LayoutPopupItem(150, 22, 28, 16, 16, 40);
    EXPECT_RECT(l.pictureCell, 28, 0, 48, 22);
    EXPECT_EQ(l.pictureX, 30);
    EXPECT_EQ(l.pictureY, 3);
    EXPECT_EQ(l.captionX, 52);
    EXPECT_EQ(l.textY, 3);
    EXPECT_EQ(l.shortcutX, 105);  // ends at w - 5

    l = LayoutPopupItem(150, 21, 28, 16, 14, 0);
    EXPECT_EQ(l.pictureY, 2);  // 2.5 -> 2
    EXPECT_EQ(l.textY, 4);     // 3.5 -> 4
    EXPECT_EQ(l.shortcutX, 145);

    l = LayoutPopupItem(100, 20, 10, 0, 13, 7);
    EXPECT_RECT(l.pictureCell, 10, 0, 30, 20);
    EXPECT_EQ(l.pictureX, 12);
    EXPECT_EQ(l.pictureY, 10);  // no picture: height 0
    EXPECT_EQ(l.captionX, 34);
    EXPECT_EQ(l.textY, 4);      // 3.5 -> 4
    EXPECT_EQ(l.shortcutX, 88);
}

TEST(MenuPopupLayout, SeparatorLine) {
    EXPECT_RECT(SeparatorEdgeRect(150, 22, 28), 28, 10, 145, 20);
    EXPECT_RECT(SeparatorEdgeRect(150, 9, 28), 28, 4, 145, 7);   // 3.5 -> 4
    EXPECT_RECT(SeparatorEdgeRect(150, 7, 28), 28, 2, 145, 5);   // 2.5 -> 2
    EXPECT_RECT(SeparatorEdgeRect(90, 6, 12), 12, 2, 85, 4);
}

TEST(MenuPopupLayout, SelectionRectanglesForBothStyles) {
    const struct { std::int32_t style, margin; bool picture; bool framed; Rect frame, fill; } cases[] = {
        {1, 28, false, true, {24, 0, 150, 22}, {25, 1, 149, 21}},
        {1, 28, true, true, {24, 0, 150, 22}, {25, 1, 149, 21}},
        {1, 10, true, true, {24, 0, 150, 22}, {25, 1, 149, 21}},  // style 1 ignores the margin
        {0, 28, false, false, {}, {29, 0, 150, 22}},
        {0, 28, true, false, {}, {49, 0, 150, 22}},
        {2, 28, true, false, {}, {49, 0, 150, 22}},
        {0, 10, false, false, {}, {11, 0, 150, 22}},
    };
    for (const auto& c : cases) {
        const SelectionRects s = LayoutSelection(c.style, c.margin, c.picture, 150, 22);
        EXPECT_EQ(s.framed, c.framed);
        if (c.framed) {
            EXPECT_PRED2(Same, s.frame, c.frame);
        }
        EXPECT_PRED2(Same, s.fill, c.fill) << "style " << c.style << " picture " << c.picture;
    }
}

// One popup item with a picture, laid out at each scale: the row grows with the scale,
// and the picture, the caption and the selection stay inside it and in order.
TEST(MenuPopupLayout, ScalesWithTheDisplay) {
    const struct { std::int32_t dpi, lfHeight, row, pictureCell, captionX, strip; } cases[] = {
        {96, -12, 22, 20, 52, 4}, {120, -15, 28, 25, 65, 5},
        {144, -18, 33, 30, 78, 6}, {192, -24, 44, 40, 104, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        const std::int32_t cell = MenuFontHeight(c.lfHeight, c.dpi);
        EXPECT_EQ(cell, ScaleForDpi(16, c.dpi));
        const std::int32_t picture = ScaleForDpi(PICTURE_SIZE, c.dpi);
        const Size32 size = MeasuredItemSize({60, cell}, picture, false, c.dpi);
        EXPECT_EQ(size.cy, c.row);
        const PopupLayout l = LayoutPopupItem(size.cx, size.cy, 28, picture, cell, 40, c.dpi);
        EXPECT_EQ(l.pictureCell.right - l.pictureCell.left, c.pictureCell);
        EXPECT_EQ(l.captionX, c.captionX);
        EXPECT_GE(l.pictureX, l.pictureCell.left);
        EXPECT_LE(l.pictureX + picture, l.pictureCell.right);
        EXPECT_GE(l.pictureY, 0);
        EXPECT_LE(l.pictureY + picture, size.cy);
        EXPECT_GE(l.textY, 0);  // the text fits its row
        EXPECT_LE(l.textY + cell, size.cy);
        EXPECT_GE(l.shortcutX, l.captionX + 60 - ScaleForDpi(56, c.dpi));
        const SelectionRects sel = LayoutSelection(2, 28, true, size.cx, size.cy, c.dpi);
        EXPECT_EQ(sel.fill.left, l.pictureCell.right + 1);
        const Rect edge = SeparatorEdgeRect(size.cx, size.cy, 28, c.dpi);
        EXPECT_EQ(edge.left, l.pictureCell.left);
        const Rect strip = LeftStrip({3, 0, 100, size.cy}, c.dpi);
        EXPECT_EQ(strip.right - strip.left, c.strip);
    }
    // Metrics that Windows gave at the system's 96 dpi, shown on a 144-dpi monitor.
    EXPECT_EQ(MenuFontHeight(-12, 96, 144), MenuFontHeight(-18, 144));
}

TEST(MenuPopupLayout, TexturedStripLeftOfTheItem) {
    EXPECT_TRUE(HasLeftStrip({3, 20, 150, 42}));
    EXPECT_RECT(LeftStrip({3, 20, 150, 42}), -1, 20, 3, 42);
    EXPECT_FALSE(HasLeftStrip({0, 0, 150, 22}));
    EXPECT_FALSE(HasLeftStrip({-5, 0, 150, 22}));
}

TEST(MenuBar, CentredCaptionAndGapEnd) {
    EXPECT_EQ(CentredOffset(60, 41), 10);  // 9.5 -> 10
    EXPECT_EQ(CentredOffset(60, 43), 8);   // 8.5 -> 8
    EXPECT_EQ(CentredOffset(20, 20), 0);
    EXPECT_EQ(CentredOffset(20, 30), -5);
    EXPECT_EQ(GapRightEnd(400, 1), 396);
    EXPECT_EQ(GapRightEnd(400, 2), 394);
}

TEST(MenuBar, GapRules) {
    const std::int32_t gapRight = 396;
    struct Case {
        const char* what;
        BarItemRecord last;
        Rect item;
        std::int32_t id, lastId;
        std::vector<Rect> fills;
    };
    const Case cases[] = {
        {"first item", {}, {0, 0, 50, 20}, 666, 668, {}},
        {"same row", {0, 0, 50, 20, 666}, {50, 0, 100, 20}, 667, 668, {}},
        {"new row, and the last item", {50, 0, 100, 20, 667}, {0, 20, 60, 40}, 668, 668,
         {{100, 0, 396, 20}, {60, 20, 396, 40}}},
        {"new row, not the next id", {50, 0, 100, 20, 666}, {0, 20, 60, 40}, 668, 670, {}},
        {"new row at the first id", {50, 0, 100, 20, 665}, {0, 20, 60, 40}, 666, 670, {}},
        {"no right edge stored", {0, 0, 0, 20, 667}, {0, 20, 60, 40}, 668, 670, {}},
        {"lower row drawn again", {0, 20, 60, 40, 668}, {0, 0, 50, 20}, 669, 670, {}},
        {"single item bar", {}, {0, 0, 50, 20}, 666, 666, {{50, 0, 396, 20}}},
    };
    for (const auto& c : cases) {
        const BarGaps g = ComputeBarGaps(c.last, c.item, c.id, c.lastId, gapRight);
        ASSERT_EQ(g.fills.size(), c.fills.size()) << c.what;
        for (std::size_t i = 0; i < c.fills.size(); ++i)
            EXPECT_PRED2(Same, g.fills[i], c.fills[i]) << c.what;
        EXPECT_EQ(g.last.id, c.id);
        EXPECT_EQ(g.last.left, c.item.left);
        EXPECT_EQ(g.last.top, c.item.top);
        EXPECT_EQ(g.last.right, c.item.right);
        EXPECT_EQ(g.last.bottom, c.item.bottom);
    }
}

TEST(MenuItemStates, DecisionsByState) {
    const ItemState all = DecodeItemState(0x4D);
    EXPECT_TRUE(all.selected && all.disabled && all.checked && all.hot);
    const ItemState none = DecodeItemState(0x2 | 0x10 | 0x100);  // grayed, focus, default: unused
    EXPECT_FALSE(none.selected || none.disabled || none.checked || none.hot);

    const struct { std::uint32_t bits; bool selection, box; std::uint32_t flags; BarLook bar; } cases[] = {
        {0x0, false, false, 0x2, BarLook::Plain},
        {0x1, true, true, 0x2, BarLook::Selected},
        {0x1 | 0x8, true, false, 0x2, BarLook::Selected},     // checked: the tick has no box
        {0x1 | 0x4, false, false, 0x22, BarLook::Plain},      // disabled: no selection, embossed
        {0x4 | 0x8, false, false, 0x22, BarLook::Plain},
        {0x40, false, false, 0x2, BarLook::Hot},
        {0x40 | 0x1, true, true, 0x2, BarLook::Hot},          // hot wins on the bar
    };
    for (const auto& c : cases) {
        const ItemState s = DecodeItemState(c.bits);
        EXPECT_EQ(DrawsSelection(s), c.selection) << c.bits;
        EXPECT_EQ(DrawsPictureBox(s), c.box) << c.bits;
        EXPECT_EQ(TextDrawFlags(s), c.flags) << c.bits;
        EXPECT_EQ(BarItemLook(s), c.bar) << c.bits;
    }
}

TEST(MenuItemStates, Colours) {
    const ColorRef red = Rgb(255, 0, 0), text = Rgb(16, 0, 16);
    const ItemState selected = DecodeItemState(0x1), plain{}, selectedDisabled = DecodeItemState(0x5);
    EXPECT_EQ(CheckGlyphColor(selected, false, red, text), red);
    EXPECT_EQ(CheckGlyphColor(selected, true, red, text), red);
    EXPECT_EQ(CheckGlyphColor(plain, false, red, text), red);
    EXPECT_EQ(CheckGlyphColor(plain, true, red, text), text);

    MenuColorSet c;
    TextColors t = PopupTextColors(selected, c, red);
    EXPECT_EQ(t.text, Rgb(0, 0, 255));
    EXPECT_EQ(t.back, Rgb(182, 189, 210));
    t = PopupTextColors(selectedDisabled, c, red);  // selected colours even when disabled
    EXPECT_EQ(t.text, Rgb(0, 0, 255));
    t = PopupTextColors(plain, c, red);
    EXPECT_EQ(t.text, Rgb(16, 0, 16));
    EXPECT_EQ(t.back, Rgb(58, 110, 165));
    EXPECT_EQ(PlainBarTextColor(c), Rgb(16, 0, 16));

    c.TextColor = 0;
    c.BarTextColor = Rgb(1, 2, 3);
    EXPECT_EQ(PopupTextColors(plain, c, red).text, red);  // falls back to the check colour
    EXPECT_EQ(PlainBarTextColor(c), Rgb(1, 2, 3));
}

TEST(MenuToolbar, ClassNameRule) {
    const struct { const char* name; bool toolbar; } cases[] = {
        {"msvb_lib_toolbar", true}, {"xtoolbar", true}, {"toolbar", false},
        {"toolbar_toolbar", false},  // the first match is at the start
        {"ToolbarWindow32", false}, {"MSVB_LIB_TOOLBAR", false}, {"", false}, {"Button", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsToolbarClass(c.name), c.toolbar) << c.name;
}

TEST(MenuTables, CaptionsKeepTheLastTextRead) {
    CaptionTable t;
    EXPECT_TRUE(t.Add("M1-5", "Open"));
    EXPECT_FALSE(t.Add("M1-5", "Other"));  // a duplicate addition fails and changes nothing
    EXPECT_EQ(t.Find("M1-5").value_or(""), "Open");
    t.Replace("M1-5", "Open\tCtrl+O");
    t.Replace("M2-5", "Play");  // replacing a missing key just adds it
    EXPECT_EQ(t.Find("M1-5").value_or(""), "Open\tCtrl+O");
    EXPECT_EQ(t.Count(), 2u);
    EXPECT_FALSE(t.Remove("M9-5"));
    EXPECT_FALSE(t.Find("M1-6").has_value());
    t.Clear();
    EXPECT_EQ(t.Count(), 0u);
}

TEST(MenuTables, BitmapsInInsertionOrderFirstWins) {
    BitmapTable t;
    EXPECT_TRUE(t.Add("Open", 101, 102));
    EXPECT_TRUE(t.Add("Mute", 105, 106));
    EXPECT_TRUE(t.Add("Play", 107, 108));
    EXPECT_FALSE(t.Add("Open", 1, 2));
    ASSERT_EQ(t.Count(), 3u);
    EXPECT_EQ(t.Items()[0].first, "Open");
    EXPECT_EQ(t.Items()[1].first, "Mute");
    EXPECT_EQ(t.Items()[2].first, "Play");
    ASSERT_NE(t.Find("Open"), nullptr);
    EXPECT_EQ(t.Find("Open")->image, 101);
    EXPECT_EQ(t.Find("Open")->mask, 102);
    EXPECT_EQ(t.Find("open"), nullptr);  // captions match exactly
    EXPECT_EQ(t.Find("Open\tCtrl+O"), nullptr);
}

}  // namespace
}  // namespace mevra
