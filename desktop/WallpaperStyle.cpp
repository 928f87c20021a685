#include "desktop/WallpaperStyle.h"

#include <cmath>
#include "base/Numbers.h"

namespace mevra {

bool IsNumberText(std::string_view text) { return WholeNumber(text).has_value(); }

std::optional<std::int16_t> ToInt16Rounded(std::string_view text) {
    const auto number = WholeNumber(text);
    if (!number) return std::nullopt;
    const double rounded = RoundHalfEven(*number);
    // Checked before converting: a double outside the range has no int16 value.
    if (!(rounded >= INT16_MIN && rounded <= INT16_MAX)) return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

}  // namespace mevra
