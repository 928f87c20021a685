#include "desktop/Coverage.h"

#include <algorithm>

namespace mevra {

namespace {

std::int64_t Area(const Rect& r) {
    if (r.right <= r.left || r.bottom <= r.top) return 0;
    return static_cast<std::int64_t>(r.right - r.left) * (r.bottom - r.top);
}

Rect Intersect(const Rect& a, const Rect& b) {
    return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

}  // namespace

bool DesktopCovered(const DesktopView& view) {
    if (view.sessionLocked || view.displayOff) return true;
    if (view.notification == NotificationState::Busy ||
        view.notification == NotificationState::D3dFullScreen)
        return true;
    if (!view.hasForeground || view.monitors.empty()) return false;
    // A maximised window reaches past the monitor by its frame: only the shared part counts.
    return std::all_of(view.monitors.begin(), view.monitors.end(), [&](const Rect& monitor) {
        const std::int64_t area = Area(monitor);
        return area > 0 &&
               Area(Intersect(view.foreground, monitor)) * 100 >= area * kCoveredPercent;
    });
}

}  // namespace mevra
