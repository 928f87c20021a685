// Runs under Wine only: it switches the screen saver and the desktop colour.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "base/Raii_win.h"
#include "desktop/DesktopMod.h"
#include "desktop/SystemSettings_win.h"

using namespace mevra;

namespace {

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

struct DesktopWine : ::testing::Test {
    Win32SystemSettings sys;
    DesktopMod desktop{sys};
    void SetUp() override {
        if (!UnderWine()) GTEST_FAIL() << "these tests change system settings: run them under Wine only";
    }
};

BOOL ScreenSaverActive() {
    BOOL active = -1;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    return active;
}

}  // namespace

TEST_F(DesktopWine, ScreenSaverSwitchReadsBack) {
    const BOOL was = ScreenSaverActive();
    desktop.SetScreenSaverActive(false);
    EXPECT_EQ(ScreenSaverActive(), FALSE);
    desktop.SetScreenSaverActive(true);
    EXPECT_EQ(ScreenSaverActive(), TRUE);
    desktop.SetScreenSaverActive(false);
    EXPECT_EQ(ScreenSaverActive(), FALSE);
    sys.SetScreenSaveActive(was == TRUE, 0);
}

TEST_F(DesktopWine, HidingAWindowHidesItsChildrenUntilShown) {
    HWND top = CreateWindowExA(0, "STATIC", "Program Manager", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150,
                               nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(top, nullptr);
    HWND film = CreateWindowExA(0, "STATIC", "film", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, top,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(film, nullptr);
    ShowWindow(top, SW_SHOW);
    ASSERT_TRUE(IsWindowVisible(top));

    desktop.SetDesktopHidden(FromHwnd(top), true);
    EXPECT_FALSE(IsWindowVisible(top));
    EXPECT_FALSE(IsWindowVisible(film));
    desktop.SetDesktopHidden(FromHwnd(top), false);
    EXPECT_TRUE(IsWindowVisible(top));
    EXPECT_TRUE(IsWindowVisible(film));
    desktop.SetDesktopHidden(FromHwnd(top), false);  // already shown: stays so
    EXPECT_TRUE(IsWindowVisible(top));

    DestroyWindow(top);
    desktop.SetDesktopHidden(FromHwnd(top), true);  // a stale handle does nothing
    desktop.SetDesktopHidden(0, true);
}

TEST_F(DesktopWine, DirectoriesAndDesktopColourComeFromWindows) {
    char dir[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(WindowsDirectory(sys), std::string(dir, n));

    char exe[MAX_PATH] = {};
    const DWORD m = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    ASSERT_GT(m, 0u);
    EXPECT_EQ(ModulePath(sys), std::string(exe, m));
    EXPECT_NE(ModulePath(sys).find("win_desktop_win_test.exe"), std::string::npos);

    const COLORREF was = GetSysColor(COLOR_BACKGROUND);
    EXPECT_TRUE(sys.SetSysColor(kColorBackground, Rgb(16, 0, 16)));
    EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), RGB(16, 0, 16));
    sys.SetSysColor(kColorBackground, was);
    EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), was);
}
