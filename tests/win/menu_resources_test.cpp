// The pictures, icons and strings the program loads from its own resources.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

// A picture resource loaded as the program loads it (the files are palette bitmaps, the
// banner run-length coded), with its pixels read back as 24-bit RGB.
struct Dib {
    BITMAP info{};
    HBITMAP handle = nullptr;
    std::vector<unsigned char> rgb;  // bottom-up rows of 24-bit pixels
    int stride = 0;
    explicit Dib(LPCSTR name)
        : handle(static_cast<HBITMAP>(LoadImageA(Self(), name, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR))) {
        if (!handle) return;
        GetObjectA(handle, sizeof info, &info);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = info.bmWidth;
        bi.bmiHeader.biHeight = info.bmHeight;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        stride = (info.bmWidth * 3 + 3) & ~3;
        rgb.resize(static_cast<size_t>(stride) * info.bmHeight);
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, handle, 0, info.bmHeight, rgb.data(), &bi, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
    }
    ~Dib() { DeleteObject(handle); }
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;
    COLORREF At(int x, int y) const {
        const unsigned char* row = rgb.data() + (info.bmHeight - 1 - y) * stride;
        return RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
    }
};

TEST(MenuResources, HotkeyTipsAreStoredExactly) {
    const char* expected[] = {
        "FForward         Ctrl + Right Arrow  ",
        "FRewind           Ctrl + Left Arrow     ",
        "Stop                 Ctrl + S ",
        "Play                  Ctrl + P ",
        "Mute                 Ctrl + M",
        "Open                Ctrl + O  ",
        "Hide Desktop    Shift+Del",
        "Show Desktop  Shift+Ins",
    };
    for (int id = IDS_TIP_FIRST; id <= IDS_TIP_LAST; ++id) {
        char buf[256] = {};
        const int n = LoadStringA(Self(), id, buf, sizeof buf);
        EXPECT_EQ(std::string(buf, n), expected[id - IDS_TIP_FIRST]) << id;
    }
    char none[8] = {};
    EXPECT_EQ(LoadStringA(Self(), IDS_TIP_LAST + 1, none, sizeof none), 0);
}

TEST(MenuResources, MenuPicturesAreSixteenPixelImageAndMaskPairs) {
    for (int id = IDB_OPEN; id <= IDB_STOP_MASK; id += 2) {
        Dib image(MAKEINTRESOURCEA(id)), mask(MAKEINTRESOURCEA(id + 1));
        ASSERT_NE(image.handle, nullptr) << id;
        ASSERT_NE(mask.handle, nullptr) << id + 1;
        for (const Dib* d : {&image, &mask}) {
            EXPECT_EQ(d->info.bmWidth, 16) << id;
            EXPECT_EQ(d->info.bmHeight, 16) << id;
        }
        int opaque = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const COLORREF m = mask.At(x, y);
                ASSERT_TRUE(m == RGB(0, 0, 0) || m == RGB(255, 255, 255)) << id << " " << x << "," << y;
                // Transparent pixels are white in the image, so the AND step keeps the background.
                if (m == RGB(255, 255, 255)) {
                    ASSERT_EQ(image.At(x, y), RGB(255, 255, 255)) << id << " " << x << "," << y;
                } else {
                    ++opaque;
                }
            }
        EXPECT_GT(opaque, 40) << "picture " << id << " is nearly empty";
        EXPECT_LT(opaque, 256) << "picture " << id << " covers its whole cell";
    }
}

TEST(MenuResources, CheckGlyphIsABlackTickOnWhite) {
    Dib tick("checked");  // found by name, in any case
    ASSERT_NE(tick.handle, nullptr);
    EXPECT_EQ(tick.info.bmWidth, 16);
    EXPECT_EQ(tick.info.bmHeight, 16);
    int black = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const COLORREF c = tick.At(x, y);
            ASSERT_TRUE(c == RGB(0, 0, 0) || c == RGB(255, 255, 255));
            black += c == RGB(0, 0, 0);
        }
    EXPECT_GT(black, 20);
    EXPECT_LT(black, 80);
}

TEST(MenuResources, TextureAndBannerSizes) {
    const struct { int id, w, h; } pictures[] = {{IDB_IMAGE1, 201, 250}, {IDB_PICTURE2, 407, 35}};
    for (const auto& p : pictures) {
        Dib d(MAKEINTRESOURCEA(p.id));
        ASSERT_NE(d.handle, nullptr) << p.id;
        EXPECT_EQ(d.info.bmWidth, p.w);
        EXPECT_EQ(d.info.bmHeight, p.h);
    }
    // The texture is light enough for dark text: every pixel well above mid-grey.
    Dib tex(MAKEINTRESOURCEA(IDB_IMAGE1));
    int darkest = 255;
    for (int y = 0; y < 250; ++y)
        for (int x = 0; x < 201; ++x) {
            const COLORREF c = tex.At(x, y);
            darkest = std::min(darkest, (GetRValue(c) * 3 + GetGValue(c) * 6 + GetBValue(c)) / 10);
        }
    EXPECT_GT(darkest, 200);
}

TEST(MenuResources, IconsInBothSizes) {
    for (int id : {IDI_MEVRA, IDI_ABOUT}) {
        for (int size : {16, 32}) {
            HICON icon = static_cast<HICON>(
                LoadImageA(Self(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(icon, nullptr) << id << " " << size;
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP bm{};
            GetObjectA(info.hbmColor, sizeof bm, &bm);
            EXPECT_EQ(bm.bmWidth, size) << id;
            EXPECT_EQ(bm.bmHeight, size) << id;
            BITMAP mask{};
            GetObjectA(info.hbmMask, sizeof mask, &mask);
            EXPECT_EQ(mask.bmWidth, size) << id;  // an AND mask is present
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

}  // namespace
