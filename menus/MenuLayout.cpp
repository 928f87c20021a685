#include "menus/MenuLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include "base/Numbers.h"

namespace mevra {
namespace {

// Sums are done in 64 bits and clamped, so absurd extents cannot overflow.
std::int32_t Saturate(std::int64_t v) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(v, lo, hi));
}

std::int32_t AsSigned32(std::uint64_t v) {
    // Two's complement wrap of the low 32 bits, as Windows prints a handle or id.
    const auto low = static_cast<std::uint32_t>(v);
    return low <= 0x7FFFFFFFu ? static_cast<std::int32_t>(low)
                              : -static_cast<std::int32_t>(~low) - 1;
}

std::int32_t Half(std::int32_t v) { return Nearest(static_cast<double>(v) / 2.0); }

}  // namespace

std::int32_t Nearest(double x) {
    if (std::isnan(x)) return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(RoundHalfEven(x), lo, hi));
}

std::string MenuItemKey(std::uint32_t itemId, Hwnd hwnd) {
    return "M" + std::to_string(AsSigned32(itemId)) + "-" +
           std::to_string(AsSigned32(static_cast<std::uint64_t>(hwnd)));
}

ItemText SplitItemText(const std::string& text) {
    const auto tab = text.find('\t');
    if (tab == std::string::npos) return {text, {}};
    return {text.substr(0, tab), text.substr(tab + 1)};
}

std::string MeasuringText(const std::string& text) {
    std::string out = text;
    const auto tab = out.find('\t');
    if (tab != std::string::npos) out[tab] = ' ';
    return out;
}

ConvertedItem ConvertItem(std::uint32_t oldType, const std::string& text) {
    ConvertedItem out{oldType | menuconst::kOwnerDraw, text};
    if (!out.text.empty() && out.text[0] == '|') {
        out.text.erase(0, 1);
        out.type |= menuconst::kMenuBreak;
    }
    return out;
}

Size32 MeasuredItemSize(Size32 textExtent, std::int32_t pictureHeight, bool menuBar,
                        std::int32_t dpi) {
    // Popup items: 50 pixels of margin and picture cell before the text, 6 after.
    const std::int64_t extra = ScaleForDpi(menuBar ? 6 : 56, dpi);
    return {Saturate(std::int64_t{textExtent.cx} + extra),
            Saturate(std::int64_t{std::max(pictureHeight, textExtent.cy)} +
                     ScaleForDpi(6, dpi))};
}

std::int32_t MenuFontHeight(std::int32_t lfHeight, std::int32_t metricsDpi, std::int32_t dpi) {
    const double from = SaneDpi(metricsDpi);
    const double to = dpi > 0 ? SaneDpi(dpi) : from;
    return Nearest(-static_cast<double>(lfHeight) * 96.0 / 72.0 * to / from);
}

std::int32_t MenuFontWeight(std::int32_t lfWeight, bool customStyle, bool bold) {
    return customStyle && bold ? Saturate(std::int64_t{lfWeight} * 2) : lfWeight;
}

PopupLayout LayoutPopupItem(std::int32_t w, std::int32_t h, std::int32_t leftMargin,
                            std::int32_t pictureHeight, std::int32_t captionHeight,
                            std::int32_t shortcutWidth, std::int32_t dpi) {
    PopupLayout l;
    const std::int64_t margin = ScaleForDpi(leftMargin, dpi);
    const std::int64_t cell = ScaleForDpi(PICTURE_CELL_WIDTH, dpi);
    l.pictureCell = {Saturate(margin), 0, Saturate(margin + cell), h};
    l.pictureX = Saturate(margin + ScaleForDpi(2, dpi));
    l.pictureY = Nearest((static_cast<double>(h) - pictureHeight) / 2.0);
    l.captionX = Saturate(margin + cell + ScaleForDpi(4, dpi));
    l.textY = Nearest((static_cast<double>(h) - captionHeight) / 2.0);
    l.shortcutX = Saturate(std::int64_t{w} - ScaleForDpi(5, dpi) - shortcutWidth);
    return l;
}

// The etched line (2 pixels at any DPI) is the top edge of this rectangle, about the
// item's middle.
Rect SeparatorEdgeRect(std::int32_t w, std::int32_t h, std::int32_t leftMargin,
                       std::int32_t dpi) {
    return {ScaleForDpi(leftMargin, dpi), Nearest((static_cast<double>(h) - 2.0) / 2.0),
            Saturate(std::int64_t{w} - ScaleForDpi(5, dpi)), h - 2};
}

SelectionRects LayoutSelection(std::int32_t style, std::int32_t leftMargin, bool hasPicture,
                               std::int32_t w, std::int32_t h, std::int32_t dpi) {
    SelectionRects s;
    s.framed = style == 1;
    const std::int32_t inset = s.framed ? 1 : 0;
    // Style 1 always starts at 25, framed from 24; the other styles start right of
    // the margin, or right of the picture cell when there is a picture.
    // The lines stay one pixel wide at every DPI, as Windows draws its own.
    std::int32_t left = ScaleForDpi(25, dpi);
    if (!s.framed)
        left = Saturate(std::int64_t{ScaleForDpi(leftMargin, dpi)} +
                        (hasPicture ? ScaleForDpi(PICTURE_CELL_WIDTH, dpi) : 0) + 1);
    s.fill = {left, inset, w - inset, h - inset};
    if (s.framed) s.frame = {left - 1, inset - 1, w - inset + 1, h - inset + 1};
    return s;
}

bool HasLeftStrip(const Rect& item) { return item.left > 0; }

Rect LeftStrip(const Rect& item, std::int32_t dpi) {
    return {item.left - ScaleForDpi(4, dpi), item.top, item.left, item.bottom};
}

std::int32_t CentredOffset(std::int32_t outer, std::int32_t inner) {
    return Half(Saturate(std::int64_t{outer} - inner));
}

std::int32_t GapRightEnd(std::int32_t windowWidth, std::int32_t cxBorder) {
    return Saturate(std::int64_t{windowWidth} - 2 * std::int64_t{cxBorder} - 2);
}

BarGaps ComputeBarGaps(const BarItemRecord& last, const Rect& item, std::int32_t itemId,
                       std::int32_t lastBarItemId, std::int32_t gapRight) {
    BarGaps g;
    // The first item of a new row completes the previous row up to the right end.
    const bool nextItem = std::int64_t{itemId} == std::int64_t{last.id} + 1;
    if (nextItem && last.top < item.top && itemId > MENUBAR_FIRST_ID && last.right != 0)
        g.fills.push_back({last.right, last.top, gapRight, last.bottom});
    g.last = {item.left, item.top, item.right, item.bottom, itemId};
    if (itemId == lastBarItemId) g.fills.push_back({item.right, item.top, gapRight, item.bottom});
    return g;
}

ItemState DecodeItemState(std::uint32_t itemState) {
    using namespace menuconst;
    return {(itemState & kSelected) != 0, (itemState & kDisabled) != 0,
            (itemState & kChecked) != 0, (itemState & kHotLight) != 0};
}

bool DrawsSelection(const ItemState& s) { return s.selected && !s.disabled; }

bool DrawsPictureBox(const ItemState& s) { return s.selected && !s.checked && !s.disabled; }

std::uint32_t TextDrawFlags(const ItemState& s) {
    return menuconst::kPrefixText | (s.disabled ? menuconst::kDrawDisabled : 0);
}

ColorRef CheckGlyphColor(const ItemState& s, bool customStyle, ColorRef checkColor,
                         ColorRef textColor) {
    if (s.selected) return checkColor;
    return customStyle ? textColor : checkColor;
}

TextColors PopupTextColors(const ItemState& s, const MenuColorSet& c, ColorRef checkColor) {
    if (s.selected) return {c.SelectTextColor, c.SelectFill};
    return {c.TextColor != 0 ? c.TextColor : checkColor, c.TextBackColor};
}

BarLook BarItemLook(const ItemState& s) {
    if (s.hot) return BarLook::Hot;
    if (s.selected && !s.disabled) return BarLook::Selected;
    return BarLook::Plain;
}

ColorRef PlainBarTextColor(const MenuColorSet& c) {
    return c.TextColor != 0 ? c.TextColor : c.BarTextColor;
}

// Only the first occurrence counts, so "toolbar" at the very start rules a name out.
bool IsToolbarClass(const std::string& className) {
    const auto at = className.find("toolbar");
    return at != std::string::npos && at > 0;
}

}  // namespace mevra
