#pragma once
// The window-tree adapter over user32 (desktop/DesktopLayer_win.cpp).
#include "desktop/DesktopLayer.h"

namespace mevra {

class Win32WindowTree final : public WindowTree {
public:
    Hwnd Find(Hwnd parent, Hwnd after, const char* cls, const char* title) override;
    bool SendTimeout(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam, std::uint32_t timeoutMs) override;
    bool IsWindow(Hwnd window) override;
    Hwnd Parent(Hwnd window) override;
    bool IsVisible(Hwnd window) override;
    std::string ClassName(Hwnd window) override;
    std::uint32_t ProcessId(Hwnd window) override;
    bool ClientSize(Hwnd window, Size& size) override;
    Hwnd OwnChild(Hwnd parent) override;
    Hwnd WindowAbove(Hwnd window) override;
    bool PlaceBelow(Hwnd window, Hwnd above) override;
    bool MakeOpaqueLayered(Hwnd window) override;
    bool SetSize(Hwnd window, Size size) override;
    void Note(const std::string& line) override;
};

}  // namespace mevra
