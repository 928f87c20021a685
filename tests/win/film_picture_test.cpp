// The film's picture, seen on screen: played by the player onto a desktop window of this
// process (Wine draws a child window only when its parent is in the same process).
// With MEVRA_SHOTS set to a folder, the desktop as shown is also saved there as
// film-on-desktop.bmp, for the README.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>
#include "media/Korvane.h"
#include "media/MediaApiWin.h"

namespace mevra {
namespace {

constexpr COLORREF kDesktopColour = RGB(16, 0, 16);
constexpr int kWidth = 640, kHeight = 480;
constexpr std::int32_t kMargin = 64;

std::string WindowsPath(const char* unixDir, const std::string& name) {
    std::string path = std::string("Z:") + (unixDir ? unixDir : "") + "/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(10);
    } while (GetTickCount() - start < ms);
}

LRESULT CALLBACK DesktopProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        HBRUSH b = CreateSolidBrush(kDesktopColour);
        FillRect(reinterpret_cast<HDC>(wp), &rc, b);
        DeleteObject(b);
        return 1;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The screen's pixels under a window, as 0x00RRGGBB values, row by row.
std::vector<DWORD> Capture(HWND hwnd, int& w, int& h) {
    RECT rc;
    GetWindowRect(hwnd, &rc);
    w = rc.right - rc.left;
    h = rc.bottom - rc.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + w * h);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    for (DWORD& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

void SaveBmp(const std::string& path, const std::vector<DWORD>& pixels, int w, int h) {
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof(ih);
    ih.biWidth = w;
    ih.biHeight = -h;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    const DWORD bytes = static_cast<DWORD>(pixels.size() * 4);
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + bytes;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD done = 0;
    WriteFile(f, &fh, sizeof(fh), &done, nullptr);
    WriteFile(f, &ih, sizeof(ih), &done, nullptr);
    WriteFile(f, pixels.data(), bytes, &done, nullptr);
    CloseHandle(f);
}

TEST(FilmPicture, PlaysVisiblyOnTheDesktopWindow) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DesktopProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MevraPictureTestDesktop";
    RegisterClassA(&wc);
    HWND desktop = CreateWindowExA(0, wc.lpszClassName, "Program Manager",
                                   WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, kWidth, kHeight,
                                   nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(desktop, nullptr);
    Pump(300);

    KORVANECLASS player(Win32Mci(), Win32MediaSystem());
    player.SethwndParent(reinterpret_cast<Hwnd>(desktop));
    player.SetFilename(WindowsPath(std::getenv("MEVRA_TEST_DATA"), "clip.avi"));
    const OpenResult opened = player.PlayMEDIAFILE();
    ASSERT_EQ(opened.code, 0u) << opened.text;
    // Windows stretches the film over the whole window; a margin keeps a frame of
    // desktop around it. (Wine's "put window" moves nothing: the film keeps its size.)
    std::int32_t fullWidth = 0, fullHeight = 0;
    player.MoveVideoTo(reinterpret_cast<Hwnd>(desktop), 0, 0, fullWidth, fullHeight, kMargin);
    Pump(2500);

    int w = 0, h = 0;
    const std::vector<DWORD> pixels = Capture(desktop, w, h);
    player.setCommand(5);
    DestroyWindow(desktop);

    // The film's test pattern brings many colours; an empty desktop has one.
    std::set<DWORD> colours(pixels.begin(), pixels.end());
    size_t film = 0;
    for (DWORD p : pixels)
        if (p != 0x100010) ++film;
    EXPECT_GT(colours.size(), 50u) << "the film's picture does not show";
    EXPECT_GT(film, static_cast<size_t>(200 * 150)) << "too little of the desktop shows the film";
    EXPECT_LT(film, pixels.size()) << "the desktop colour does not show around the film";

    if (const char* shots = std::getenv("MEVRA_SHOTS"))
        SaveBmp(WindowsPath(shots, "film-on-desktop.bmp"), pixels, w, h);
}

}  // namespace
}  // namespace mevra
