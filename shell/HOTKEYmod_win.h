#pragma once
// The hotkeys' Win32 side: RegisterHotKey, and MainWindowProc, the window
// procedure that takes WM_HOTKEY on the main window and passes everything else
// to the procedure it replaced (the menu engine's).
#include <windows.h>
#include "shell/HOTKEYmod.h"

namespace mevra {

class Win32HotkeyApi final : public HotkeyApi {
public:
    bool Register(Hwnd hwnd, std::int32_t id, std::uint32_t modifiers, std::uint32_t key) override;
    bool Unregister(Hwnd hwnd, std::int32_t id) override;
};

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Puts MainWindowProc on hwnd, keeping the replaced procedure; hotkeys then
// reach form, and the seek rows hotkeys.m_objHotkeyMedia.
void InstallMainWindowProc(HWND hwnd, HotkeyTarget& form, HOTKEYmod& hotkeys);
// Puts the replaced procedure back; from then on hotkeys are not acted on.
void RemoveMainWindowProc();
// The procedure MainWindowProc replaced (m_lngPrevWndProc), or nullptr.
WNDPROC PreviousMainWindowProc();

}  // namespace mevra
