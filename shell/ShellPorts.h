#pragma once
// The small interfaces through which the main window's command logic reaches
// Windows: the loop timer, the menu's check marks, and the window services
// (repaint, popup menu, strings, start-up and shutdown hooks). Form1_win.cpp
// implements them over user32; the unit tests use recording fakes.
#include <cstdint>
#include <string>
#include "base/Types.h"

namespace mevra {

// tmrLoop: a user-interface-thread timer.
class LoopTimer {
public:
    virtual ~LoopTimer() = default;
    virtual void Start(std::uint32_t intervalMs) = 0;
    virtual void Stop() = 0;
};

// The popup menu's items (the tree is built in Form1_win.cpp).
enum class MenuItem {
    mnuFName, mnuDT, mnuHD, mnuSD, mnuArrow, mnuloop, mnuSt, mnuAbout,
    mnuCon, mnuPlay, mnuPause, mnuFF, mnuFR, mnuStop, mnuM, mnuExit,
};

class MenuChecks {
public:
    virtual ~MenuChecks() = default;
    virtual void SetChecked(MenuItem item, bool checked) = 0;
    virtual void SetEnabled(MenuItem item, bool enabled) = 0;
};

// Whether anybody can see the desktop, asked on each loop-timer tick.
class CoverWatch {
public:
    virtual ~CoverWatch() = default;
    virtual bool DesktopCovered() = 0;
};

class ShellUi {
public:
    virtual ~ShellUi() = default;
    // Start-up and shutdown.
    virtual bool AnotherInstanceRunning() = 0;
    virtual void SetupMenuStyle() = 0;        // hook the owner-drawn menu engine
    virtual void InstallMainWindowProc() = 0;  // MainWindowProc on top of the engine
    virtual void RemoveMainWindowProc() = 0;
    virtual void UnhookMenus() = 0;
    virtual void CloseMainWindow() = 0;       // unloads the main window (Exit)
    virtual std::intptr_t TrayIcon() = 0;     // imgIcon's picture
    virtual Hwnd BannerWindow() = 0;          // Picture2's window
    // While running.
    virtual void RepaintAll() = 0;            // InvalidateRect(NULL, NULL, TRUE)
    virtual void ShowPopupMenu() = 0;         // foreground, then the popup at the cursor
    virtual std::string LoadTip(std::int32_t id) = 0;  // the string resource id
    virtual void ShowAbout() = 0;             // modeless, no owner, one at a time
};

}  // namespace mevra
