#pragma once
// Reading the wallpaper's style texts ("WallpaperStyle", "TileWallpaper") as
// numbers: a decimal number with optional surrounding blanks, sign, fraction
// and exponent ("2", " -1", "1.5", "2E0"). Empty text and letters are not.
#include <cstdint>
#include <optional>
#include <string_view>

namespace mevra {

bool IsNumberText(std::string_view text);

// The number rounded to the nearest integer, halves to the even one; nothing
// when the text is not a number or the result does not fit 16 bits.
std::optional<std::int16_t> ToInt16Rounded(std::string_view text);

}  // namespace mevra
