// Subclassing by HookMenus/UnhookMenus and the conversion of menus to owner-drawn items.
#include <gtest/gtest.h>

#include "menu_support.h"

namespace mevra {
namespace {

using test::Caption;

const LONG_PTR kMenuProc = reinterpret_cast<LONG_PTR>(&MenuWindowProc);

LONG_PTR ProcOf(HWND h) { return GetWindowLongPtrA(h, GWLP_WNDPROC); }
LONG_PTR Stored(HWND h) { return reinterpret_cast<LONG_PTR>(GetPropA(h, "ODMenuOrigProc")); }

UINT TypeAt(HMENU m, UINT pos) {
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(m, pos, TRUE, &mi);
    return mi.fType;
}

void OpenPopup(HWND h, HMENU m, LPARAM lParam = 0) {
    SendMessageA(h, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(m), lParam);
}

class MenuHook : public ::testing::Test {
protected:
    void SetUp() override {
        hwnd_ = test::MakeHiddenWindow();
        ASSERT_NE(hwnd_, nullptr);
        own_ = ProcOf(hwnd_);
    }
    void TearDown() override {
        UnhookMenus(hwnd_);
        DestroyWindow(hwnd_);
        modmenu().MenuCaptions.Clear();
        modmenu().MenuBackPicture = nullptr;
    }
    HWND hwnd_ = nullptr;
    LONG_PTR own_ = 0;
};

TEST_F(MenuHook, PropertySetByHookAndRemovedByUnhook) {
    HookMenus(hwnd_, true);
    EXPECT_EQ(ProcOf(hwnd_), kMenuProc);
    EXPECT_EQ(Stored(hwnd_), own_);
    UnhookMenus(hwnd_);
    EXPECT_EQ(ProcOf(hwnd_), own_);
    EXPECT_EQ(Stored(hwnd_), 0);
}

TEST_F(MenuHook, HookTwiceAndUnhookNeverHookedAreHarmless) {
    UnhookMenus(hwnd_);  // never hooked: nothing installed, nothing removed
    EXPECT_EQ(ProcOf(hwnd_), own_);
    EXPECT_EQ(Stored(hwnd_), 0);

    HookMenus(hwnd_, true);
    HookMenus(hwnd_, true);
    EXPECT_EQ(ProcOf(hwnd_), kMenuProc);
    EXPECT_EQ(Stored(hwnd_), own_);  // not our own procedure: no endless self-call
    EXPECT_TRUE(SetWindowTextA(hwnd_, "still answering"));
    char title[32] = {};
    GetWindowTextA(hwnd_, title, sizeof title);
    EXPECT_STREQ(title, "still answering");

    UnhookMenus(hwnd_);
    UnhookMenus(hwnd_);
    EXPECT_EQ(ProcOf(hwnd_), own_);
    EXPECT_EQ(Stored(hwnd_), 0);
    EXPECT_TRUE(SetWindowTextA(hwnd_, "and after"));
}

TEST_F(MenuHook, InitMenuPopupConvertsEveryItemAndStoresTexts) {
    HMENU sub = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING, 30, "Hide Desktop\tShift+Del");
    HMENU m = CreatePopupMenu();
    AppendMenuA(m, MF_STRING, 10, "Open\tCtrl+O");
    AppendMenuA(m, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Options");
    AppendMenuA(m, MF_STRING | MF_CHECKED, 11, "|Loop");
    AppendMenuA(m, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(m, MF_STRING | MF_GRAYED, 12, "Exit");
    HookMenus(hwnd_, true);
    OpenPopup(hwnd_, m);

    for (UINT p = 0; p < 5; ++p) EXPECT_TRUE(TypeAt(m, p) & MFT_OWNERDRAW) << p;
    EXPECT_TRUE(TypeAt(m, 2) & MFT_MENUBREAK);
    EXPECT_FALSE(TypeAt(m, 0) & MFT_MENUBREAK);
    EXPECT_TRUE(TypeAt(m, 3) & MFT_SEPARATOR);
    EXPECT_EQ(Caption(10, hwnd_), "Open\tCtrl+O");
    EXPECT_EQ(Caption(11, hwnd_), "Loop");
    EXPECT_EQ(Caption(12, hwnd_), "Exit");
    EXPECT_EQ(Caption(static_cast<UINT>(reinterpret_cast<UINT_PTR>(sub)), hwnd_), "Options");
    EXPECT_EQ(GetSubMenu(m, 1), sub);
    EXPECT_EQ(GetMenuState(m, 11, MF_BYCOMMAND) & MF_CHECKED, UINT{MF_CHECKED});
    EXPECT_EQ(GetMenuState(m, 12, MF_BYCOMMAND) & MF_GRAYED, UINT{MF_GRAYED});
    // The submenu waits for its own opening.
    EXPECT_FALSE(TypeAt(sub, 0) & MFT_OWNERDRAW);
    EXPECT_EQ(Caption(30, hwnd_), "<none>");
    OpenPopup(hwnd_, sub);
    EXPECT_TRUE(TypeAt(sub, 0) & MFT_OWNERDRAW);
    EXPECT_EQ(Caption(30, hwnd_), "Hide Desktop\tShift+Del");
    DestroyMenu(m);
}

TEST_F(MenuHook, EveryOpeningReadsTheTextsAgain) {
    HMENU m = CreatePopupMenu();
    AppendMenuA(m, MF_STRING, 10, "Play");
    AppendMenuA(m, MF_STRING, 11, "Stop");
    HookMenus(hwnd_, true);
    OpenPopup(hwnd_, m);
    ASSERT_EQ(Caption(10, hwnd_), "Play");

    ModifyMenuA(m, 10, MF_BYCOMMAND | MF_STRING, 10, "Play again\tCtrl+P");
    ModifyMenuA(m, 11, MF_BYCOMMAND | MF_STRING, 11, "");
    OpenPopup(hwnd_, m);
    EXPECT_EQ(Caption(10, hwnd_), "Play again\tCtrl+P");
    EXPECT_EQ(Caption(11, hwnd_), "Stop");  // an empty text keeps the stored one
    EXPECT_TRUE(TypeAt(m, 0) & MFT_OWNERDRAW);
    EXPECT_TRUE(TypeAt(m, 1) & MFT_OWNERDRAW);

    OpenPopup(hwnd_, m);  // converting an owner-drawn item again changes nothing
    EXPECT_EQ(Caption(10, hwnd_), "Play again\tCtrl+P");
    DestroyMenu(m);
}

// The owner's own procedure renames an item while its popup opens.
LRESULT CALLBACK RenamingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_INITMENUPOPUP) {
        ModifyMenuA(reinterpret_cast<HMENU>(w), 12, MF_BYCOMMAND | MF_STRING, 12, "Quit");
        return 1234;
    }
    return DefWindowProcA(h, msg, w, l);
}

TEST_F(MenuHook, OwnersHandlingRunsBeforeConversion) {
    HWND owner = test::MakeHiddenWindow("renaming", RenamingProc);
    HMENU m = CreatePopupMenu();
    AppendMenuA(m, MF_STRING, 12, "Exit");
    HookMenus(owner, true);
    EXPECT_EQ(SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(m), 0), 1234);
    EXPECT_EQ(Caption(12, owner), "Quit");
    EXPECT_TRUE(TypeAt(m, 0) & MFT_OWNERDRAW);
    UnhookMenus(owner);
    DestroyWindow(owner);
    DestroyMenu(m);
}

TEST_F(MenuHook, WindowMenusAreNeverConverted) {
    HWND other = test::MakeHiddenWindow("second form");
    HookMenus(hwnd_, true);
    for (HWND form : {hwnd_, other}) {
        HMENU sys = GetSystemMenu(form, FALSE);
        ASSERT_NE(sys, nullptr);
        OpenPopup(hwnd_, sys);
        for (int p = 0; p < GetMenuItemCount(sys); ++p)
            EXPECT_FALSE(TypeAt(sys, static_cast<UINT>(p)) & MFT_OWNERDRAW) << p;
    }
    // Windows flags a window menu in the message itself, too.
    HMENU m = CreatePopupMenu();
    AppendMenuA(m, MF_STRING, 10, "Restore");
    OpenPopup(hwnd_, m, MAKELPARAM(0, TRUE));
    EXPECT_FALSE(TypeAt(m, 0) & MFT_OWNERDRAW);
    EXPECT_EQ(Caption(10, hwnd_), "<none>");
    DestroyMenu(m);
    DestroyWindow(other);
}

TEST_F(MenuHook, TablesGoWithTheLastHookedForm) {
    HWND second = test::MakeHiddenWindow("second");
    HMENU m = CreatePopupMenu();
    AppendMenuA(m, MF_STRING, 10, "Play");
    HookMenus(hwnd_, true);
    HookMenus(second, true);
    modmenu().MenuBitmaps.Add("Play", 107, 108);
    OpenPopup(hwnd_, m);
    ASSERT_EQ(modmenu().MenuCaptions.Count(), 1u);

    UnhookMenus(second);
    EXPECT_EQ(modmenu().MenuCaptions.Count(), 1u);
    EXPECT_EQ(modmenu().MenuBitmaps.Count(), 1u);
    UnhookMenus(hwnd_);
    EXPECT_EQ(modmenu().MenuCaptions.Count(), 0u);
    EXPECT_EQ(modmenu().MenuBitmaps.Count(), 0u);

    // A form destroyed while hooked no longer counts, and its record goes with it.
    HWND third = test::MakeHiddenWindow("third");
    HookMenus(hwnd_, true);
    HookMenus(third, true);
    DestroyWindow(third);
    OpenPopup(hwnd_, m);
    UnhookMenus(hwnd_);
    EXPECT_EQ(modmenu().MenuCaptions.Count(), 0u);
    DestroyWindow(second);
    DestroyMenu(m);
}

TEST_F(MenuHook, MenuBarItemsBecomeOwnerDrawnAndKeepTheirDropDowns) {
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 1, "Open");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "File");
    AppendMenuA(bar, MF_STRING | MF_GRAYED, 5, "Help");
    SetMenu(hwnd_, bar);

    HookMenus(hwnd_, false);  // without conversion the bar is left alone
    EXPECT_FALSE(TypeAt(bar, 0) & MFT_OWNERDRAW);
    UnhookMenus(hwnd_);

    HookMenus(hwnd_, true);
    EXPECT_EQ(modmenu().LastBarItemId, 667);
    for (UINT p = 0; p < 2; ++p) {
        MENUITEMINFOA mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | MIIM_STATE | MIIM_SUBMENU;
        ASSERT_TRUE(GetMenuItemInfoA(bar, p, TRUE, &mi));
        EXPECT_TRUE(mi.fType & MFT_OWNERDRAW) << p;
        EXPECT_EQ(mi.wID, 666 + p);
        EXPECT_EQ(mi.dwItemData, ULONG_PTR{2});
        if (p == 0) {
            EXPECT_EQ(mi.hSubMenu, file);
        } else {
            EXPECT_TRUE(mi.fState & MFS_GRAYED);
        }
    }
    EXPECT_EQ(Caption(666, hwnd_), "File");
    EXPECT_EQ(Caption(667, hwnd_), "Help");
    EXPECT_EQ(GetMenuItemCount(file), 1);
}

TEST_F(MenuHook, ToolbarBackgroundIsPaintedOnlyForToolbarClasses) {
    static bool registered = false;
    if (!registered) {
        for (const char* cls : {"msvb_lib_toolbar", "toolbar_first", "MenuTestHolder"}) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = test::PlainProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = cls;
            RegisterClassA(&wc);
        }
        registered = true;
    }
    test::Texture texture;
    HWND holder = CreateWindowExA(0, "MenuTestHolder", "holder", WS_POPUP | WS_VISIBLE, 0, 0, 300,
                                  120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND toolbar = CreateWindowExA(0, "msvb_lib_toolbar", "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 40,
                                   holder, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND plain = CreateWindowExA(0, "toolbar_first", "", WS_CHILD | WS_VISIBLE, 0, 50, 300, 40,
                                 holder, nullptr, GetModuleHandleA(nullptr), nullptr);
    HookToolbarMenus(holder);
    EXPECT_EQ(ProcOf(toolbar), kMenuProc);

    HDC dc = GetDC(toolbar);
    modmenu().MenuBackPicture = nullptr;  // no picture: nothing painted, still "erased"
    EXPECT_EQ(SendMessageA(toolbar, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), -1);
    modmenu().MenuBackPicture = texture.bitmap();
    EXPECT_EQ(SendMessageA(toolbar, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), -1);
    int textured = 0;
    for (int x = 0; x < 300; x += 7)
        for (int y = 0; y < 40; y += 5) textured += GetPixel(dc, x, y) == texture.At(x, y);
    EXPECT_EQ(textured, 43 * 8);
    ReleaseDC(toolbar, dc);

    // A class name that starts with "toolbar" is passed on to the window's own procedure.
    HookMenus(hwnd_, false);
    HDC plainDc = GetDC(plain);
    EXPECT_NE(SendMessageA(hwnd_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(plainDc), 0), -1);
    HDC toolbarDc = GetDC(toolbar);
    EXPECT_EQ(SendMessageA(hwnd_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(toolbarDc), 0), -1);
    ReleaseDC(toolbar, toolbarDc);
    ReleaseDC(plain, plainDc);

    UnhookToolbarMenus(holder);
    EXPECT_EQ(ProcOf(toolbar), reinterpret_cast<LONG_PTR>(&test::PlainProc));
    DestroyWindow(holder);
}

}  // namespace
}  // namespace mevra
