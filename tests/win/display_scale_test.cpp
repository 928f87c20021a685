// The tray menu, the About box and the open dialog measured on real windows at the
// display's DPI. The Windows tier runs it at 96 dpi; tests/e2e/scales.sh runs it again
// with LogPixels at 120, 144 and 192, naming the DPI in MEVRA_SCALE_DPI and the 96-dpi
// figures in MEVRA_SCALE_BASE ("row cell"). With MEVRA_SCALE_OUT each run appends its
// figures to that file, and with MEVRA_SHOTS it saves the menu and the dialog as
// pictures (scale-menu-DPI.bmp, scale-dialog-DPI.bmp) for the README.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "base/Dpi_win.h"
#include "dialogs/CDialogEX_win.h"
#include "dialogs/Form2_win.h"
#include "menu_support.h"
#include "shell/Form1.h"

namespace mevra {
namespace {

constexpr UINT kOpenId = 3001, kPlayId = 3002, kControlId = 3003, kExitId = 3004;  // Play: 30020..
constexpr COLORREF kGreen = RGB(0, 128, 0);

int EnvInt(const char* name, int fallback = 0) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

struct Base {
    int row = 0, cell = 0;
};
Base BaseFigures() {
    Base b;
    if (const char* v = std::getenv("MEVRA_SCALE_BASE")) std::sscanf(v, "%d %d", &b.row, &b.cell);
    return b;
}

void Record(const std::string& line) {
    const char* path = std::getenv("MEVRA_SCALE_OUT");
    if (!path || !*path) return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "dpi=%d %s\n", SystemDpi(), line.c_str());
        std::fclose(f);
    }
}

// Saves the screen under a window as a BMP file in MEVRA_SHOTS, for a person to look at.
void SaveShot(HWND window, const char* what) {
    const char* dir = std::getenv("MEVRA_SHOTS");
    if (!dir || !*dir || !window) return;
    RECT r{};
    GetWindowRect(window, &r);
    test::Surface s(r.right - r.left, r.bottom - r.top);
    {
        WindowDc screen(nullptr);
        BitBlt(s.dc(), 0, 0, s.width(), s.height(), screen.get(), r.left, r.top, SRCCOPY);
    }
    test::SaveBmp(s, std::string(dir) + "\\scale-" + what + "-" + std::to_string(SystemDpi()) +
                         ".bmp");
}

BOOL CALLBACK FindPopup(HWND w, LPARAM out) {
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == "#32768" && IsWindowVisible(w)) {
        *reinterpret_cast<HWND*>(out) = w;
        return FALSE;
    }
    return TRUE;
}

// A 96-dpi figure at this DPI, to within a pixel.
void ExpectScaled(int measured, int at96, const char* what) {
    if (at96 <= 0) return;  // no 96-dpi run to compare with
    const double want = at96 * SystemDpi() / 96.0;
    EXPECT_NEAR(measured, want, 1.0) << what << " at " << SystemDpi() << " dpi, " << at96 << " at 96";
}

TEST(DisplayScale, EverySourceOfScaleAgrees) {
    HWND hwnd = test::MakeHiddenWindow();
    const int dpi = SystemDpi();
    if (const int want = EnvInt("MEVRA_SCALE_DPI")) {
        EXPECT_EQ(dpi, want) << "LogPixels not in effect";
    }
    EXPECT_EQ(DpiForWindow(hwnd), dpi);
    EXPECT_EQ(DpiAtCursor(), dpi);
    DestroyWindow(hwnd);
}

struct Rows {
    int picture = 0, plain = 0;
    HMENU menu = nullptr;
    HWND owner = nullptr;
};
Rows g_rows;

void CALLBACK MeasureAndClose(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    RECT open{}, loop{};
    GetMenuItemRect(g_rows.owner, g_rows.menu, 0, &open);
    GetMenuItemRect(g_rows.owner, g_rows.menu, 3, &loop);
    g_rows.picture = open.bottom - open.top;
    g_rows.plain = loop.bottom - loop.top;
    HWND popup = nullptr;
    EnumWindows(FindPopup, reinterpret_cast<LPARAM>(&popup));
    SaveShot(popup, "menu");
    EndMenu();
}

TEST(DisplayScale, PopupRowsAndMenuFontFollowTheDpi) {
    test::Texture texture;
    HWND hwnd = test::MakeHiddenWindow("Mevra scale owner");
    // The tray menu's look: pictures, a submenu, a disabled item, separators, a shortcut.
    HMENU menu = CreatePopupMenu();
    HMENU options = CreatePopupMenu();
    AppendMenuA(options, MF_STRING | MF_CHECKED, kExitId + 1, "Loop");
    AppendMenuA(menu, MF_STRING, kOpenId, "Open\tCtrl+O");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(options), "Options");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | MF_GRAYED, kControlId, "Control");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    UINT id = kPlayId * 10;  // the engine keeps captions by command id: one each
    for (const char* text : {"Play", "Pause", "FForward", "FRewind", "Stop", "Mute"})
        AppendMenuA(menu, MF_STRING, id++, text);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kExitId, "Exit");
    HookMenus(hwnd, false);
    test::ApplyProgramSettings(texture.bitmap());
    g_rows = Rows{0, 0, menu, hwnd};
    SetForegroundWindow(hwnd);
    SetTimer(nullptr, 0, 500, MeasureAndClose);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RETURNCMD, 60, 40, 0, hwnd, nullptr);

    TEXTMETRICA tm{};
    {
        WindowDc dc(hwnd);
        UniqueFont font(CreateMenuFont(dc.get(), MenuItemDpi(hwnd, false)));
        SelectGuard sel(dc.get(), font.get());
        GetTextMetricsA(dc.get(), &tm);
    }
    UnhookMenus(hwnd);
    DestroyMenu(menu);
    DestroyWindow(hwnd);

    ASSERT_GT(g_rows.picture, 0) << "the popup never opened";
    // Text and picture fit their row with the design's room around them.
    EXPECT_GE(g_rows.plain, tm.tmHeight + ScaleForDpi(6, SystemDpi()));
    EXPECT_GE(g_rows.picture, ScaleForDpi(16 + 6, SystemDpi()));
    const Base base = BaseFigures();
    ExpectScaled(g_rows.picture, base.row, "row height");
    ExpectScaled(tm.tmHeight, base.cell, "font cell height");
    Record("row=" + std::to_string(g_rows.picture) + " cell=" + std::to_string(tm.tmHeight));
}

TEST(DisplayScale, AboutPictureFillsItsFrame) {
    WindowDc screen(nullptr);
    UniqueBitmap picture(CreateCompatibleBitmap(screen.get(), 201, 250));
    {
        UniqueMemDc mem(CreateCompatibleDC(screen.get()));
        SelectGuard sel(mem.get(), picture.get());
        UniqueBrush green(CreateSolidBrush(kGreen));
        RECT all{0, 0, 201, 250};
        FillRect(mem.get(), &all, green.get());
    }
    HWND box = ShowAboutBox(GetModuleHandleA(nullptr), picture.get(), nullptr);
    ASSERT_NE(box, nullptr);
    // At the display's DPI, then as if moved onto a monitor of 144 dpi, at the screen's
    // corner so that all of it can be read back. (Only upwards: Wine keeps the frame's
    // minimum width at the system DPI.)
    const int dpi = SystemDpi();
    for (const int at : {dpi, 144}) {
        if (at < dpi) continue;
        SCOPED_TRACE(at);
        if (at != dpi) {
            RECT was{};
            GetWindowRect(box, &was);
            RECT suggested{0, 0, MulDiv(was.right - was.left, at, dpi),
                           MulDiv(was.bottom - was.top, at, dpi)};
            SendMessageA(box, kWmDpiChanged, MAKEWPARAM(at, at), reinterpret_cast<LPARAM>(&suggested));
        }
        RedrawWindow(box, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RECT c{};
        GetClientRect(box, &c);
        EXPECT_EQ(c.right, TwipsToPixels(kAboutClientWidthTwips, at));
        EXPECT_EQ(c.bottom, TwipsToPixels(kAboutClientHeightTwips, at));
        const POINT edges[] = {{0, 0},
                               {c.right - 1, 1},
                               {1, c.bottom - 1},
                               {c.right - 1, c.bottom - 1},
                               {c.right - 1, c.bottom / 3}};
        {
            WindowDc dc(box);
            for (const POINT p : edges)
                EXPECT_EQ(GetPixel(dc.get(), p.x, p.y), kGreen) << p.x << "," << p.y;
        }
        // The close button lies wholly inside the client area, where the layout puts it.
        RECT button{};
        GetWindowRect(GetDlgItem(box, kAboutCommand1Id), &button);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&button), 2);
        EXPECT_EQ(button.left, TwipsBoxToPixels(kCommand1Twips, at, at).left);
        EXPECT_LE(button.right, c.right);
        EXPECT_LE(button.bottom, c.bottom);
    }
    DestroyWindow(box);
}

// --- the open dialog --------------------------------------------------------

std::function<void(HWND)> g_inspect;

BOOL CALLBACK FindDialog(HWND w, LPARAM out) {
    char title[64] = {};
    GetWindowTextA(w, title, sizeof title);
    if (IsWindowVisible(w) && std::string(title) == kOpenDialogTitle) {
        *reinterpret_cast<HWND*>(out) = w;
        return FALSE;
    }
    return TRUE;
}

VOID CALLBACK InspectDialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, id);
    g_inspect(dialog);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
}

RECT InClient(HWND w, HWND parent) {
    RECT r{};
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A control's rectangle in the dialog; a toolbar's window runs on past its last button,
// at every DPI, so its buttons are what must show.
RECT Extent(HWND control, HWND dialog, const std::string& cls) {
    RECT r = InClient(control, dialog);
    const auto buttons = static_cast<int>(SendMessageA(control, TB_BUTTONCOUNT, 0, 0));
    RECT last{};
    if (cls == TOOLBARCLASSNAMEA && buttons > 0 &&
        SendMessageA(control, TB_GETITEMRECT, buttons - 1, reinterpret_cast<LPARAM>(&last))) {
        MapWindowPoints(control, dialog, reinterpret_cast<POINT*>(&last), 2);
        r.right = last.right;
    }
    return r;
}

TEST(DisplayScale, OpenDialogControlsStayInsideAndClearOfTheBanner) {
    HWND owner = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "owner", WS_POPUP, 0, 0, 0, 0,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    // The program's banner: a picture control showing a 407 x 35 picture.
    HWND banner = CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0,
                                  407, 35, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
    UniqueBitmap bannerPicture(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_PICTURE2), IMAGE_BITMAP, 0,
                   0, LR_DEFAULTCOLOR)));
    SendMessageA(banner, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bannerPicture.get()));

    Win32FileDialogApi api;
    CDialogEX dialog(api);
    dialog.SetPreviewWindow(FromHwnd(banner), kBannerLeft, kBannerTop);
    dialog.SetDialogHeight(kOpenDialogHeight);
    dialog.SetFilter(kMovieFilter);
    bool ran = false;
    g_inspect = [&](HWND d) {
        ran = true;
        RECT client{}, outer{};
        GetClientRect(d, &client);
        GetWindowRect(d, &outer);
        const RECT b = InClient(banner, d);
        EXPECT_TRUE(b.left >= 0 && b.top >= 0 && b.bottom <= client.bottom) << "banner cut off";
        EXPECT_EQ(b.bottom - b.top, ScaleForDpi(35, SystemDpi()));
        for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char cls[32] = {};
            GetClassNameA(c, cls, sizeof cls);
            if (c == banner || !IsWindowVisible(c) || std::string(cls) == "#32770") continue;
            const RECT r = Extent(c, d, cls);
            const int id = GetDlgCtrlID(c);
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right &&
                        r.bottom <= client.bottom)
                << "control " << id << " (" << cls << ") is cut off: " << r.left << "," << r.top
                << "," << r.right << "," << r.bottom << " in " << client.right << "x" << client.bottom;
            RECT overlap{};
            EXPECT_FALSE(IntersectRect(&overlap, &r, &b)) << "control " << id << " under the banner";
        }
        POINT corner{outer.left, outer.top};
        ScreenToClient(d, &corner);
        char line[128];
        SaveShot(d, "dialog");
        std::snprintf(line, sizeof line, "dialog=%ld banner=%ld,%ld,%ld,%ld",
                      outer.bottom - outer.top, b.left - corner.x, b.top - corner.y,
                      b.right - corner.x, b.bottom - corner.y);
        Record(line);
    };
    SetTimer(nullptr, 0, 200, InspectDialog);
    dialog.ShowOpen(FromHwnd(owner), "", std::nullopt, kOpenDialogTitle);
    g_inspect = nullptr;
    EXPECT_TRUE(ran);
    DestroyWindow(banner);
    DestroyWindow(owner);
}

}  // namespace
}  // namespace mevra
