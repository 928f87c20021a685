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

private:
    SystemSettings& system_;
};

}  // namespace mevra
