#pragma once
// Whether anybody can see the desktop: the film is paused while nobody can. Portable;
// Form1_win.cpp gathers the facts from Windows.
#include <cstdint>
#include <vector>
#include "base/Types.h"

namespace mevra {

// SHQueryUserNotificationState's answers (QUERY_USER_NOTIFICATION_STATE).
enum class NotificationState : std::int32_t {
    Unknown = 0,  // the call is not there (before Vista) or failed
    NotPresent = 1,
    Busy = 2,            // a full-screen program runs
    D3dFullScreen = 3,   // a Direct3D program runs full screen
    PresentationMode = 4,
    AcceptsNotifications = 5,
    QuietTime = 6,
    App = 7,
};

// The share of a monitor a window must cover to hide the desktop there, in percent.
constexpr std::int64_t kCoveredPercent = 95;

struct DesktopView {
    std::vector<Rect> monitors;  // each monitor the film shows on: all must be covered
    bool hasForeground = false;  // a foreground window that counts (not the desktop's own,
    Rect foreground;             // the taskbar, a tool window, a minimised one)
    NotificationState notification = NotificationState::Unknown;
    bool sessionLocked = false;
    bool displayOff = false;
};

bool DesktopCovered(const DesktopView& view);

}  // namespace mevra
