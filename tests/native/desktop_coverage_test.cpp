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
        view.monitors = {kMonitor};
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

// The film spans every monitor it is shown on: one of them covered still leaves it seen.
TEST(Coverage, EveryMonitorTheFilmShowsOnMustBeCovered) {
    const Rect left{-1280, 0, 0, 1024}, right{1920, -200, 3200, 824};
    struct Row { const char* name; std::vector<Rect> monitors; Rect foreground; bool covered; } rows[] = {
        {"maximised on the primary, the film also on the left", {left, kMonitor}, {-8, -8, 1928, 1040}, false},
        {"maximised on the left, the film also on the primary", {kMonitor, left}, {-1288, -8, 8, 1032}, false},
        {"spread over all three", {left, kMonitor, right}, {-1280, -200, 3200, 1080}, true},
        {"over two of three", {left, kMonitor, right}, {-1280, 0, 1920, 1080}, false},
        {"the film on the primary alone", {kMonitor}, {-8, -8, 1928, 1040}, true},
        {"an empty monitor rectangle among them", {kMonitor, Rect{}}, {0, 0, 1920, 1080}, false},
    };
    for (const Row& r : rows) {
        DesktopView view;
        view.monitors = r.monitors;
        view.hasForeground = true;
        view.foreground = r.foreground;
        EXPECT_EQ(DesktopCovered(view), r.covered) << r.name;
    }
}

}  // namespace
}  // namespace mevra
