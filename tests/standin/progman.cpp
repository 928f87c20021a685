// A stand-in desktop shell for running Mevra under Wine, which has no "Program Manager".
// It is a window of class "Progman" titled "Program Manager" over the work area, kept at
// the bottom of the z-order, that paints the wallpaper named in the registry (tiled,
// centred or stretched as the registry says) on the desktop colour, plus a few mock icons,
// and repaints when Windows announces a wallpaper or colour change.
//
//   progman.exe [--broadcast-taskbar-created] [--pidfile PATH]
//
// --broadcast-taskbar-created posts "TaskbarCreated" to all top-level windows once the
// window exists, as Explorer does when it restarts.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr UINT_PTR kTaskbarTimer = 1;
HBITMAP g_wallpaper = nullptr;
bool g_tile = false;
int g_style = 0;

std::string ReadDesktopValue(const char* name) {
    char buf[1024] = {};
    DWORD size = sizeof(buf) - 1, type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return "";
    buf[size < sizeof(buf) ? size : sizeof(buf) - 1] = '\0';
    return buf;
}

void LoadWallpaper() {
    if (g_wallpaper) DeleteObject(g_wallpaper);
    g_wallpaper = nullptr;
    std::string path = ReadDesktopValue("Wallpaper");
    g_tile = ReadDesktopValue("TileWallpaper") == "1";
    g_style = atoi(ReadDesktopValue("WallpaperStyle").c_str());
    if (path.empty() || path == " ") return;
    g_wallpaper = static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

void PaintDesktop(HWND hwnd, HDC dc) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH back = CreateSolidBrush(GetSysColor(COLOR_BACKGROUND));
    FillRect(dc, &rc, back);
    DeleteObject(back);

    if (g_wallpaper) {
        BITMAP bm = {};
        GetObjectA(g_wallpaper, sizeof(bm), &bm);
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, g_wallpaper);
        if (g_tile) {
            for (int y = 0; y < rc.bottom; y += bm.bmHeight)
                for (int x = 0; x < rc.right; x += bm.bmWidth)
                    BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
        } else if (g_style == 2) {
            SetStretchBltMode(dc, HALFTONE);
            StretchBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        } else {
            BitBlt(dc, (rc.right - bm.bmWidth) / 2, (rc.bottom - bm.bmHeight) / 2, bm.bmWidth,
                   bm.bmHeight, mem, 0, 0, SRCCOPY);
        }
        SelectObject(mem, old);
        DeleteDC(mem);
    }

    // A column of mock desktop icons, so hiding the desktop shows.
    const char* names[] = {"My Films", "Documents", "Recycle Bin"};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    for (int i = 0; i < 3; ++i) {
        RECT icon = {24, 20 + i * 80, 24 + 40, 20 + i * 80 + 40};
        HBRUSH b = CreateSolidBrush(RGB(230, 200, 60));
        FillRect(dc, &icon, b);
        DeleteObject(b);
        RECT label = {4, icon.bottom + 4, 84, icon.bottom + 22};
        DrawTextA(dc, names[i], -1, &label, DT_CENTER | DT_SINGLELINE);
    }
}

// Wine's taskbar appears only with the first tray icon and does not shrink the work area,
// and a desktop shown again from outside is raised over it: keep the two apart instead.
void KeepClearOfTaskbar(HWND hwnd) {
    HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
    RECT barRect, own;
    if (!bar || !IsWindowVisible(bar) || !GetWindowRect(bar, &barRect) || !GetWindowRect(hwnd, &own)) return;
    if (barRect.top > own.top && barRect.top < own.bottom)
        SetWindowPos(hwnd, nullptr, 0, 0, own.right - own.left, barRect.top - own.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK DesktopProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintDesktop(hwnd, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        LoadWallpaper();
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case WM_WINDOWPOSCHANGING: {
        // Stay behind every other window (the taskbar too), as a desktop does, also
        // when someone shows it again.
        auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
        pos->hwndInsertAfter = HWND_BOTTOM;
        pos->flags &= ~SWP_NOZORDER;
        break;
    }
    case WM_TIMER:
        KeepClearOfTaskbar(hwnd);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR cmd, int) {
    bool broadcast = std::strstr(cmd, "--broadcast-taskbar-created") != nullptr;
    if (const char* p = std::strstr(cmd, "--pidfile ")) {
        if (FILE* f = std::fopen(p + 10, "w")) {
            std::fprintf(f, "%lu\n", GetCurrentProcessId());
            std::fclose(f);
        }
    }

    WNDCLASSA wc = {};
    wc.lpfnWndProc = DesktopProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "Progman";
    RegisterClassA(&wc);

    LoadWallpaper();
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    HWND hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, "Progman", "Program Manager",
                                WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, work.left, work.top,
                                work.right - work.left, work.bottom - work.top, nullptr, nullptr,
                                inst, nullptr);
    if (!hwnd) return 1;
    SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    SetTimer(hwnd, kTaskbarTimer, 300, nullptr);
    if (broadcast)
        PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (g_wallpaper) DeleteObject(g_wallpaper);
    return 0;
}
