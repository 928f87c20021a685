#include "shell/MenuStyle_win.h"

#include "base/Types.h"
#include "menus/modmenu.h"
#include "resources/resource.h"

namespace mevra {

void ApplyMenuStyle(HBITMAP image1) {
    ModMenuState& m = modmenu();
    m.MenuBackPicture = image1;
    m.MenuCustomStyle = false;
    m.MenuLeftMargin = 28;
    m.MenuColors.TextColor = kPlaybackDesktopColor;
    m.MenuCheckColor = 255;
    m.MenuColors.SelectFill = Rgb(182, 189, 210);
    m.MenuColors.TextBackColor = Rgb(58, 110, 165);
    m.MenuColors.SelectTextColor = Rgb(0, 0, 255);
    m.MenuColors.BarTextColor = 0;
    m.MenuSelectFrameColor = Rgb(10, 36, 106);
    m.MenuStyle = 1;
    m.MenuBitmaps.Add("Open", IDB_OPEN, IDB_OPEN_MASK);
    m.MenuBitmaps.Add("Mute", IDB_MUTE, IDB_MUTE_MASK);
    m.MenuBitmaps.Add("Play", IDB_PLAY, IDB_PLAY_MASK);
    m.MenuBitmaps.Add("Pause", IDB_PAUSE, IDB_PAUSE_MASK);
    m.MenuBitmaps.Add("FForward", IDB_FFORWARD, IDB_FFORWARD_MASK);
    m.MenuBitmaps.Add("FRewind", IDB_FREWIND, IDB_FREWIND_MASK);
    m.MenuBitmaps.Add("Tool", IDB_TOOL, IDB_TOOL_MASK);
    m.MenuBitmaps.Add("Stop", IDB_STOP, IDB_STOP_MASK);
}

}  // namespace mevra
