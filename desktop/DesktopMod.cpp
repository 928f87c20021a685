#include "desktop/DesktopMod.h"

#include "desktop/SystemSettings.h"

namespace mevra {

DesktopMod::DesktopMod(SystemSettings& system) : system_(system) {}

void DesktopMod::SetDesktopHidden(Hwnd window, bool hide) {
    system_.ShowWindow(window, hide ? kSwHide : kSwShow);
}

void DesktopMod::SetScreenSaverActive(bool active) {
    // Flags 0: for this logon only, not written to the profile, no broadcast.
    system_.SetScreenSaveActive(active, 0);
}

void DesktopMod::SuspendScreenSaver(bool lockedByPolicy) {
    bool secure = false;
    if (lockedByPolicy || (system_.GetScreenSaveSecure(secure) && secure)) return;
    bool active = true;
    // Already off, there is nothing to give back; unknown, it is taken as on.
    if (system_.GetScreenSaveActive(active) && !active) return;
    SetScreenSaverActive(false);
    suspended_ = true;
}

void DesktopMod::RestoreScreenSaver() {
    if (!suspended_) return;
    SetScreenSaverActive(true);
    suspended_ = false;
}

}  // namespace mevra
