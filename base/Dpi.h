#pragma once
// Display scale: lengths are designed in pixels at 96 dots per inch and drawn at the
// DPI of the window or monitor that shows them (base/Dpi_win.h finds that DPI).
#include <cstdint>

namespace mevra {

constexpr std::int32_t kDesignDpi = 96;
constexpr std::int32_t kMaxDpi = 9600;  // beyond any real screen; keeps products small

// A DPI reading that cannot be right (zero, negative, absurd) becomes 96.
std::int32_t SaneDpi(std::int32_t dpi);

// designPixels * dpi / 96, halves away from zero as MulDiv rounds; exact at 96.
std::int32_t ScaleForDpi(std::int32_t designPixels, std::int32_t dpi);

}  // namespace mevra
