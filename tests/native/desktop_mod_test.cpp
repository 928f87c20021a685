#include <gtest/gtest.h>
#include "desktop/DesktopMod.h"
#include "desktop/SystemSettings.h"
#include "fakes/FakeSystemSettings.h"

using namespace mevra;

TEST(DesktopMod, HidesShowsAndSwitchesScreenSaverForThisLogonOnly) {
    fake::FakeSystemSettings sys;
    DesktopMod desktop(sys);
    const Hwnd progman = 0x10024;
    desktop.SetDesktopHidden(progman, true);
    desktop.SetDesktopHidden(progman, false);
    ASSERT_EQ(sys.shows.size(), 2u);
    EXPECT_EQ(sys.shows[0].window, progman);
    EXPECT_EQ(sys.shows[0].command, 0);  // SW_HIDE
    EXPECT_EQ(sys.shows[1].command, 5);  // SW_SHOW

    desktop.SetScreenSaverActive(false);
    desktop.SetScreenSaverActive(true);
    ASSERT_EQ(sys.screen_savers.size(), 2u);
    EXPECT_FALSE(sys.screen_savers[0].active);
    EXPECT_TRUE(sys.screen_savers[1].active);
    EXPECT_EQ(sys.screen_savers[0].flags, 0u);
    EXPECT_EQ(sys.screen_savers[1].flags, 0u);
}
