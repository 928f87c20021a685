#pragma once
// Layout and colour decisions of the owner-drawn menu items, kept free of
// Windows headers so they can be checked on any machine. Coordinates are
// relative to the item's own rectangle unless a function says otherwise. Margins,
// gaps and the picture cell are design pixels at 96 dpi, scaled to the dpi given;
// measured extents (text, pictures already at their size) are taken as they are.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Dpi.h"
#include "base/Types.h"

namespace mevra {

// Width of the cell that holds an item's picture or check glyph, and the picture's
// own size, at 96 dpi.
constexpr std::int32_t PICTURE_CELL_WIDTH = 20;
constexpr std::int32_t PICTURE_SIZE = 16;
// Item data of converted menu-bar items; popup items carry none.
constexpr std::uintptr_t MENUBAR_ITEM_DATA = 2;
// Command id of menu-bar position 0; position p gets MENUBAR_FIRST_ID + p.
constexpr std::int32_t MENUBAR_FIRST_ID = 666;

// Windows values the decisions below use (MFT_, ODS_, DST_ and DSS_ of winuser.h).
namespace menuconst {
constexpr std::uint32_t kMenuBreak = 0x40;
constexpr std::uint32_t kOwnerDraw = 0x100;
constexpr std::uint32_t kSeparator = 0x800;
constexpr std::uint32_t kSelected = 0x1;
constexpr std::uint32_t kDisabled = 0x4;
constexpr std::uint32_t kChecked = 0x8;
constexpr std::uint32_t kHotLight = 0x40;
constexpr std::uint32_t kPrefixText = 0x2;
constexpr std::uint32_t kBitmap = 0x4;
constexpr std::uint32_t kDrawDisabled = 0x20;
}  // namespace menuconst

struct Size32 {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
};

struct MenuColorSet {
    ColorRef SelectFill = Rgb(182, 189, 210);     // selected item fill and text background
    ColorRef TextColor = kPlaybackDesktopColor;   // unselected text; 0 = fall back
    ColorRef TextBackColor = Rgb(58, 110, 165);   // text background of unselected popup items
    ColorRef SelectTextColor = Rgb(0, 0, 255);    // text of selected items
    ColorRef BarTextColor = 0;                    // menu-bar text when TextColor is 0
    ColorRef BarFrameColor = 0;                   // frame of a selected menu-bar item
};

// Rectangle and command id of the menu-bar item drawn last.
struct BarItemRecord {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0, id = 0;
};

// RoundHalfEven as a 32-bit integer, clamped to its range; NaN gives 0.
std::int32_t Nearest(double x);

// "M" + id + "-" + window handle, both as signed 32-bit decimals.
std::string MenuItemKey(std::uint32_t itemId, Hwnd hwnd);

// A stored item text split at its first tab: caption before, shortcut after.
struct ItemText {
    std::string caption;
    std::string shortcut;
};
ItemText SplitItemText(const std::string& text);
// The text whose extent sizes an item: the first tab becomes a space.
std::string MeasuringText(const std::string& text);

// What ConvertPopupMenu makes of an item: its owner-draw type and stored text
// (a leading "|" is dropped and starts a new column).
struct ConvertedItem {
    std::uint32_t type = 0;
    std::string text;
};
ConvertedItem ConvertItem(std::uint32_t oldType, const std::string& text);

// Item size from the measured text extent and the picture's height (0 if none).
Size32 MeasuredItemSize(Size32 textExtent, std::int32_t pictureHeight, bool menuBar,
                        std::int32_t dpi = kDesignDpi);

// Font cell height from the system menu font's lfHeight, which Windows gives in pixels
// at metricsDpi: its pixels are read as points (-12 gives a 16-pixel cell), once, and
// carried over to dpi when the metrics are for another DPI.
std::int32_t MenuFontHeight(std::int32_t lfHeight, std::int32_t metricsDpi,
                            std::int32_t dpi = 0);
std::int32_t MenuFontWeight(std::int32_t lfWeight, bool customStyle, bool bold);

// Popup item geometry for an item w x h.
struct PopupLayout {
    Rect pictureCell;              // MenuLeftMargin .. +20, full height
    std::int32_t pictureX = 0;     // picture or check glyph
    std::int32_t pictureY = 0;
    std::int32_t captionX = 0;
    std::int32_t textY = 0;        // caption and shortcut
    std::int32_t shortcutX = 0;    // so that the shortcut ends at w - 5
};
PopupLayout LayoutPopupItem(std::int32_t w, std::int32_t h, std::int32_t leftMargin,
                            std::int32_t pictureHeight, std::int32_t captionHeight,
                            std::int32_t shortcutWidth, std::int32_t dpi = kDesignDpi);

// Rectangle whose top edge carries the etched separator line.
Rect SeparatorEdgeRect(std::int32_t w, std::int32_t h, std::int32_t leftMargin,
                       std::int32_t dpi = kDesignDpi);

// Selection of a popup item: style 1 has a 1-pixel frame around the fill.
struct SelectionRects {
    bool framed = false;
    Rect frame;
    Rect fill;
};
SelectionRects LayoutSelection(std::int32_t style, std::int32_t leftMargin, bool hasPicture,
                               std::int32_t w, std::int32_t h, std::int32_t dpi = kDesignDpi);

// The 4 pixels (at 96 dpi) left of a popup item, inside the menu border, in target
// coordinates.
bool HasLeftStrip(const Rect& item);
Rect LeftStrip(const Rect& item, std::int32_t dpi = kDesignDpi);

// Menu-bar captions are centred.
std::int32_t CentredOffset(std::int32_t outer, std::int32_t inner);

// Menu-bar gap filling: where the texture goes on the target when a bar item is
// drawn, and the record of the item drawn last afterwards.
std::int32_t GapRightEnd(std::int32_t windowWidth, std::int32_t cxBorder);
struct BarGaps {
    std::vector<Rect> fills;
    BarItemRecord last;
};
BarGaps ComputeBarGaps(const BarItemRecord& last, const Rect& item, std::int32_t itemId,
                       std::int32_t lastBarItemId, std::int32_t gapRight);

// Decisions that depend on the item's state bits.
struct ItemState {
    bool selected = false;
    bool disabled = false;
    bool checked = false;
    bool hot = false;
};
ItemState DecodeItemState(std::uint32_t itemState);
// The selection is drawn for selected items that are enabled.
bool DrawsSelection(const ItemState& s);
// A raised box around the picture cell of a selected, enabled, unchecked picture.
bool DrawsPictureBox(const ItemState& s);
std::uint32_t TextDrawFlags(const ItemState& s);
ColorRef CheckGlyphColor(const ItemState& s, bool customStyle, ColorRef checkColor,
                         ColorRef textColor);
struct TextColors {
    ColorRef text = 0;
    ColorRef back = 0;
};
TextColors PopupTextColors(const ItemState& s, const MenuColorSet& c, ColorRef checkColor);
enum class BarLook { Hot, Selected, Plain };
BarLook BarItemLook(const ItemState& s);
// Text colour of a plain (neither hot nor selected) menu-bar item.
ColorRef PlainBarTextColor(const MenuColorSet& c);

// Erase-background rule: "toolbar" found in the class name, but not at its start.
bool IsToolbarClass(const std::string& className);

}  // namespace mevra
