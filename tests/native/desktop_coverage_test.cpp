// When the desktop counts as covered, so the film pauses: a table of windows and states.
#include <gtest/gtest.h>

#include "desktop/Coverage.h"

namespace mevra {
namespace {

constexpr Rect kMonitor{0, 0, 1920, 1080};

struct Case {
    const char* name;
    bool hasForeground;
    Rect foreground;
    NotificationState notification;
    bool locked, displayOff;
    bool covered;
};

TEST(Coverage, DecisionTable) {
    using N = NotificationState;
    const Case cases[] = {
        {"nothing in front", false, {}, N::AcceptsNotifications, false, false, false},
        {"maximised over the work area", true, {-8, -8, 1928, 1040}, N::AcceptsNotifications, false, false, true},
        {"full screen", true, {0, 0, 1920, 1080}, N::Unknown, false, false, true},
        {"exactly 95 %", true, {0, 0, 1920, 1026}, N::Unknown, false, false, true},
        {"just under 95 %", true, {0, 0, 1920, 1025}, N::Unknown, false, false, false},
        {"a large window, not maximised", true, {100, 100, 1800, 1000}, N::Unknown, false, false, false},
        {"on another monitor", true, {1920, 0, 3840, 1080}, N::Unknown, false, false, false},
        {"half on this monitor", true, {960, 0, 2880, 1080}, N::Unknown, false, false, false},
        {"an empty rectangle", true, {500, 500, 400, 400}, N::Unknown, false, false, false},
        {"busy: a full-screen program", false, {}, N::Busy, false, false, true},
        {"Direct3D full screen", false, {}, N::D3dFullScreen, false, false, true},
        {"presentation mode alone", false, {}, N::PresentationMode, false, false, false},
        {"quiet time alone", false, {}, N::QuietTime, false, false, false},
        {"session locked", false, {}, N::Unknown, true, false, true},
        {"display off", false, {}, N::Unknown, false, true, true},
    };
    for (const Case& c : cases) {
        DesktopView view;
        view.monitor = kMonitor;
        view.hasForeground = c.hasForeground;
        view.foreground = c.foreground;
        view.notification = c.notification;
        view.sessionLocked = c.locked;
        view.displayOff = c.displayOff;
        EXPECT_EQ(DesktopCovered(view), c.covered) << c.name;
    }
    DesktopView noMonitor;
    noMonitor.hasForeground = true;
    noMonitor.foreground = kMonitor;
    EXPECT_FALSE(DesktopCovered(noMonitor)) << "no monitor rectangle";
}

}  // namespace
}  // namespace mevra
