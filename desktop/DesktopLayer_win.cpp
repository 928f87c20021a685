#include "desktop/DesktopLayer_win.h"

#include <windows.h>
#include "base/Raii_win.h"

namespace mevra {

namespace {
constexpr BYTE kOpaque = 255;

bool Reported(bool ok, const char* what, Hwnd window) {
    if (!ok) {
        const std::string line = std::string("Mevra: ") + what + " failed for " +
                                 std::to_string(window) + ": " + std::to_string(GetLastError());
        OutputDebugStringA(line.c_str());
    }
    return ok;
}
}  // namespace

Hwnd Win32WindowTree::Find(Hwnd parent, Hwnd after, const char* cls, const char* title) {
    return FromHwnd(::FindWindowExA(ToHwnd(parent), ToHwnd(after), cls, title));
}

bool Win32WindowTree::SendTimeout(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam, std::uint32_t timeoutMs) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(ToHwnd(window), message, wParam, lParam, SMTO_NORMAL, timeoutMs,
                                 &result) != 0;
}

bool Win32WindowTree::IsWindow(Hwnd window) { return window != 0 && ::IsWindow(ToHwnd(window)); }

Hwnd Win32WindowTree::Parent(Hwnd window) { return FromHwnd(::GetParent(ToHwnd(window))); }

bool Win32WindowTree::IsVisible(Hwnd window) { return ::IsWindowVisible(ToHwnd(window)) != FALSE; }

std::string Win32WindowTree::ClassName(Hwnd window) {
    char cls[64] = {};
    const int n = ::GetClassNameA(ToHwnd(window), cls, sizeof cls);
    return std::string(cls, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::uint32_t Win32WindowTree::ProcessId(Hwnd window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(ToHwnd(window), &pid);
    return pid;
}

bool Win32WindowTree::ClientSize(Hwnd window, Size& size) {
    RECT r{};
    if (!::GetClientRect(ToHwnd(window), &r)) return false;
    size.width = r.right - r.left;
    size.height = r.bottom - r.top;
    return true;
}

Hwnd Win32WindowTree::OwnChild(Hwnd parent) {
    const DWORD self = GetCurrentProcessId();
    for (HWND w = ::FindWindowExA(ToHwnd(parent), nullptr, nullptr, nullptr); w;
         w = ::FindWindowExA(ToHwnd(parent), w, nullptr, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == self) return FromHwnd(w);
    }
    return 0;
}

Hwnd Win32WindowTree::WindowAbove(Hwnd window) {
    return FromHwnd(::GetWindow(ToHwnd(window), GW_HWNDPREV));
}

bool Win32WindowTree::PlaceBelow(Hwnd window, Hwnd above) {
    return Reported(::SetWindowPos(ToHwnd(window), ToHwnd(above), 0, 0, 0, 0,
                                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE) != FALSE,
                    "z-order", window);
}

bool Win32WindowTree::MakeOpaqueLayered(Hwnd window) {
    const HWND h = ToHwnd(window);
    const LONG_PTR ex = GetWindowLongPtrA(h, GWL_EXSTYLE);
    if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrA(h, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    return Reported(::SetLayeredWindowAttributes(h, 0, kOpaque, LWA_ALPHA) != FALSE,
                    "SetLayeredWindowAttributes", window);
}

bool Win32WindowTree::SetSize(Hwnd window, Size size) {
    return Reported(::SetWindowPos(ToHwnd(window), nullptr, 0, 0, size.width, size.height,
                                   SWP_NOZORDER | SWP_NOACTIVATE) != FALSE,
                    "resize", window);
}

void Win32WindowTree::Note(const std::string& line) {
    OutputDebugStringA(("Mevra: " + line).c_str());
}

}  // namespace mevra
