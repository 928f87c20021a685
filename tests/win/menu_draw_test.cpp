// Owner-drawn items measured and drawn into a memory DC, checked pixel by pixel.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "menu_support.h"

namespace mevra {
namespace {

using test::Surface;

constexpr UINT kOpen = 10, kPlay = 11, kLoop = 12, kStop = 13, kExit = 14, kSeparator = 0;
constexpr int kW = 170;  // item width used for drawing
constexpr COLORREF kNavy = RGB(10, 36, 106), kFill = RGB(182, 189, 210);
constexpr COLORREF kRed = RGB(255, 0, 0), kSteel = RGB(58, 110, 165);

class MenuDraw : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        texture_ = new test::Texture();
        hwnd_ = test::MakeHiddenWindow();
        menu_ = CreatePopupMenu();
        AppendMenuA(menu_, MF_STRING, kOpen, "Open\tCtrl+O");
        AppendMenuA(menu_, MF_STRING, kPlay, "Play");
        AppendMenuA(menu_, MF_STRING | MF_CHECKED, kLoop, "Loop");
        AppendMenuA(menu_, MF_STRING | MF_GRAYED, kStop, "Stop");
        AppendMenuA(menu_, MF_SEPARATOR, kSeparator, nullptr);
        AppendMenuA(menu_, MF_STRING, kExit, "Exit");
        HookMenus(hwnd_, true);
        test::ApplyProgramSettings(texture_->bitmap());
        SendMessageA(hwnd_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu_), 0);
    }
    static void TearDownTestSuite() {
        UnhookMenus(hwnd_);
        DestroyMenu(menu_);
        DestroyWindow(hwnd_);
        delete texture_;
    }
    void TearDown() override {
        modmenu().MenuStyle = 1;
        modmenu().MenuCustomStyle = false;
    }

    // Sends WM_DRAWITEM for an item placed at (left, top) of the surface.
    static void Draw(Surface& s, UINT id, UINT state, int left, int top, int h,
                     ULONG_PTR data = 0) {
        DRAWITEMSTRUCT di{};
        di.CtlType = ODT_MENU;
        di.itemID = id;
        di.itemAction = ODA_DRAWENTIRE;
        di.itemState = state;
        di.hwndItem = reinterpret_cast<HWND>(menu_);
        di.hDC = s.dc();
        di.rcItem = {left, top, left + kW, top + h};
        di.itemData = data;
        EXPECT_EQ(SendMessageA(hwnd_, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&di)), 0);
    }

    static SIZE Extent(HDC dc, const char* text) {
        HFONT font = CreateMenuFont(dc);
        HGDIOBJ old = SelectObject(dc, font);
        SIZE s{};
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &s);
        SelectObject(dc, old);
        DeleteObject(font);
        return s;
    }

    // Pixels of a 16 x 16 picture resource, and whether its mask makes them opaque.
    struct Picture {
        COLORREF colour[16][16];
        bool opaque[16][16];
    };
    static Picture LoadPictureResource(const char* image, const char* mask) {
        Picture p{};
        Surface a(16, 16), b(16, 16);
        for (auto [name, s] : {std::pair{image, &a}, std::pair{mask, &b}}) {
            HBITMAP bmp = LoadBitmapA(GetModuleHandleA(nullptr), name);
            HDC dc = CreateCompatibleDC(s->dc());
            HGDIOBJ old = SelectObject(dc, bmp);
            BitBlt(s->dc(), 0, 0, 16, 16, dc, 0, 0, SRCCOPY);
            SelectObject(dc, old);
            DeleteDC(dc);
            DeleteObject(bmp);
        }
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                p.colour[y][x] = a.Pixel(x, y);
                p.opaque[y][x] = b.Pixel(x, y) == RGB(0, 0, 0);
            }
        return p;
    }

    static int CountColour(const Surface& s, COLORREF c, int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += s.Pixel(x, y) == c;
        return n;
    }

    static test::Texture* texture_;
    static HWND hwnd_;
    static HMENU menu_;
};
test::Texture* MenuDraw::texture_ = nullptr;
HWND MenuDraw::hwnd_ = nullptr;
HMENU MenuDraw::menu_ = nullptr;

TEST_F(MenuDraw, TextureUnderAnUnselectedItemAndTheStripLeftOfIt) {
    Surface s(200, 40);
    const int left = 4, top = 10, h = 22;
    Draw(s, kPlay, 0, left, top, h);
    for (int y = top; y < top + h; ++y) {
        for (int x = 0; x < left; ++x)  // the 4-pixel strip, drawn straight on the target
            ASSERT_EQ(s.Pixel(x, y), texture_->At(x, y)) << x << "," << y;
        for (int x = left; x < left + 28; ++x)  // the band left of the picture cell
            ASSERT_EQ(s.Pixel(x, y), texture_->At(x, y)) << x << "," << y;
        for (int x = left + kW - 5; x < left + kW; ++x)
            ASSERT_EQ(s.Pixel(x, y), texture_->At(x, y)) << x << "," << y;
    }
    // Nothing outside the item's rows is touched.
    for (int x = 0; x < left + kW; ++x) {
        EXPECT_EQ(s.Pixel(x, top - 1), RGB(255, 0, 255));
        EXPECT_EQ(s.Pixel(x, top + h), RGB(255, 0, 255));
    }
    // The picture: opaque pixels of the image, texture through the transparent ones.
    const Picture play = LoadPictureResource(MAKEINTRESOURCEA(IDB_PLAY), MAKEINTRESOURCEA(IDB_PLAY_MASK));
    const int px = left + 30, py = top + 3;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(s.Pixel(px + x, py + y),
                      play.opaque[y][x] ? play.colour[y][x] : texture_->At(px + x, py + y))
                << x << "," << y;
    // The caption in the text colour, on its text background (the mode stays opaque).
    EXPECT_GT(CountColour(s, RGB(16, 0, 16), left + 52, top, left + kW, top + h), 10);
    EXPECT_GT(CountColour(s, kSteel, left + 52, top, left + kW, top + h), 10);
    EXPECT_EQ(CountColour(s, kFill, 0, 0, 200, 40), 0);
}

TEST_F(MenuDraw, StyleOneSelectionFrameAndFill) {
    Surface s(200, 30);
    const int left = 3, top = 2, h = 22;
    Draw(s, kExit, ODS_SELECTED, left, top, h);
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(s.Pixel(left + 24, top + y), kNavy) << y;
        EXPECT_EQ(s.Pixel(left + kW - 1, top + y), kNavy) << y;
        EXPECT_EQ(s.Pixel(left + 23, top + y), texture_->At(left + 23, top + y)) << y;
    }
    for (int x = 24; x < kW; ++x) {
        EXPECT_EQ(s.Pixel(left + x, top), kNavy) << x;
        EXPECT_EQ(s.Pixel(left + x, top + h - 1), kNavy) << x;
    }
    for (int y = 1; y < h - 1; ++y) {
        EXPECT_EQ(s.Pixel(left + 25, top + y), kFill) << y;
        EXPECT_EQ(s.Pixel(left + kW - 2, top + y), kFill) << y;
    }
    // Selected text: blue on the fill, so no text background shows.
    EXPECT_GT(CountColour(s, RGB(0, 0, 255), left + 52, top, left + kW, top + h), 10);
    EXPECT_EQ(CountColour(s, kSteel, 0, 0, 200, 30), 0);
}

TEST_F(MenuDraw, OtherStyleStartsRightOfThePictureCell) {
    modmenu().MenuStyle = 0;
    const int h = 22;
    {
        Surface s(200, 30);
        Draw(s, kPlay, ODS_SELECTED, 0, 0, h);
        EXPECT_EQ(s.Pixel(49, 0), kFill);
        EXPECT_EQ(s.Pixel(kW - 1, h - 1), kFill);
        EXPECT_EQ(CountColour(s, kNavy, 49, 0, kW, h), 0);  // no frame
        // The raised box around the picture cell stays visible.
        EXPECT_EQ(s.Pixel(28, h / 2), GetSysColor(COLOR_3DHILIGHT));
        EXPECT_EQ(s.Pixel(47, h / 2), GetSysColor(COLOR_3DSHADOW));
        EXPECT_EQ(s.Pixel(48, h / 2), texture_->At(48, h / 2));
    }
    {
        Surface s(200, 30);
        Draw(s, kExit, ODS_SELECTED, 0, 0, h);
        EXPECT_EQ(s.Pixel(29, 0), kFill);
        EXPECT_EQ(s.Pixel(28, 0), texture_->At(28, 0));
    }
}

TEST_F(MenuDraw, CheckedItemShowsTheTickInTheCheckColour) {
    const Picture tick = LoadPictureResource("CHECKED", "CHECKED");
    int inked = 0;
    for (auto& row : tick.opaque)
        for (bool b : row) inked += b;
    ASSERT_GT(inked, 10);

    struct Case { UINT state; bool custom; COLORREF tickColour; bool overFill; };
    const Case cases[] = {
        {ODS_CHECKED, false, kRed, false},
        {ODS_CHECKED | ODS_SELECTED, false, kRed, true},
        {ODS_CHECKED, true, RGB(16, 0, 16), false},       // custom style: the text colour
        {ODS_CHECKED | ODS_SELECTED, true, kRed, true},
    };
    for (const Case& c : cases) {
        modmenu().MenuCustomStyle = c.custom;
        Surface s(200, 30);
        const int h = 22, py = 3;
        Draw(s, kLoop, c.state, 0, 0, h);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const COLORREF under = c.overFill ? kFill : texture_->At(30 + x, py + y);
                ASSERT_EQ(s.Pixel(30 + x, py + y), tick.opaque[y][x] ? c.tickColour : under)
                    << "state " << c.state << " custom " << c.custom << " at " << x << "," << y;
            }
    }
}

TEST_F(MenuDraw, DisabledItemIsEmbossedAndNeverSelected) {
    const Picture stop = LoadPictureResource(MAKEINTRESOURCEA(IDB_STOP), MAKEINTRESOURCEA(IDB_STOP_MASK));
    std::set<COLORREF> pictureColours;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (stop.opaque[y][x]) pictureColours.insert(stop.colour[y][x]);

    for (UINT state : {UINT{ODS_DISABLED}, UINT{ODS_DISABLED | ODS_SELECTED}}) {
        Surface s(200, 30);
        const int h = 22;
        Draw(s, kStop, state, 0, 0, h);
        EXPECT_EQ(CountColour(s, kNavy, 0, 0, kW, h), 0) << state;
        EXPECT_EQ(CountColour(s, kFill, 0, 0, kW, h), 0) << state;
        EXPECT_EQ(s.Pixel(24, 5), texture_->At(24, 5));
        EXPECT_EQ(s.Pixel(kW - 2, 5), texture_->At(kW - 2, 5));
        // Picture and caption in the two emboss colours, none of the picture's own.
        int own = 0;
        for (int y = 3; y < 19; ++y)
            for (int x = 30; x < 46; ++x) own += pictureColours.count(s.Pixel(x, y)) != 0;
        EXPECT_EQ(own, 0) << state;
        EXPECT_GT(CountColour(s, GetSysColor(COLOR_3DSHADOW), 30, 3, 46, 19), 10) << state;
        EXPECT_GT(CountColour(s, GetSysColor(COLOR_3DHILIGHT), 30, 3, 47, 20), 5) << state;
        EXPECT_GT(CountColour(s, GetSysColor(COLOR_3DSHADOW), 52, 0, kW, h), 10) << state;
        EXPECT_EQ(CountColour(s, RGB(0, 0, 255), 0, 0, kW, h), 0) << state;
        EXPECT_EQ(CountColour(s, RGB(16, 0, 16), 0, 0, kW, h), 0) << state;
    }
}

TEST_F(MenuDraw, SeparatorIsAnEtchedLineFromTheMarginToWMinus5) {
    for (int h : {9, 8}) {
        Surface s(200, 30);
        const int top = 5, y = top + (h == 9 ? 4 : 3);  // nearest((h - 2) / 2)
        Draw(s, kSeparator, 0, 0, top, h);
        for (int x = 28; x <= kW - 6; ++x) {
            ASSERT_EQ(s.Pixel(x, y), GetSysColor(COLOR_3DSHADOW)) << h << " " << x;
            ASSERT_EQ(s.Pixel(x, y + 1), GetSysColor(COLOR_3DHILIGHT)) << h << " " << x;
        }
        EXPECT_EQ(s.Pixel(27, y), texture_->At(27, y));
        EXPECT_EQ(s.Pixel(kW - 5, y), texture_->At(kW - 5, y));
        EXPECT_EQ(s.Pixel(60, y - 1), texture_->At(60, y - 1));
        EXPECT_EQ(s.Pixel(60, y + 2), texture_->At(60, y + 2));
    }
}

TEST_F(MenuDraw, ShortcutTextEndsAtWMinus5) {
    Surface s(200, 30);
    const int left = 6, h = 22;
    Draw(s, kOpen, 0, left, 0, h);
    const SIZE sc = Extent(s.dc(), "Ctrl+O");
    ASSERT_GT(sc.cx, 0);
    // The shortcut's opaque text box spans exactly its extent.
    int rightmost = -1, leftmost = kW;
    for (int x = 100; x < kW; ++x)
        for (int y = 0; y < h; ++y)
            if (s.Pixel(left + x, y) != texture_->At(left + x, y)) {
                rightmost = std::max(rightmost, x);
                leftmost = std::min(leftmost, x);
            }
    EXPECT_EQ(rightmost, kW - 6);
    EXPECT_EQ(leftmost, kW - 5 - sc.cx);
}

TEST_F(MenuDraw, MeasuresWithAndWithoutPictures) {
    HDC dc = GetDC(hwnd_);
    const SIZE play = Extent(dc, "Play"), loop = Extent(dc, "Loop"), open = Extent(dc, "Open Ctrl+O");
    const SIZE none = Extent(dc, "");
    ReleaseDC(hwnd_, dc);
    ASSERT_GT(play.cy, 0);

    struct Case { UINT id; ULONG_PTR data; LONG cx, cy; };
    const Case cases[] = {
        {kPlay, 0, play.cx + 56, std::max<LONG>(16, play.cy) + 6},
        {kOpen, 0, open.cx + 56, std::max<LONG>(16, open.cy) + 6},
        {kLoop, 0, loop.cx + 56, loop.cy + 6},   // the tick is not counted
        {kPlay, 2, play.cx + 6, std::max<LONG>(16, play.cy) + 6},  // as a menu-bar item
        {999, 0, none.cx + 56, none.cy + 6},     // no stored text
    };
    for (const Case& c : cases) {
        MEASUREITEMSTRUCT mi{};
        mi.CtlType = ODT_MENU;
        mi.itemID = c.id;
        mi.itemData = c.data;
        EXPECT_EQ(SendMessageA(hwnd_, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mi)), 0);
        EXPECT_EQ(static_cast<LONG>(mi.itemWidth), c.cx) << c.id;
        EXPECT_EQ(static_cast<LONG>(mi.itemHeight), c.cy) << c.id;
        SIZE direct{};
        MeasureMenuItem(hwnd_, c.id, c.data, direct);
        EXPECT_EQ(direct.cx, c.cx);
        EXPECT_EQ(direct.cy, c.cy);
    }
    EXPECT_GE(std::max<LONG>(16, play.cy) + 6, 22);
}

TEST_F(MenuDraw, MenuFontIsTheSystemMenuFontScaledFromPoints) {
    NONCLIENTMETRICSA ncm{};
    ncm.cbSize = sizeof ncm;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0));
    HDC dc = GetDC(hwnd_);
    HFONT font = CreateMenuFont(dc);
    ASSERT_NE(font, nullptr);
    LOGFONTA lf{};
    GetObjectA(font, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, MenuFontHeight(ncm.lfMenuFont.lfHeight, GetDeviceCaps(dc, LOGPIXELSY)));
    EXPECT_STREQ(lf.lfFaceName, ncm.lfMenuFont.lfFaceName);
    EXPECT_EQ(lf.lfWeight, ncm.lfMenuFont.lfWeight);

    modmenu().MenuCustomStyle = true;
    modmenu().MenuFontName = "Arial";
    modmenu().MenuFontBold = true;
    modmenu().MenuFontItalic = true;
    HFONT custom = CreateMenuFont(dc);
    LOGFONTA cf{};
    GetObjectA(custom, sizeof cf, &cf);
    EXPECT_STREQ(cf.lfFaceName, "Arial");
    EXPECT_EQ(cf.lfWeight, ncm.lfMenuFont.lfWeight * 2);
    EXPECT_TRUE(cf.lfItalic);
    EXPECT_FALSE(cf.lfUnderline);
    modmenu().MenuFontName.clear();
    modmenu().MenuFontBold = modmenu().MenuFontItalic = false;
    DeleteObject(custom);
    DeleteObject(font);
    ReleaseDC(hwnd_, dc);
}

TEST_F(MenuDraw, NoGdiObjectOutlivesAThousandRequests) {
    Surface s(200, 30);
    const UINT states[] = {0, ODS_SELECTED, ODS_CHECKED, ODS_CHECKED | ODS_SELECTED,
                           ODS_DISABLED, ODS_DISABLED | ODS_CHECKED};
    const UINT ids[] = {kOpen, kPlay, kLoop, kStop, kSeparator, kExit};
    const unsigned long before = test::CountGdiObjects();
    for (int i = 0; i < 1000; ++i) {
        SIZE size{};
        const UINT id = ids[i % 6];
        MeasureMenuItem(hwnd_, id, 0, size);
        Draw(s, id, states[(i / 6) % 6], 4, 2, 22);
        if (i % 100 == 0) Draw(s, kPlay, 0, 4, 2, 22, 2);  // menu-bar items too
    }
    const unsigned long after = test::CountGdiObjects();
    std::printf("[ GDI      ] GetGuiResources %lu; live GDI objects before %lu, after 1000 "
                "measure-and-draw requests %lu\n",
                static_cast<unsigned long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)),
                before, after);
    ASSERT_GT(before, 0u) << "no way to count GDI objects here";
    EXPECT_EQ(after, before);

    // The count is sensitive to a single object left behind.
    HBRUSH leak = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(test::CountGdiObjects(), before + 1);
    DeleteObject(leak);
}

}  // namespace
}  // namespace mevra
