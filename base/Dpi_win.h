#pragma once
// Where the DPI of a window, a monitor or a point comes from: the per-window and
// per-monitor calls where Windows has them (10, 8.1), the screen's LOGPIXELSY elsewhere.
// Also the smooth scaling of a picture to its size at that DPI.
#include <windows.h>

#include "base/Dpi.h"

namespace mevra {

// The system DPI: the screen DC's LOGPIXELSY.
int SystemDpi();
int DpiForMonitor(HMONITOR monitor);
int DpiForWindow(HWND hwnd);
// The monitor under the cursor, where a popup menu opens.
int DpiAtCursor();

// The system menu font's metrics for dpi; metricsDpi says which DPI they are in
// (dpi itself with SystemParametersInfoForDpi, else the system DPI).
LOGFONTA MenuFontMetrics(int dpi, int& metricsDpi);

// A new device-dependent copy of bmp at cx x cy, resampled with HALFTONE; the
// caller owns it. nullptr on failure.
HBITMAP ScaledBitmap(HBITMAP bmp, int cx, int cy);
SIZE BitmapSize(HBITMAP bmp);

// Runs the current thread system-DPI-aware while it lives (Windows 10 1607 and later;
// elsewhere it does nothing), for windows that cannot follow a monitor's DPI.
class SystemAwareScope {
public:
    SystemAwareScope();
    ~SystemAwareScope();
    SystemAwareScope(const SystemAwareScope&) = delete;
    SystemAwareScope& operator=(const SystemAwareScope&) = delete;

private:
    void* previous_ = nullptr;
    int previousHosting_ = -1;
};

// WM_DPICHANGED, absent from the XP-level headers the program builds with.
constexpr UINT kWmDpiChanged = 0x02E0;

}  // namespace mevra
