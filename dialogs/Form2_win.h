#pragma once
// Form2, the About box as a Win32 window: modeless, without an owner, one at a time.
#include <windows.h>
#include <functional>
#include "dialogs/Form2.h"

namespace mevra {

// Control ids of the box's children.
constexpr int kAboutLabel1Id = 1001;
constexpr int kAboutLabel2Id = 1002;
constexpr int kAboutCommand1Id = 1003;

// Shows the About box: the open one is restored and brought to the front, otherwise
// a new one is created, centred on the screen. `background` (Image1's picture) is
// only borrowed: it is neither copied nor deleted and must outlive the box; the same
// holds for `icon`. Returns the box's window, or nullptr when it could not be made.
HWND ShowAboutBox(HINSTANCE inst, HBITMAP background, HICON icon);

// The open box's window, or nullptr.
HWND AboutBoxWindow();
bool AboutBoxOpen();

// Hover-tip window of the link label (a tooltip control owned by the box), or nullptr.
HWND AboutBoxTooltip();

// For the message loop: gives the box its keyboard handling (Tab, Enter on Close).
// True when the message was for the box and has been dealt with.
bool IsAboutBoxMessage(MSG& msg);

// Called once each time a box has been destroyed, e.g. so the message loop can end
// when the main window is already gone. An empty function removes the handler.
void SetAboutBoxClosedHandler(std::function<void()> handler);

// Replaces the starter of the link's command line; nullptr restores WinExec.
void SetAboutLauncher(ProcessLauncher* launcher);

}  // namespace mevra
