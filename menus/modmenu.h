#pragma once
// modmenu: the owner-drawn menu engine. It subclasses a window, turns the items of
// every popup it opens into owner-drawn items (remembering their texts) and
// measures and draws them itself: textured background, 16-pixel pictures, a
// coloured check glyph, framed selection and right-aligned shortcut text.
//
// Use: HookMenus(window, true) before any menu is shown; fill modmenu() settings
// and MenuBitmaps; ... UnhookMenus(window) after removing any later subclass.
#include <windows.h>
#include <cstdint>
#include <string>

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
// The menu font for dc; the caller selects and deletes it. nullptr on failure.
HFONT CreateMenuFont(HDC dc);

}  // namespace mevra
