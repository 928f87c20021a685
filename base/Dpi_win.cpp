#include "base/Dpi_win.h"

#include <cstddef>
#include <cstring>

#include "base/LateBound_win.h"
#include "base/Raii_win.h"

namespace mevra {
namespace {

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
const HANDLE kSystemAwareContext = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-2));

using DpiForWindowFn = UINT(WINAPI*)(HWND);
using DpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using ParametersForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using ThreadContextFn = HANDLE(WINAPI*)(HANDLE);
using HostingFn = int(WINAPI*)(int);
constexpr int kMixedHosting = 1;  // DPI_HOSTING_BEHAVIOR_MIXED
constexpr int kInvalidHosting = -1;

ThreadContextFn ThreadContextCall() {
    static const auto call =
        LateBound<ThreadContextFn>("user32.dll", "SetThreadDpiAwarenessContext");
    return call;
}

HostingFn HostingCall() {
    static const auto call = LateBound<HostingFn>("user32.dll", "SetThreadDpiHostingBehavior");
    return call;
}

// Windows 10 1607 takes the Vista size of the record, which the XP-level headers lack.
struct NonClientMetricsW {
    NONCLIENTMETRICSW metrics;
    int paddedBorderWidth;
};

DpiForMonitorFn MonitorDpiCall() {
    static const auto call = LateBound<DpiForMonitorFn>("shcore.dll", "GetDpiForMonitor");
    return call;
}

// The two records differ only in the face name, which comes last.
static_assert(offsetof(LOGFONTA, lfFaceName) == offsetof(LOGFONTW, lfFaceName));

LOGFONTA Narrowed(const LOGFONTW& w) {
    LOGFONTA a{};
    std::memcpy(&a, &w, offsetof(LOGFONTA, lfFaceName));
    WideCharToMultiByte(CP_ACP, 0, w.lfFaceName, -1, a.lfFaceName, LF_FACESIZE, nullptr,
                        nullptr);
    a.lfFaceName[LF_FACESIZE - 1] = '\0';
    return a;
}

}  // namespace

int SystemDpi() {
    WindowDc screen(nullptr);
    return SaneDpi(screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : kDesignDpi);
}

int DpiForMonitor(HMONITOR monitor) {
    UINT x = 0, y = 0;
    if (const auto call = MonitorDpiCall(); call && monitor)
        if (SUCCEEDED(call(monitor, kEffectiveDpi, &x, &y))) return SaneDpi(static_cast<int>(y));
    return SystemDpi();
}

int DpiForWindow(HWND hwnd) {
    static const auto call = LateBound<DpiForWindowFn>("user32.dll", "GetDpiForWindow");
    if (call && hwnd)
        if (const UINT dpi = call(hwnd)) return SaneDpi(static_cast<int>(dpi));
    return DpiForMonitor(hwnd ? MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST) : nullptr);
}

int DpiAtCursor() {
    POINT at{};
    if (!MonitorDpiCall() || !GetCursorPos(&at)) return SystemDpi();
    return DpiForMonitor(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST));
}

LOGFONTA MenuFontMetrics(int dpi, int& metricsDpi) {
    static const auto forDpi =
        LateBound<ParametersForDpiFn>("user32.dll", "SystemParametersInfoForDpi");
    metricsDpi = SystemDpi();
    // At the system DPI the plain call answers, exactly as it always has.
    if (forDpi && dpi != metricsDpi) {
        NonClientMetricsW wide{};
        wide.metrics.cbSize = sizeof wide;
        if (forDpi(SPI_GETNONCLIENTMETRICS, sizeof wide, &wide, 0, static_cast<UINT>(dpi))) {
            metricsDpi = dpi;
            return Narrowed(wide.metrics.lfMenuFont);
        }
    }
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics.lfMenuFont;
}

SIZE BitmapSize(HBITMAP bmp) {
    BITMAP info{};
    if (!bmp || GetObjectA(bmp, sizeof info, &info) == 0) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

HBITMAP ScaledBitmap(HBITMAP bmp, int cx, int cy) {
    const SIZE from = BitmapSize(bmp);
    if (from.cx <= 0 || from.cy <= 0 || cx <= 0 || cy <= 0) return nullptr;
    WindowDc screen(nullptr);
    if (!screen.get()) return nullptr;
    UniqueBitmap out(CreateCompatibleBitmap(screen.get(), cx, cy));
    UniqueMemDc src(CreateCompatibleDC(screen.get()));
    UniqueMemDc dst(CreateCompatibleDC(screen.get()));
    if (!out || !src || !dst) return nullptr;
    {
        SelectGuard srcSel(src.get(), bmp);
        SelectGuard dstSel(dst.get(), out.get());
        // HALFTONE averages the source pixels; it needs the brush origin reset after it.
        SetStretchBltMode(dst.get(), HALFTONE);
        SetBrushOrgEx(dst.get(), 0, 0, nullptr);
        if (!StretchBlt(dst.get(), 0, 0, cx, cy, src.get(), 0, 0, from.cx, from.cy, SRCCOPY))
            return nullptr;
    }
    return out.release();
}

SystemAwareScope::SystemAwareScope() {
    const auto context = ThreadContextCall();
    if (!context) return;
    // Mixed hosting lets a window of the program's own awareness (a lent banner) be a
    // child of the windows made now (Windows 10 1803 and later).
    if (const auto hosting = HostingCall()) previousHosting_ = hosting(kMixedHosting);
    previous_ = context(kSystemAwareContext);
}

SystemAwareScope::~SystemAwareScope() {
    if (previous_) ThreadContextCall()(static_cast<HANDLE>(previous_));
    if (previousHosting_ != kInvalidHosting) HostingCall()(previousHosting_);
}

}  // namespace mevra
