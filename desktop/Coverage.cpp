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
    if (!view.hasForeground) return false;
    const std::int64_t monitor = Area(view.monitor);
    // A maximised window reaches past the monitor by its frame: only the shared part counts.
    return monitor > 0 &&
           Area(Intersect(view.foreground, view.monitor)) * 100 >= monitor * kCoveredPercent;
}

}  // namespace mevra
