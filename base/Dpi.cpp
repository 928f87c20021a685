#include "base/Dpi.h"

#include <algorithm>
#include <limits>

namespace mevra {

std::int32_t SaneDpi(std::int32_t dpi) { return dpi > 0 && dpi <= kMaxDpi ? dpi : kDesignDpi; }

std::int32_t ScaleForDpi(std::int32_t designPixels, std::int32_t dpi) {
    const std::int64_t product = std::int64_t{designPixels} * SaneDpi(dpi);
    const std::int64_t half = kDesignDpi / 2;
    const std::int64_t scaled =
        product >= 0 ? (product + half) / kDesignDpi : -((-product + half) / kDesignDpi);
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(scaled, lo, hi));
}

}  // namespace mevra
