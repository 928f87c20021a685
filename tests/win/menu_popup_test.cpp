// The program's tray menu on a hidden, hooked window opened with TrackPopupMenu,
// as the shell does it, and the time one full popup takes to measure and draw.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "menu_support.h"

namespace mevra {
namespace {

using test::Surface;

// Command ids of the tray menu as the shell builds it.
enum : UINT {
    kOpen = 2001, kHide, kArrow, kLoop, kStartUp, kAbout, kControl,
    kPlay, kPause, kFForward, kFRewind, kStop, kMute, kExit,
};

struct ProgramMenu {
    HMENU root = CreatePopupMenu();
    HMENU options = CreatePopupMenu();
    ProgramMenu() {
        AppendMenuA(options, MF_STRING, kHide, "Hide Desktop\tShift+Del");
        AppendMenuA(options, MF_STRING, kArrow, "Hide Shortcut Arrow");
        AppendMenuA(options, MF_STRING | MF_CHECKED, kLoop, "Loop");
        AppendMenuA(options, MF_STRING, kStartUp, "StartUp");
        AppendMenuA(options, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(options, MF_STRING, kAbout, "About");
        AppendMenuA(root, MF_STRING, kOpen, "Open\tCtrl+O");
        AppendMenuA(root, MF_POPUP, reinterpret_cast<UINT_PTR>(options), "Options");
        AppendMenuA(root, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(root, MF_STRING | MF_GRAYED, kControl, "Control");
        AppendMenuA(root, MF_SEPARATOR, 0, nullptr);
        const std::pair<UINT, const char*> transport[] = {
            {kPlay, "Play"}, {kPause, "Pause"}, {kFForward, "FForward"},
            {kFRewind, "FRewind"}, {kStop, "Stop"}, {kMute, "Mute"}};
        for (auto [id, text] : transport) AppendMenuA(root, MF_STRING, id, text);
        AppendMenuA(root, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(root, MF_STRING, kExit, "Exit");
    }
    ~ProgramMenu() { DestroyMenu(root); }
};

// What the popup's owner saw, recorded by a procedure installed over the engine's,
// the way the shell's hotkey procedure sits over it.
struct Seen {
    int init = 0, measure = 0, draw = 0;
    std::vector<RECT> drawn;  // rcItem of each drawn item of the root popup
    HMENU root = nullptr;
    HMENU options = nullptr;
    int selectedDraws = 0, optionsDraws = 0;
    LARGE_INTEGER opened{}, lastDraw{};
};
Seen g_seen;
WNDPROC g_engineProc = nullptr;

LRESULT CALLBACK CountingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_INITMENUPOPUP) {
        if (g_seen.init++ == 0) QueryPerformanceCounter(&g_seen.opened);
    }
    const LRESULT r = CallWindowProcA(g_engineProc, h, msg, w, l);
    if (msg == WM_MEASUREITEM) ++g_seen.measure;
    if (msg == WM_DRAWITEM) {
        const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        ++g_seen.draw;
        if (reinterpret_cast<HMENU>(di->hwndItem) == g_seen.root) g_seen.drawn.push_back(di->rcItem);
        if (reinterpret_cast<HMENU>(di->hwndItem) == g_seen.options) ++g_seen.optionsDraws;
        if (di->itemState & ODS_SELECTED) ++g_seen.selectedDraws;
        QueryPerformanceCounter(&g_seen.lastDraw);
    }
    return r;
}

Surface* g_shot = nullptr;
RECT g_popupRect{};
HWND g_popup = nullptr;
HWND g_owner = nullptr;
int g_hoverSteps = 0;  // items to point at before the picture is taken

BOOL CALLBACK FindMenuWindow(HWND w, LPARAM) {
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == "#32768" && IsWindowVisible(w)) {
        g_popup = w;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK CaptureAndClose(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (g_hoverSteps > 0) {
        // Point at Play, then at Options, whose submenu opens; the picture follows.
        RECT item{};
        GetMenuItemRect(nullptr, g_seen.root, g_hoverSteps == 2 ? 5 : 1, &item);
        const int x = (item.left + item.right) / 2, y = (item.top + item.bottom) / 2;
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &in, sizeof in);
        --g_hoverSteps;
        SetTimer(nullptr, 0, 700, CaptureAndClose);
        return;
    }
    g_popup = nullptr;
    EnumWindows(FindMenuWindow, 0);
    if (g_popup) {
        GetWindowRect(g_popup, &g_popupRect);
        HDC screen = GetDC(nullptr);
        BitBlt(g_shot->dc(), 0, 0, g_shot->width(), g_shot->height(), screen, 0, 0, SRCCOPY);
        ReleaseDC(nullptr, screen);
    }
    EndMenu();
}

TEST(MenuPopup, TrackPopupMenuOnAHiddenHookedWindowDrawsEveryItem) {
    test::Texture texture;
    ProgramMenu menu;
    HWND hwnd = test::MakeHiddenWindow("Mevra test owner");
    // Like the program: the popup hangs from a one-item menu bar of the hidden window,
    // which HookMenus converts; the popup must survive that.
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu.root), "Option");
    SetMenu(hwnd, bar);
    HookMenus(hwnd, true);
    ASSERT_EQ(GetSubMenu(bar, 0), menu.root);
    test::ApplyProgramSettings(texture.bitmap());
    g_engineProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
    g_seen = Seen{};
    g_seen.root = menu.root;
    Surface shot(400, 500);
    g_shot = &shot;

    SetForegroundWindow(hwnd);
    SetTimer(nullptr, 0, 700, CaptureAndClose);
    const BOOL chosen = TrackPopupMenu(menu.root, TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD,
                                       60, 40, 0, hwnd, nullptr);
    PostMessageA(hwnd, WM_NULL, 0, 0);
    EXPECT_EQ(chosen, 0);

    // The shell's procedure comes off first, then the engine's.
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_engineProc));
    UnhookMenus(hwnd);

    EXPECT_GE(g_seen.init, 1);
    EXPECT_EQ(g_seen.measure, 13);  // every item of the root popup, once
    ASSERT_GE(g_seen.drawn.size(), 13u);
    ASSERT_NE(g_popupRect.right, 0) << "no popup menu window was found";
    const double ms = static_cast<double>(g_seen.lastDraw.QuadPart - g_seen.opened.QuadPart) * 1000.0;
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::printf("[ POPUP    ] %d measure and %d draw requests; opening to last item drawn: %.1f ms\n",
                g_seen.measure, g_seen.draw, ms / static_cast<double>(freq.QuadPart));

    // In the real popup the texture lines up with the menu window: the band left
    // of the picture cell of the first item shows the texture at those coordinates.
    const RECT first = g_seen.drawn.front();
    int textured = 0, probed = 0;
    for (int y = first.top; y < first.bottom; ++y)
        for (int x = first.left; x < first.left + 20; ++x, ++probed)
            textured += shot.Pixel(g_popupRect.left + x, g_popupRect.top + y) == texture.At(x, y);
    EXPECT_EQ(textured, probed);

    if (const char* dir = std::getenv("MEVRA_MENU_SHOT")) test::SaveBmp(shot, std::string(dir) + "\\popup.bmp");
    SetMenu(hwnd, nullptr);
    RemoveMenu(bar, 0, MF_BYPOSITION);  // the popup stays with ProgramMenu
    DestroyMenu(bar);
    DestroyWindow(hwnd);
}

TEST(MenuPopup, PointingSelectsAnItemAndOpensTheSubmenu) {
    test::Texture texture;
    ProgramMenu menu;
    HWND hwnd = test::MakeHiddenWindow("Mevra hover owner");
    HookMenus(hwnd, true);
    test::ApplyProgramSettings(texture.bitmap());
    g_engineProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
    g_seen = Seen{};
    g_seen.root = menu.root;
    g_seen.options = menu.options;
    Surface shot(400, 500);
    g_shot = &shot;
    g_owner = hwnd;
    g_hoverSteps = 2;

    SetForegroundWindow(hwnd);
    SetTimer(nullptr, 0, 500, CaptureAndClose);
    TrackPopupMenu(menu.root, TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, 60, 40, 0, hwnd, nullptr);
    PostMessageA(hwnd, WM_NULL, 0, 0);
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_engineProc));
    UnhookMenus(hwnd);

    EXPECT_GE(g_seen.selectedDraws, 1);
    EXPECT_GE(g_seen.init, 2);            // the submenu's own opening
    EXPECT_GE(g_seen.optionsDraws, 6);    // its six visible items, owner-drawn
    EXPECT_EQ(test::Caption(kHide, hwnd), "<none>");  // tables released by the unhook
    if (const char* dir = std::getenv("MEVRA_MENU_SHOT")) test::SaveBmp(shot, std::string(dir) + "\\popup-open.bmp");
    DestroyWindow(hwnd);
}

TEST(MenuPopup, TimeOfOneFullPopup) {
    test::Texture texture;
    ProgramMenu menu;
    HWND hwnd = test::MakeHiddenWindow("Mevra timing owner");
    HookMenus(hwnd, true);
    test::ApplyProgramSettings(texture.bitmap());
    SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.root), 0);
    SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.options), 0);

    struct Item { HMENU menu; UINT pos; };
    std::vector<Item> items;
    for (HMENU m : {menu.root, menu.options})
        for (int p = 0; p < GetMenuItemCount(m); ++p) items.push_back({m, static_cast<UINT>(p)});
    ASSERT_EQ(items.size(), 19u);

    Surface s(220, 600);
    constexpr int kRuns = 50;
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    for (int run = 0; run < kRuns; ++run) {
        int top = 3;
        for (const Item& it : items) {
            MENUITEMINFOA mi{};
            mi.cbSize = sizeof mi;
            mi.fMask = MIIM_ID | MIIM_STATE;
            GetMenuItemInfoA(it.menu, it.pos, TRUE, &mi);
            MEASUREITEMSTRUCT ms{ODT_MENU, 0, mi.wID, 0, 0, 0};
            SendMessageA(hwnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&ms));
            DRAWITEMSTRUCT di{};
            di.CtlType = ODT_MENU;
            di.itemID = mi.wID;
            di.itemAction = ODA_DRAWENTIRE;
            di.itemState = (mi.fState & MFS_CHECKED ? ODS_CHECKED : 0) |
                           (mi.fState & MFS_GRAYED ? ODS_DISABLED : 0) | (it.pos == 6 ? ODS_SELECTED : 0);
            di.hwndItem = reinterpret_cast<HWND>(it.menu);
            di.hDC = s.dc();
            di.rcItem = {3, top, 3 + 200, top + static_cast<LONG>(ms.itemHeight)};
            SendMessageA(hwnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&di));
            top += ms.itemHeight;
            ASSERT_LT(top, 600);
        }
    }
    QueryPerformanceCounter(&t1);
    const double ms = (t1.QuadPart - t0.QuadPart) * 1000.0 / freq.QuadPart / kRuns;
    std::printf("[ TIMING   ] one full popup (19 items measured and drawn): %.2f ms\n", ms);
    EXPECT_LT(ms, 500.0);
    UnhookMenus(hwnd);
    DestroyWindow(hwnd);
}

}  // namespace
}  // namespace mevra
