// A stand-in desktop shell for running Mevra under Wine, which has no "Program Manager".
// It is a window of class "Progman" titled "Program Manager" over the work area, kept at
// the bottom of the z-order, that paints the wallpaper named in the registry (tiled,
// centred or stretched as the registry says) on the desktop colour, plus a few mock icons,
// and repaints when Windows announces a wallpaper or colour change.
//
//   progman.exe [--layout plain|classic|raised] [--broadcast-taskbar-created] [--pidfile PATH]
//
// --layout builds the window tree of a Windows generation (plain by default):
//   plain    Progman holds the icon view, a SHELLDLL_DefView, and ignores 0x052C (Windows XP).
//   classic  Progman holds a SHELLDLL_DefView; message 0x052C moves the view into a new
//            top-level WorkerW and puts an empty WorkerW behind it (Windows 8 to 11 23H2).
//   raised   Progman (WS_EX_NOREDIRECTIONBITMAP) holds a layered SHELLDLL_DefView; 0x052C
//            adds a WorkerW child below it (Windows 11 24H2 on).
// --broadcast-taskbar-created posts "TaskbarCreated" to all top-level windows once the
// window exists, as Explorer does when it restarts.
//
// Tests drive it with the registered message "MevraStandinCommand" sent to Progman
// (wParam a StandinCommand, lParam its argument); the answer is the window concerned.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr UINT_PTR kTaskbarTimer = 1;
constexpr UINT kSpawnWorker = 0x052C;
#ifndef WS_EX_NOREDIRECTIONBITMAP
constexpr DWORD WS_EX_NOREDIRECTIONBITMAP = 0x00200000;
#endif

enum class Layout { Plain, Classic, Raised };
enum StandinCommand : WPARAM {
    kDestroyWorker = 1,  // the WorkerW the film goes on; answers the destroyed handle
    kCreateWorker = 2,   // a new one where it belongs, if there is none; answers it
    kResize = 3,         // lParam MAKELPARAM(width, height); broadcasts WM_DISPLAYCHANGE
    kShowIcons = 4,      // lParam 0 hides the icon view, 1 shows it; answers the view
};

HBITMAP g_wallpaper = nullptr;
bool g_tile = false;
int g_style = 0;

Layout g_layout = Layout::Plain;
HWND g_progman = nullptr;
HWND g_defView = nullptr;     // the icon view
HWND g_iconWorker = nullptr;  // classic: the top-level WorkerW holding the icon view
HWND g_backWorker = nullptr;  // classic: the empty top-level WorkerW; raised: Progman's child
bool g_iconsShown = true;     // whether the icon view is shown
bool g_restacking = false;

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

void PaintDesktop(HWND hwnd, HDC dc, bool icons) {
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
    if (!icons) return;

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

void SizeTo(HWND h, int w, int hgt) {
    if (h) SetWindowPos(h, nullptr, 0, 0, w, hgt, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Every window of the desktop takes Progman's size, as Explorer keeps them.
void SizeDesktop(int w, int h) {
    SizeTo(g_progman, w, h);
    SizeTo(g_iconWorker, w, h);
    SizeTo(g_backWorker, w, h);
    SizeTo(g_defView, w, h);
}

// Wine's taskbar appears only with the first tray icon and does not shrink the work area,
// and a desktop shown again from outside is raised over it: keep the two apart instead.
void KeepClearOfTaskbar(HWND hwnd) {
    HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
    RECT barRect, own;
    if (!bar || !IsWindowVisible(bar) || !GetWindowRect(bar, &barRect) || !GetWindowRect(hwnd, &own)) return;
    if (barRect.top > own.top && barRect.top < own.bottom)
        SizeDesktop(own.right - own.left, barRect.top - own.top);
}

// Classic: the WorkerW with the icons, then the empty WorkerW, then Progman, at the bottom.
bool Stacked() {
    return !GetWindow(g_progman, GW_HWNDNEXT) &&
           (!g_backWorker || GetWindow(g_backWorker, GW_HWNDNEXT) == g_progman) &&
           GetWindow(g_iconWorker, GW_HWNDNEXT) == (g_backWorker ? g_backWorker : g_progman);
}

// Each move takes a window just above the next one, or the icons' WorkerW up over the
// empty one, so the icons' one is above whenever a program looks. Wine now and then drops
// a move: up to a few rounds.
void Restack() {
    if (g_layout != Layout::Classic || !g_iconWorker) return;
    g_restacking = true;
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (int round = 0; round < 5 && !Stacked(); ++round) {
        if (GetWindow(g_progman, GW_HWNDNEXT)) SetWindowPos(g_progman, HWND_BOTTOM, 0, 0, 0, 0, flags);
        HWND below = g_progman;
        for (HWND w : {g_backWorker, g_iconWorker}) {
            if (!w) continue;
            HWND above = GetWindow(below, GW_HWNDPREV);
            if (above != w && above) SetWindowPos(w, above, 0, 0, 0, 0, flags);
            below = w;
        }
        if (g_backWorker && GetWindow(g_iconWorker, GW_HWNDNEXT) != g_backWorker) {
            HWND over = GetWindow(g_backWorker, GW_HWNDPREV);
            SetWindowPos(g_iconWorker, over ? over : HWND_TOP, 0, 0, 0, 0, flags);
        }
    }
    g_restacking = false;
}

HWND NewWindow(DWORD exStyle, const char* cls, DWORD style, HWND parent, bool visible = true) {
    RECT rc;
    GetClientRect(g_progman, &rc);
    if (!parent) {
        RECT own;
        GetWindowRect(g_progman, &own);
        OffsetRect(&rc, own.left, own.top);
    }
    return CreateWindowExA(exStyle, cls, "", style | (visible ? WS_VISIBLE : 0) | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                           rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, parent,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

// The WorkerW the film belongs on, made where each layout has it.
HWND CreateWorker() {
    if (g_backWorker || g_layout == Layout::Plain) {
        Restack();  // Wine raises a window it has just shown some time later
        return g_backWorker;
    }
    if (g_layout == Layout::Raised) {
        g_backWorker = NewWindow(0, "WorkerW", WS_CHILD, g_progman);
        SetWindowPos(g_backWorker, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return g_backWorker;
    }
    if (!g_iconWorker) {
        g_iconWorker = NewWindow(WS_EX_TOOLWINDOW, "WorkerW", WS_POPUP, nullptr, false);
        SetParent(g_defView, g_iconWorker);
    }
    g_backWorker = NewWindow(WS_EX_TOOLWINDOW, "WorkerW", WS_POPUP, nullptr, false);
    // Shown once in place: Wine raises a window made visible.
    Restack();
    for (HWND w : {g_iconWorker, g_backWorker})
        if (!IsWindowVisible(w)) SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER | SWP_SHOWWINDOW);
    Restack();
    return g_backWorker;
}

HWND DestroyWorker() {
    // Forgotten first: destroying it waits on the film's process, which may ask for a new
    // one (0x052C) meanwhile.
    HWND gone = g_backWorker;
    g_backWorker = nullptr;
    if (gone) DestroyWindow(gone);
    return gone;
}

LRESULT Command(WPARAM cmd, LPARAM arg) {
    switch (cmd) {
    case kDestroyWorker:
        return reinterpret_cast<LRESULT>(DestroyWorker());
    case kCreateWorker:
        return reinterpret_cast<LRESULT>(CreateWorker());
    case kResize: {
        const int w = LOWORD(arg), h = HIWORD(arg);
        SizeDesktop(w, h);
        HDC screen = GetDC(nullptr);
        const int bits = GetDeviceCaps(screen, BITSPIXEL);
        ReleaseDC(nullptr, screen);
        PostMessageA(HWND_BROADCAST, WM_DISPLAYCHANGE, bits, MAKELPARAM(w, h));
        return reinterpret_cast<LRESULT>(g_progman);
    }
    case kShowIcons:
        g_iconsShown = arg != 0;
        if (g_defView) ShowWindow(g_defView, g_iconsShown ? SW_SHOWNA : SW_HIDE);
        else InvalidateRect(g_progman, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(g_defView ? g_defView : g_progman);
    }
    return 0;
}

LRESULT CALLBACK DesktopProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    static const UINT commandMsg = RegisterWindowMessageA("MevraStandinCommand");
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        // The icons are drawn by the icon view where there is one.
        PaintDesktop(hwnd, dc, hwnd == g_defView || (!g_defView && g_iconsShown));
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        LoadWallpaper();
        InvalidateRect(hwnd, nullptr, TRUE);
        if (g_defView) InvalidateRect(g_defView, nullptr, TRUE);
        if (g_backWorker) InvalidateRect(g_backWorker, nullptr, TRUE);
        break;
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
        if (hwnd == g_progman) {
            // Stay behind every other window (the taskbar too), as a desktop does, also
            // when someone shows it again.
            pos->hwndInsertAfter = HWND_BOTTOM;
            pos->flags &= ~SWP_NOZORDER;
        } else if (!g_restacking && !(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) {
            pos->flags |= SWP_NOZORDER;  // the WorkerWs keep their places above Progman
        }
        break;
    }
    case WM_TIMER:
        KeepClearOfTaskbar(hwnd);
        Restack();
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        if (hwnd == g_progman) PostQuitMessage(0);
        if (hwnd == g_backWorker) g_backWorker = nullptr;
        return 0;
    }
    if (msg == kSpawnWorker && hwnd == g_progman && g_layout != Layout::Plain) {
        CreateWorker();
        return 0;
    }
    if (msg == commandMsg && commandMsg) return Command(wp, lp);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void Register(const char* cls, HINSTANCE inst) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DesktopProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
}

const char* Arg(const char* name) {
    for (int i = 1; i + 1 < __argc; ++i)
        if (!std::strcmp(__argv[i], name)) return __argv[i + 1];
    return nullptr;
}

bool Flag(const char* name) {
    for (int i = 1; i < __argc; ++i)
        if (!std::strcmp(__argv[i], name)) return true;
    return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
    bool broadcast = Flag("--broadcast-taskbar-created");
    if (const char* path = Arg("--pidfile")) {
        if (FILE* f = std::fopen(path, "w")) {
            std::fprintf(f, "%lu\n", GetCurrentProcessId());
            std::fclose(f);
        }
    }
    if (const char* layout = Arg("--layout")) {
        if (!std::strcmp(layout, "classic")) g_layout = Layout::Classic;
        else if (!std::strcmp(layout, "raised")) g_layout = Layout::Raised;
        else if (std::strcmp(layout, "plain")) return 2;
    }

    Register("Progman", inst);
    Register("SHELLDLL_DefView", inst);
    Register("WorkerW", inst);

    LoadWallpaper();
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const DWORD exStyle = WS_EX_TOOLWINDOW | (g_layout == Layout::Raised ? WS_EX_NOREDIRECTIONBITMAP : 0);
    g_progman = CreateWindowExA(exStyle, "Progman", "Program Manager",
                                WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, work.left, work.top,
                                work.right - work.left, work.bottom - work.top, nullptr, nullptr,
                                inst, nullptr);
    if (!g_progman) return 1;
    SetWindowPos(g_progman, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    g_defView = NewWindow(g_layout == Layout::Raised ? WS_EX_LAYERED : 0, "SHELLDLL_DefView",
                          WS_CHILD, g_progman);
    if (g_layout == Layout::Raised) SetLayeredWindowAttributes(g_defView, 0, 255, LWA_ALPHA);

    SetTimer(g_progman, kTaskbarTimer, 300, nullptr);
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
