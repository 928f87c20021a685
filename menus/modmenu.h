#pragma once
// modmenu: the owner-drawn menu engine. It subclasses a window, turns the items of
// every popup it opens into owner-drawn items (remembering their texts) and
// measures and draws them itself at the monitor's DPI: textured background, pictures
// (16 pixels at 96 dpi), a
// coloured check glyph, framed selection and right-aligned shortcut text.
//
// Use: HookMenus(window, true) before any menu is shown; fill modmenu() settings
// and MenuBitmaps; ... UnhookMenus(window) after removing any later subclass.
#include <windows.h>
#include <cstdint>
#include <string>

#include "base/Raii_win.h"
#include "base/Types.h"
#include "menus/MenuLayout.h"
#include "menus/MenuTables.h"

namespace mevra {

// Window property that holds the procedure HookMenus replaced.
constexpr const char* ORIG_PROC_PROPERTY = "ODMenuOrigProc";

// The engine's whole state, one set per process, reached through modmenu().
struct ModMenuState {
    // Settings, written by the application once at start-up.
    HBITMAP MenuBackPicture = nullptr;  // borrowed, never deleted by the engine
    bool MenuCustomStyle = false;
    std::int32_t MenuLeftMargin = 28;
    MenuColorSet MenuColors;
    ColorRef MenuCheckColor = Rgb(255, 0, 0);
    ColorRef MenuSelectFrameColor = Rgb(10, 36, 106);
    std::int32_t MenuStyle = 1;
    std::string MenuFontName;
    bool MenuFontBold = false;
    bool MenuFontItalic = false;
    bool MenuFontUnderline = false;
    bool MenuFontStrikeout = false;

    // Tables: item texts by MenuItemKey, and caption -> (image id, mask id).
    // Emptied when the last hooked form is unhooked.
    CaptionTable MenuCaptions;
    BitmapTable MenuBitmaps;

    // Menu-bar bookkeeping for the gap filling between bar items.
    std::int32_t LastBarItemId = 0;
    BarItemRecord LastBarItem;

    // Module the pictures are loaded from; nullptr means the program itself.
    HINSTANCE ResourceModule = nullptr;

    // DPI of the monitor the open popup menu shows on; 0 until one opens.
    std::int32_t MenuDpi = 0;
    // MenuBackPicture resampled for ScaledBackDpi, made when first needed at that DPI
    // and dropped with the tables.
    UniqueBitmap ScaledBackPicture;
    HBITMAP ScaledBackSource = nullptr;
    std::int32_t ScaledBackDpi = 0;
};

ModMenuState& modmenu();

// Subclass a form (top-level window with menus); with convertMenuBar its menu
// bar items become owner-drawn at once. Hooking a hooked window does nothing.
void HookMenus(HWND form, bool convertMenuBar);
// Put the replaced procedure back; a window never hooked is left alone.
void UnhookMenus(HWND form);
// The same for a toolbar control: its "msvb_lib_toolbar" child is subclassed.
void HookToolbarMenus(HWND control);
void UnhookToolbarMenus(HWND control);

LRESULT CALLBACK MenuWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

void ConvertMenuBar(HWND form);
// position <= 0 converts every item of the popup, else only that position.
void ConvertPopupMenu(HMENU menu, HWND hwnd, int position);

void MeasureMenuItem(HWND hwnd, UINT itemId, ULONG_PTR itemData, SIZE& size);
void DrawMenuItem(HWND hwnd, const DRAWITEMSTRUCT& item);
// The menu font at dpi (0: the DPI of dc); the caller selects and deletes it.
// nullptr on failure.
HFONT CreateMenuFont(HDC dc, int dpi = 0);
// The DPI a menu item of hwnd is measured and drawn for: a bar item the window's,
// a popup item the one of the monitor its menu opened on.
int MenuItemDpi(HWND hwnd, bool menuBar);
// The texture at dpi: MenuBackPicture itself at 96, else a smoothly scaled copy.
HBITMAP MenuBackPictureAt(int dpi);

}  // namespace mevra
