#include "desktop/DesktopHost_win.h"

#include <string>
#include "base/Dpi_win.h"
#include "base/Raii_win.h"

namespace mevra {
namespace {

constexpr UINT kStayAtBottom = WM_APP + 1;

RECT WorkArea() {
    RECT r{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0) || r.right <= r.left)
        r = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return r;
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_PARENTNOTIFY:
            // The film's window takes no clicks: they come here, where they activate nothing.
            if (LOWORD(wParam) == WM_CREATE) EnableWindow(reinterpret_cast<HWND>(lParam), FALSE);
            return 0;
        case WM_WINDOWPOSCHANGING: {
            // A desktop stays under every other window, also when clicked or shown again.
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            pos->hwndInsertAfter = HWND_BOTTOM;
            pos->flags &= ~SWP_NOZORDER;
            return 0;
        }
        case WM_ACTIVATE:
            // Wine activates (and raises) it on a click on the film all the same: back
            // down once the activation is over.
            if (LOWORD(wParam) != WA_INACTIVE) PostMessageA(hwnd, kStayAtBottom, 0, 0);
            return 0;
        case kStayAtBottom: {
            // An owned window stays above its owner: the hidden owner goes down first.
            constexpr UINT kZOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
            if (const HWND owner = GetWindow(hwnd, GW_OWNER))
                SetWindowPos(owner, HWND_BOTTOM, 0, 0, 0, 0, kZOnly);
            SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, kZOnly);
            return 0;
        }
        case kWmDpiChanged: {
            // It covers the work area at any scale: that, not Windows' suggestion, is its place.
            const RECT r = WorkArea();
            SetWindowPos(hwnd, HWND_BOTTOM, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOACTIVATE);
            return 0;
        }
        case WM_ERASEBKGND: {
            RECT r{};
            GetClientRect(hwnd, &r);
            const HDC dc = reinterpret_cast<HDC>(wParam);
            SetDCBrushColor(dc, kHostColour);
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            return 1;
        }
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

Win32DesktopHost::Win32DesktopHost(HINSTANCE instance, HWND owner)
    : instance_(instance), owner_(owner) {}

Win32DesktopHost::~Win32DesktopHost() { Destroy(); }

Hwnd Win32DesktopHost::Create() {
    if (hwnd_ && IsWindow(hwnd_)) return FromHwnd(hwnd_);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = HostProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kDesktopHostClass;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        OutputDebugStringA("Mevra: the desktop host's class could not be registered");
        return 0;
    }
    const RECT r = WorkArea();
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kDesktopHostClass, "Mevra desktop",
                            WS_POPUP | WS_CLIPCHILDREN, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, owner_, nullptr, instance_, nullptr);
    if (!hwnd_) {
        OutputDebugStringA(("Mevra: no desktop host: " + std::to_string(GetLastError())).c_str());
        return 0;
    }
    SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return FromHwnd(hwnd_);
}

void Win32DesktopHost::Destroy() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

void Win32DesktopHost::FitToWorkArea() {
    if (!hwnd_) return;
    const RECT r = WorkArea();
    SetWindowPos(hwnd_, HWND_BOTTOM, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE);
}

Hwnd Win32DesktopHost::Window() const { return hwnd_ && IsWindow(hwnd_) ? FromHwnd(hwnd_) : 0; }

}  // namespace mevra
