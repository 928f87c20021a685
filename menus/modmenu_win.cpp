// The menu engine's Win32 side: subclassing, item conversion, and the GDI work
// of measuring and drawing owner-drawn items. Every decision about sizes,
// positions and colours comes from MenuLayout; this file only carries it out.
#include "menus/modmenu.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "base/Dpi_win.h"
#include "base/Raii_win.h"
#include "base/Report.h"

namespace mevra {

// MenuLayout.h decides with copies of these numbers, so it builds without windows.h.
static_assert(menuconst::kMenuBreak == MFT_MENUBREAK && menuconst::kOwnerDraw == MFT_OWNERDRAW &&
              menuconst::kSeparator == MFT_SEPARATOR);
static_assert(menuconst::kSelected == ODS_SELECTED && menuconst::kDisabled == ODS_DISABLED &&
              menuconst::kChecked == ODS_CHECKED && menuconst::kHotLight == ODS_HOTLIGHT);
static_assert(menuconst::kPrefixText == DST_PREFIXTEXT && menuconst::kBitmap == DST_BITMAP &&
              menuconst::kDrawDisabled == DSS_DISABLED);

namespace {

constexpr int kTextBufferChars = 128;   // item texts are read into 128 characters
constexpr UINT kTextMaxChars = 127;
constexpr LRESULT kErasedBackground = -1;
constexpr const char* kToolbarChildClass = "msvb_lib_toolbar";
constexpr const char* kCheckedBitmapName = "checked";

// Forms hooked by HookMenus; the tables go when the last of them is unhooked.
std::vector<HWND>& HookedForms() {
    static std::vector<HWND> forms;
    return forms;
}

HINSTANCE PictureModule() {
    const HINSTANCE m = modmenu().ResourceModule;
    return m ? m : GetModuleHandleA(nullptr);
}

HBITMAP LoadPicture(std::int32_t id) {
    return LoadBitmapA(PictureModule(), MAKEINTRESOURCEA(id));
}

// A picture at its size for dpi, resampled smoothly; at 96 dpi the loaded one itself.
void ScaleToDpi(UniqueBitmap& bmp, int dpi) {
    const SIZE size = BitmapSize(bmp.get());
    const int cx = ScaleForDpi(size.cx, dpi), cy = ScaleForDpi(size.cy, dpi);
    if (!bmp || (cx == size.cx && cy == size.cy)) return;
    if (HBITMAP scaled = ScaledBitmap(bmp.get(), cx, cy)) bmp.reset(scaled);
}

SIZE TextExtent(HDC dc, const std::string& text) {
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

RECT ToRect(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
Rect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

void FillWith(HDC dc, const Rect& r, HBRUSH brush) {
    if (!brush) return;
    const RECT rc = ToRect(r);
    FillRect(dc, &rc, brush);
}

void FillSolid(HDC dc, const Rect& r, ColorRef colour) {
    UniqueBrush brush(CreateSolidBrush(colour));
    FillWith(dc, r, brush.get());
}

void DrawStateText(HDC dc, const std::string& text, int x, int y, UINT flags) {
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text.c_str()),
               static_cast<WPARAM>(text.size()), x, y, 0, 0, flags);
}

// The stored text of an item, or empty when none was stored.
std::string StoredText(UINT itemId, HWND hwnd) {
    return modmenu().MenuCaptions.Find(MenuItemKey(itemId, FromHwnd(hwnd))).value_or("");
}

// A window menu of any window of ours is left to Windows.
struct WindowMenuSearch {
    HMENU menu;
    bool found;
};

BOOL CALLBACK FindWindowMenu(HWND w, LPARAM param) {
    auto* search = reinterpret_cast<WindowMenuSearch*>(param);
    // Only windows with a window menu; asking others would give them a private copy.
    if ((GetWindowLongPtrA(w, GWL_STYLE) & WS_SYSMENU) && GetSystemMenu(w, FALSE) == search->menu) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

bool IsWindowMenu(HMENU menu, LPARAM initLParam) {
    if (HIWORD(initLParam)) return true;  // Windows says so itself
    WindowMenuSearch search{menu, false};
    EnumThreadWindows(GetCurrentThreadId(), FindWindowMenu, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Installs MenuWindowProc and records the replaced procedure in the window
// property; a window that already carries the property is left as it is, so the
// property never ends up pointing at MenuWindowProc itself.
void Subclass(HWND window) {
    if (!window || !IsWindow(window) || GetPropA(window, ORIG_PROC_PROPERTY)) return;
    const LONG_PTR old =
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MenuWindowProc));
    if (!old) return;
    if (!SetPropA(window, ORIG_PROC_PROPERTY, reinterpret_cast<HANDLE>(old)))
        SetWindowLongPtrA(window, GWLP_WNDPROC, old);  // no record, no subclass
}

// Returns false for a window that carries no procedure of ours.
bool Unsubclass(HWND window) {
    if (!window) return false;
    HANDLE old = GetPropA(window, ORIG_PROC_PROPERTY);
    if (!old) return false;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    RemovePropA(window, ORIG_PROC_PROPERTY);
    return true;
}

void ForgetForm(HWND form) {
    auto& forms = HookedForms();
    forms.erase(std::remove(forms.begin(), forms.end(), form), forms.end());
}

// The toolbar's whole window rectangle gets the menu texture, as the menus do.
void EraseToolbarBackground(HDC dc) {
    HWND window = WindowFromDC(dc);
    RECT wr{};
    GetWindowRect(window, &wr);
    HBITMAP texture = MenuBackPictureAt(DpiForWindow(window));
    UniqueBrush brush(texture ? CreatePatternBrush(texture) : nullptr);
    FillWith(dc, {0, 0, wr.right - wr.left, wr.bottom - wr.top}, brush.get());
}

bool ErasesAsToolbar(HDC dc) {
    HWND window = WindowFromDC(dc);
    if (!window) return false;
    char cls[kTextBufferChars] = {};
    GetClassNameA(window, cls, kTextBufferChars);
    return IsToolbarClass(cls);
}

// Menu-bar items fill the gaps the bar leaves right of its rows, directly on the
// target, and remember themselves for the next item's decision.
void FillBarGaps(HWND hwnd, const DRAWITEMSTRUCT& di, HBRUSH backBrush) {
    auto& st = modmenu();
    RECT wr{};
    GetWindowRect(hwnd, &wr);
    const std::int32_t gapRight = GapRightEnd(wr.right - wr.left, GetSystemMetrics(SM_CXBORDER));
    const BarGaps gaps = ComputeBarGaps(st.LastBarItem, FromRect(di.rcItem),
                                        static_cast<std::int32_t>(di.itemID), st.LastBarItemId,
                                        gapRight);
    for (const Rect& r : gaps.fills) FillWith(di.hDC, r, backBrush);
    st.LastBarItem = gaps.last;
}

// A menu-bar item: a raised edge when hot, a framed fill when selected, and the
// caption centred; no picture and no shortcut.
void DrawBarItem(HDC mem, int w, int h, const ItemState& state, const std::string& caption) {
    const auto& st = modmenu();
    RECT local{0, 0, w, h};
    switch (BarItemLook(state)) {
    case BarLook::Hot:
        DrawEdge(mem, &local, BDR_RAISEDINNER, BF_RECT);
        break;
    case BarLook::Selected: {
        UniqueBrush fill(CreateSolidBrush(st.MenuColors.SelectFill));
        UniquePen frame(CreatePen(PS_SOLID, 1, st.MenuColors.BarFrameColor));
        SetTextColor(mem, st.MenuColors.SelectTextColor);
        SelectGuard penSel(mem, frame.get());
        SelectGuard brushSel(mem, fill.get());
        Rectangle(mem, 0, 0, w, h);
        break;
    }
    case BarLook::Plain:
        SetTextColor(mem, PlainBarTextColor(st.MenuColors));
        break;
    }
    SetBkMode(mem, OPAQUE);
    const SIZE ext = TextExtent(mem, caption);
    DrawStateText(mem, caption, CentredOffset(w, ext.cx), CentredOffset(h, ext.cy),
                  TextDrawFlags(state));
}

// Everything of a popup item after its background: picture or tick, selection,
// caption and shortcut. font holds the caption font and is replaced for the shortcut.
void DrawPopupItem(HDC target, HDC mem, int w, int h, int dpi, const ItemState& state,
                   const ItemText& text, UniqueFont& font, std::optional<SelectGuard>& fontSel) {
    const auto& st = modmenu();
    const int margin = st.MenuLeftMargin;

    // The picture: the tick for checked items, else the caption's own picture.
    UniqueBitmap image, mask;
    UniqueBitmap colourBmp;  // declared before its DC: deleted after it
    UniqueMemDc colourDc;
    std::optional<SelectGuard> colourSel;
    if (state.checked) {
        // Loaded twice: one bitmap cannot be selected into two DCs at once.
        image.reset(LoadBitmapA(PictureModule(), kCheckedBitmapName));
        mask.reset(LoadBitmapA(PictureModule(), kCheckedBitmapName));
        ScaleToDpi(image, dpi);
        ScaleToDpi(mask, dpi);
        const SIZE size = BitmapSize(image.get());
        colourDc.reset(CreateCompatibleDC(target));
        colourBmp.reset(CreateCompatibleBitmap(target, size.cx, size.cy));
        if (colourDc && colourBmp) {
            colourSel.emplace(colourDc.get(), colourBmp.get());
            FillSolid(colourDc.get(), {0, 0, size.cx, size.cy},
                      CheckGlyphColor(state, st.MenuCustomStyle, st.MenuCheckColor,
                                      st.MenuColors.TextColor));
        }
    } else if (const BitmapIds* ids = st.MenuBitmaps.Find(text.caption)) {
        image.reset(LoadPicture(ids->image));
        mask.reset(LoadPicture(ids->mask));
        ScaleToDpi(image, dpi);
        ScaleToDpi(mask, dpi);
    }
    auto releaseColourCell = [&] {
        colourSel.reset();
        colourDc.reset();
        colourBmp.reset();
    };
    const bool hasPicture = static_cast<bool>(image);
    const SIZE picture = BitmapSize(image.get());

    UniqueMemDc imageDc, maskDc;
    std::optional<SelectGuard> imageSel, maskSel;
    if (hasPicture) {
        imageDc.reset(CreateCompatibleDC(target));
        maskDc.reset(CreateCompatibleDC(target));
        // A disabled picture is drawn by DrawState, which needs the bitmap unselected.
        if (!state.disabled) {
            imageSel.emplace(imageDc.get(), image.get());
            maskSel.emplace(maskDc.get(), mask.get());
        }
        if (state.checked) {
            // OR the colour cell over the black tick: the tick takes the check colour.
            if (colourSel)
                BitBlt(imageDc.get(), 0, 0, picture.cx, picture.cy, colourDc.get(), 0, 0,
                       SRCPAINT);
            releaseColourCell();
        }
        if (DrawsPictureBox(state)) {
            RECT box = ToRect(LayoutPopupItem(w, h, margin, 0, 0, 0, dpi).pictureCell);
            DrawEdge(mem, &box, BDR_RAISEDINNER, BF_RECT);
        }
    }
    releaseColourCell();

    if (DrawsSelection(state)) {
        const SelectionRects sel = LayoutSelection(st.MenuStyle, margin, hasPicture, w, h, dpi);
        if (sel.framed) FillSolid(mem, sel.frame, st.MenuSelectFrameColor);
        FillSolid(mem, sel.fill, st.MenuColors.SelectFill);
    }

    const TextColors colours = PopupTextColors(state, st.MenuColors, st.MenuCheckColor);
    SetTextColor(mem, colours.text);
    SetBkColor(mem, colours.back);
    SetBkMode(mem, OPAQUE);

    const UINT flags = TextDrawFlags(state);
    const SIZE captionExt = TextExtent(mem, text.caption);
    const SIZE pictureSize = hasPicture ? picture : SIZE{0, 0};
    const PopupLayout layout =
        LayoutPopupItem(w, h, margin, pictureSize.cy, captionExt.cy, 0, dpi);
    DrawStateText(mem, text.caption, layout.captionX, layout.textY, flags);

    if (!text.shortcut.empty()) {
        // A fresh font for the shortcut column, as the caption's is released here.
        fontSel.reset();
        font.reset(CreateMenuFont(mem, dpi));
        if (font) fontSel.emplace(mem, font.get());
        const SIZE sc = TextExtent(mem, text.shortcut);
        const PopupLayout at =
            LayoutPopupItem(w, h, margin, pictureSize.cy, captionExt.cy, sc.cx, dpi);
        DrawStateText(mem, text.shortcut, at.shortcutX, layout.textY, flags);
    }

    if (hasPicture) {
        if (state.disabled) {
            DrawStateA(mem, nullptr, nullptr, reinterpret_cast<LPARAM>(image.get()), 0,
                       layout.pictureX, layout.pictureY, picture.cx, picture.cy,
                       DST_BITMAP | DSS_DISABLED);
        } else {
            // Clear the opaque pixels to white, then AND the picture into them.
            BitBlt(mem, layout.pictureX, layout.pictureY, picture.cx, picture.cy, maskDc.get(), 0,
                   0, MERGEPAINT);
            BitBlt(mem, layout.pictureX, layout.pictureY, picture.cx, picture.cy, imageDc.get(), 0,
                   0, SRCAND);
        }
    }
    // Release: selections, the two DCs, then the two bitmaps.
    imageSel.reset();
    maskSel.reset();
    imageDc.reset();
    maskDc.reset();
    image.reset();
    mask.reset();
}

}  // namespace

ModMenuState& modmenu() {
    static ModMenuState state;
    return state;
}

void HookMenus(HWND form, bool convertMenuBar) {
    if (!form || !IsWindow(form) || GetPropA(form, ORIG_PROC_PROPERTY)) return;
    if (convertMenuBar) ConvertMenuBar(form);
    Subclass(form);
    if (GetPropA(form, ORIG_PROC_PROPERTY)) HookedForms().push_back(form);
}

void UnhookMenus(HWND form) {
    // Never hooked (or destroyed meanwhile): there is no procedure to put back.
    if (!form || !GetPropA(form, ORIG_PROC_PROPERTY)) return;
    auto& forms = HookedForms();
    const bool known = std::find(forms.begin(), forms.end(), form) != forms.end();
    if (known && forms.size() == 1) {
        modmenu().MenuCaptions.Clear();
        modmenu().MenuBitmaps.Clear();
        // The texture may go with the last form; its handle could come back as another's.
        modmenu().ScaledBackPicture.reset();
        modmenu().ScaledBackSource = nullptr;
    }
    Unsubclass(form);
    ForgetForm(form);
}

void HookToolbarMenus(HWND control) {
    if (!control) return;
    Subclass(FindWindowExA(control, nullptr, kToolbarChildClass, nullptr));
}

void UnhookToolbarMenus(HWND control) {
    if (!control) return;
    Unsubclass(FindWindowExA(control, nullptr, kToolbarChildClass, nullptr));
}

namespace {

LRESULT MenuMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropA(hwnd, ORIG_PROC_PROPERTY));
    // Without a recorded procedure (a message after unhooking) Windows' default serves.
    auto passOn = [&]() -> LRESULT {
        return previous ? CallWindowProcA(previous, hwnd, msg, wParam, lParam)
                        : DefWindowProcA(hwnd, msg, wParam, lParam);
    };

    switch (msg) {
    case WM_DRAWITEM: {
        const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!di || di->CtlType != ODT_MENU) return passOn();
        DrawMenuItem(hwnd, *di);
        return 0;
    }
    case WM_MEASUREITEM: {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!mi || mi->CtlType != ODT_MENU) return passOn();
        SIZE size{0, 0};
        MeasureMenuItem(hwnd, mi->itemID, mi->itemData, size);
        mi->itemWidth = static_cast<UINT>(std::max<LONG>(size.cx, 0));
        mi->itemHeight = static_cast<UINT>(std::max<LONG>(size.cy, 0));
        return 0;
    }
    case WM_INITMENUPOPUP: {
        const auto popup = reinterpret_cast<HMENU>(wParam);
        const bool windowMenu = IsWindowMenu(popup, lParam);
        // The owner's own handling runs first: it may change texts and states.
        const LRESULT result = passOn();
        if (!windowMenu) {
            // Items are measured when the menu first shows, on the monitor it opens on.
            modmenu().MenuDpi = DpiAtCursor();
            ConvertPopupMenu(popup, hwnd, 0);
        }
        return result;
    }
    case WM_ERASEBKGND: {
        const auto dc = reinterpret_cast<HDC>(wParam);
        if (!ErasesAsToolbar(dc)) return passOn();
        EraseToolbarBackground(dc);
        return kErasedBackground;
    }
    case WM_NCDESTROY: {
        // A window destroyed while hooked: drop our record so its handle can be reused.
        const LRESULT result = passOn();
        RemovePropA(hwnd, ORIG_PROC_PROPERTY);
        ForgetForm(hwnd);
        return result;
    }
    default:
        return passOn();
    }
}

}  // namespace

LRESULT CALLBACK MenuWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AtBoundary("menu engine", LRESULT{0},
                      [&] { return MenuMessage(hwnd, msg, wParam, lParam); });
}

void ConvertMenuBar(HWND form) {
    auto& st = modmenu();
    HMENU bar = GetMenu(form);
    const int count = bar ? std::max(GetMenuItemCount(bar), 0) : 0;
    st.LastBarItemId = MENUBAR_FIRST_ID + count - 1;
    // A maximized child form shows its window menu at position 0.
    const int first = IsZoomed(form) ? 1 : 0;
    for (int p = first; p < count; ++p) {
        char buf[kTextBufferChars] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE | MIIM_DATA;
        info.dwTypeData = buf;
        info.cch = kTextMaxChars;
        if (!GetMenuItemInfoA(bar, static_cast<UINT>(p), TRUE, &info)) continue;
        const std::string text(buf, strnlen(buf, std::min<UINT>(info.cch, kTextMaxChars)));
        const UINT id = static_cast<UINT>(MENUBAR_FIRST_ID + p);
        if (!text.empty()) st.MenuCaptions.Replace(MenuItemKey(id, FromHwnd(form)), text);

        // Owner-drawn with the bar's id and item data. SetMenuItemInfo, unlike
        // ModifyMenu, keeps the state and the drop-down menu attached to the item.
        MENUITEMINFOA conv{};
        conv.cbSize = sizeof conv;
        conv.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
        conv.fType = info.fType | MFT_OWNERDRAW;
        conv.wID = id;
        conv.dwItemData = MENUBAR_ITEM_DATA;
        SetMenuItemInfoA(bar, static_cast<UINT>(p), TRUE, &conv);
    }
    DrawMenuBar(form);
}

// Items are read and made owner-drawn again at every opening, so texts the owner
// changed since the last one are picked up; an empty text keeps the stored one.
void ConvertPopupMenu(HMENU menu, HWND hwnd, int position) {
    const int count = GetMenuItemCount(menu);
    if (count <= 0) return;
    int first = 0, last = count - 1;
    if (position > 0) first = last = position;
    auto& captions = modmenu().MenuCaptions;
    for (int p = first; p <= last; ++p) {
        char buf[kTextBufferChars] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_TYPE | MIIM_ID;
        info.dwTypeData = buf;
        info.cch = kTextMaxChars;
        // An item that cannot be read is not written back with made-up fields.
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(p), TRUE, &info)) continue;
        const std::string text(buf, strnlen(buf, sizeof buf));
        const ConvertedItem conv = ConvertItem(info.fType, text);
        info.fType = conv.type;
        info.fMask = MIIM_TYPE | MIIM_ID;
        info.dwTypeData = buf;
        info.cch = kTextMaxChars;
        SetMenuItemInfoA(menu, static_cast<UINT>(p), TRUE, &info);
        if (!conv.text.empty()) captions.Replace(MenuItemKey(info.wID, FromHwnd(hwnd)), conv.text);
    }
}

int MenuItemDpi(HWND hwnd, bool menuBar) {
    const int opened = modmenu().MenuDpi;
    return menuBar || opened <= 0 ? DpiForWindow(hwnd) : opened;
}

HBITMAP MenuBackPictureAt(int dpi) {
    auto& st = modmenu();
    HBITMAP source = st.MenuBackPicture;
    const SIZE size = BitmapSize(source);
    const int cx = ScaleForDpi(size.cx, dpi), cy = ScaleForDpi(size.cy, dpi);
    if (!source || (cx == size.cx && cy == size.cy)) return source;
    if (st.ScaledBackSource != source || st.ScaledBackDpi != dpi || !st.ScaledBackPicture) {
        st.ScaledBackPicture.reset(ScaledBitmap(source, cx, cy));
        st.ScaledBackSource = source;
        st.ScaledBackDpi = dpi;
    }
    return st.ScaledBackPicture ? st.ScaledBackPicture.get() : source;
}

// The system menu font for dpi, its height read as points; the custom settings
// replace weight, style and face.
HFONT CreateMenuFont(HDC dc, int dpi) {
    const auto& st = modmenu();
    if (dpi <= 0) dpi = SaneDpi(GetDeviceCaps(dc, LOGPIXELSY));
    int metricsDpi = kDesignDpi;
    const LOGFONTA lf = MenuFontMetrics(dpi, metricsDpi);
    const int height = MenuFontHeight(lf.lfHeight, metricsDpi, dpi);
    if (!st.MenuCustomStyle) {
        const std::string face(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
        return CreateFontA(height, lf.lfWidth, lf.lfEscapement, lf.lfOrientation, lf.lfWeight,
                           lf.lfItalic, lf.lfUnderline, lf.lfStrikeOut, lf.lfCharSet,
                           lf.lfOutPrecision, lf.lfClipPrecision, lf.lfQuality,
                           lf.lfPitchAndFamily, face.c_str());
    }
    return CreateFontA(height, lf.lfWidth, lf.lfEscapement, lf.lfOrientation,
                       MenuFontWeight(lf.lfWeight, true, st.MenuFontBold), st.MenuFontItalic,
                       st.MenuFontUnderline, st.MenuFontStrikeout, lf.lfCharSet,
                       lf.lfOutPrecision, lf.lfClipPrecision, lf.lfQuality, lf.lfPitchAndFamily,
                       st.MenuFontName.c_str());
}

void MeasureMenuItem(HWND hwnd, UINT itemId, ULONG_PTR itemData, SIZE& size) {
    const std::string text = StoredText(itemId, hwnd);
    const std::string measuring = MeasuringText(text);
    const bool bar = itemData == MENUBAR_ITEM_DATA;
    const int dpi = MenuItemDpi(hwnd, bar);

    // Measured on the hooked window's DC with the same font the drawing uses.
    SIZE ext{0, 0};
    {
        UniqueFont font;  // outlives the DC: deleted after ReleaseDC
        WindowDc dc(hwnd);
        if (dc.get()) {
            font.reset(CreateMenuFont(dc.get(), dpi));
            SelectGuard sel(dc.get(), font.get());
            ext = TextExtent(dc.get(), measuring);
        }
    }

    std::int32_t pictureHeight = 0;
    if (const BitmapIds* ids = modmenu().MenuBitmaps.Find(SplitItemText(text).caption)) {
        UniqueBitmap image(LoadPicture(ids->image));
        pictureHeight = ScaleForDpi(BitmapSize(image.get()).cy, dpi);
    }
    const Size32 s = MeasuredItemSize({ext.cx, ext.cy}, pictureHeight, bar, dpi);
    size.cx = s.cx;
    size.cy = s.cy;
}

void DrawMenuItem(HWND hwnd, const DRAWITEMSTRUCT& di) {
    const auto& st = modmenu();
    const RECT rc = di.rcItem;
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    HDC target = di.hDC;
    if (w <= 0 || h <= 0 || !target) return;

    char buf[kTextBufferChars] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_TYPE | MIIM_ID;
    info.dwTypeData = buf;
    info.cch = kTextMaxChars;
    GetMenuItemInfoA(reinterpret_cast<HMENU>(di.hwndItem), di.itemID, FALSE, &info);
    const bool separator = (info.fType & MFT_SEPARATOR) != 0;
    const bool bar = di.itemData == MENUBAR_ITEM_DATA;
    const ItemState state = DecodeItemState(di.itemState);
    const int dpi = MenuItemDpi(hwnd, bar);
    HBITMAP texture = MenuBackPictureAt(dpi);

    // The item is built off-screen and shown with one copy.
    UniqueBitmap memBmp;  // declared first so it is deleted after the DC
    UniqueMemDc memDc(CreateCompatibleDC(target));
    if (!memDc) return;
    memBmp.reset(CreateCompatibleBitmap(target, w, h));
    if (!memBmp) return;
    SelectGuard memSel(memDc.get(), memBmp.get());
    HDC mem = memDc.get();

    {
        UniqueBrush backBrush(texture ? CreatePatternBrush(texture) : nullptr);
        if (bar) FillBarGaps(hwnd, di, backBrush.get());
        // Line the pattern up with the target so neighbouring items join seamlessly.
        SetBrushOrgEx(mem, -rc.left, -rc.top, nullptr);
        const RECT all{0, 0, w, h};
        if (backBrush) {
            SelectGuard sel(mem, backBrush.get());
            FillRect(mem, &all, backBrush.get());
        } else {
            FillRect(mem, &all, GetSysColorBrush(COLOR_MENU));  // no picture set yet
        }
    }

    {
        UniqueFont font;
        std::optional<SelectGuard> fontSel;
        if (separator) {
            RECT edge = ToRect(SeparatorEdgeRect(w, h, st.MenuLeftMargin, dpi));
            DrawEdge(mem, &edge, EDGE_ETCHED, BF_TOP);
        } else {
            const ItemText text = SplitItemText(StoredText(di.itemID, hwnd));
            font.reset(CreateMenuFont(mem, dpi));
            if (font) fontSel.emplace(mem, font.get());
            if (bar)
                DrawBarItem(mem, w, h, state, text.caption);
            else
                DrawPopupItem(target, mem, w, h, dpi, state, text, font, fontSel);
        }
        if (!bar && HasLeftStrip(FromRect(rc)) && texture) {
            UniqueBrush strip(CreatePatternBrush(texture));
            FillWith(target, LeftStrip(FromRect(rc), dpi), strip.get());
        }
    }  // the menu font is deselected and deleted here

    BitBlt(target, rc.left, rc.top, w, h, mem, 0, 0, SRCCOPY);
}

}  // namespace mevra
