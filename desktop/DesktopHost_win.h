#pragma once
// Mevra's own desktop window, for desktops with no "Program Manager" (Wine,
// alternative shells): a borderless window of this process over the work
// area, kept at the bottom, never activated, with no taskbar button.
#include <windows.h>
#include "desktop/DesktopLayer.h"

namespace mevra {

constexpr char kDesktopHostClass[] = "MevraDesktopHost";
constexpr COLORREF kHostColour = RGB(16, 0, 16);  // the desktop colour while a film plays

class Win32DesktopHost final : public DesktopHost {
public:
    // owner: a hidden window, so the host gets no taskbar button.
    Win32DesktopHost(HINSTANCE instance, HWND owner = nullptr);
    ~Win32DesktopHost() override;
    Win32DesktopHost(const Win32DesktopHost&) = delete;
    Win32DesktopHost& operator=(const Win32DesktopHost&) = delete;

    void SetOwner(HWND owner) { owner_ = owner; }
    Hwnd Create() override;
    void Destroy() override;
    void FitToWorkArea() override;
    Hwnd Window() const override;

private:
    HINSTANCE instance_;
    HWND owner_;
    HWND hwnd_ = nullptr;
};

}  // namespace mevra
