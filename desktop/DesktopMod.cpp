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

}  // namespace mevra
