#pragma once
// Shared pieces of the menu engine's Windows tests: a hidden window to hook,
// a 32-bit drawing surface whose pixels can be read, and the program's settings.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/Raii_win.h"
#include "menus/modmenu.h"
#include "resources/resource.h"
#include "shell/MenuStyle_win.h"

namespace mevra::test {

inline LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcA(h, m, w, l);
}

// A never-shown top-level window with a window menu, like the program's own.
inline HWND MakeHiddenWindow(const char* title = "menu test", WNDPROC proc = PlainProc) {
    static const char* kClass = "MevraMenuTestWindow";
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClass;
        RegisterClassA(&wc);
        registered = true;
    }
    HWND h = CreateWindowExA(WS_EX_TOOLWINDOW, kClass, title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (h && proc != PlainProc)
        SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    return h;
}

// A memory DC holding a 32-bit top-down DIB section, filled with a marker colour.
class Surface {
public:
    Surface(int w, int h, COLORREF fill = RGB(255, 0, 255)) : w_(w), h_(h) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
        old_ = SelectObject(dc_, bmp_);
        HBRUSH b = CreateSolidBrush(fill);
        RECT r{0, 0, w, h};
        FillRect(dc_, &r, b);
        DeleteObject(b);
    }
    ~Surface() {
        SelectObject(dc_, old_);
        DeleteObject(bmp_);
        DeleteDC(dc_);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    HDC dc() const { return dc_; }
    int width() const { return w_; }
    int height() const { return h_; }
    COLORREF Pixel(int x, int y) const {
        GdiFlush();
        const auto* p = static_cast<const unsigned char*>(bits_) + (y * w_ + x) * 4;
        return RGB(p[2], p[1], p[0]);
    }

private:
    int w_, h_;
    HDC dc_ = nullptr;
    HBITMAP bmp_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

// The menu texture as the program loads it, for comparing pixels.
// Writes a 32-bit surface as a BMP file, for a person to look at.
inline void SaveBmp(const Surface& s, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    const DWORD row = s.width() * 3 + ((4 - (s.width() * 3) % 4) % 4);
    const DWORD size = 54 + row * s.height();
    unsigned char head[54] = {'B', 'M'};
    auto put32 = [&](int at, DWORD v) { for (int i = 0; i < 4; ++i) head[at + i] = (v >> (8 * i)) & 0xFF; };
    put32(2, size); put32(10, 54); put32(14, 40); put32(18, s.width()); put32(22, s.height());
    head[26] = 1; head[28] = 24;
    std::fwrite(head, 1, 54, f);
    std::vector<unsigned char> line(row, 0);
    for (int y = s.height() - 1; y >= 0; --y) {
        for (int x = 0; x < s.width(); ++x) {
            const COLORREF c = s.Pixel(x, y);
            line[x * 3] = GetBValue(c); line[x * 3 + 1] = GetGValue(c); line[x * 3 + 2] = GetRValue(c);
        }
        std::fwrite(line.data(), 1, row, f);
    }
    std::fclose(f);
}

class Texture {
public:
    Texture() : bmp_(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_IMAGE1))) {
        BITMAP info{};
        GetObjectA(bmp_, sizeof info, &info);
        w_ = info.bmWidth;
        h_ = info.bmHeight;
        copy_ = new Surface(w_ > 0 ? w_ : 1, h_ > 0 ? h_ : 1);
        HDC src = CreateCompatibleDC(copy_->dc());
        HGDIOBJ old = SelectObject(src, bmp_);
        BitBlt(copy_->dc(), 0, 0, w_, h_, src, 0, 0, SRCCOPY);
        SelectObject(src, old);
        DeleteDC(src);
    }
    ~Texture() {
        delete copy_;
        DeleteObject(bmp_);
    }
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;
    HBITMAP bitmap() const { return bmp_; }
    int width() const { return w_; }
    int height() const { return h_; }
    // The texture colour that lands at x, y of a surface the pattern is aligned to.
    COLORREF At(int x, int y) const {
        return copy_->Pixel(((x % w_) + w_) % w_, ((y % h_) + h_) % h_);
    }

private:
    HBITMAP bmp_;
    int w_ = 0, h_ = 0;
    Surface* copy_ = nullptr;
};

// The settings and caption-to-picture table the program installs at start-up.
inline void ApplyProgramSettings(HBITMAP texture) {
    modmenu().MenuBitmaps.Clear();
    ApplyMenuStyle(texture);
}

// Live GDI objects of this process. Windows answers GetGuiResources; Wine 8
// answers 0 there, so under Wine the live entries of its GDI handle table (the
// one the PEB points to) are counted instead: 24-byte entries, the object type
// in byte 14, 0 once the object is deleted.
inline unsigned long CountGdiObjects() {
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return n;
    const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    if (!wine) return 0;
    // The PEB's address, from ntdll's process information (class 0: basic).
    using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    struct { LONG_PTR exitStatus; unsigned char* peb; ULONG_PTR rest[4]; } basic{};
    if (!query || query(GetCurrentProcess(), 0, &basic, sizeof basic, nullptr) != 0) return 0;
    const unsigned char* peb = basic.peb;
    const std::size_t gdiTable = sizeof(void*) == 4 ? 0x94 : 0xf8;  // the PEB's GdiSharedHandleTable
    const auto* table = *reinterpret_cast<const unsigned char* const*>(peb + gdiTable);
    if (!table) return 0;
    unsigned long live = 0;
    for (unsigned i = 0; i < 0x10000; ++i) live += table[i * 24 + 14] != 0;
    return live;
}

inline std::string Caption(UINT id, HWND hwnd) {
    return modmenu().MenuCaptions.Find(MenuItemKey(id, FromHwnd(hwnd))).value_or("<none>");
}

}  // namespace mevra::test
