#pragma once
// DesktopMod: the desktop window's visibility and the screen-saver switch.
#include "base/Types.h"

namespace mevra {

// The title of the desktop window the film plays on.
inline constexpr char kDesktopWindowTitle[] = "Program Manager";

class SystemSettings;

class DesktopMod {
public:
    explicit DesktopMod(SystemSettings& system);
    void SetDesktopHidden(Hwnd window, bool hide);
    void SetScreenSaverActive(bool active);
    // Start-up: the screen saver off for this logon, unless it locks the computer
    // (lockedByPolicy, or the user's own setting): switching it off would defeat the lock.
    void SuspendScreenSaver(bool lockedByPolicy);
    // Exit and logoff: the user's setting again, once, if the start-up changed it.
    void RestoreScreenSaver();

private:
    SystemSettings& system_;
    bool suspended_ = false;
};

}  // namespace mevra
