#pragma once
// The look of Mevra's menus: the engine's settings and the caption-to-picture
// table, installed once at start-up right after the menus are hooked.
#include <windows.h>

namespace mevra {

void ApplyMenuStyle(HBITMAP image1);

}  // namespace mevra
