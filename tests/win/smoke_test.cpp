#include <gtest/gtest.h>
#include <windows.h>

TEST(WineSmoke, CreatesAWindow) {
    HWND w = CreateWindowExA(0, "STATIC", "probe", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(DestroyWindow(w));
}
