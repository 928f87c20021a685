#include "dialogs/Form2.h"

#include <cstdint>
#include <limits>

namespace mevra {

std::string AboutText() {
    // The two middle lines are left empty on purpose: they space the version from the publisher.
    static constexpr char kCrLf[] = "\r\n";
    return std::string(kAboutVersionLine) + kCrLf + kCrLf + kCrLf + kAboutPublisherLine;
}

std::string ArtworkLinkCommandLine() {
    return std::string(kExplorerCommand) + kArtworkLinkAddress;
}

int TwipsToPixels(int twips, int dpi) {
    // 64-bit product: twips * dpi of two 32-bit values cannot overflow here.
    const std::int64_t product = static_cast<std::int64_t>(twips) * dpi;
    const std::int64_t half = kTwipsPerInch / 2;
    const std::int64_t rounded =
        product >= 0 ? (product + half) / kTwipsPerInch : -((-product + half) / kTwipsPerInch);
    if (rounded > std::numeric_limits<std::int32_t>::max() ||
        rounded < std::numeric_limits<std::int32_t>::min())
        throw OverflowError();
    return static_cast<int>(rounded);
}

Rect TwipsBoxToPixels(const TwipsBox& box, int dpiX, int dpiY) {
    // Width and height are converted on their own, so every control keeps its size
    // whatever its position rounds to.
    Rect r;
    r.left = TwipsToPixels(box.left, dpiX);
    r.top = TwipsToPixels(box.top, dpiY);
    const std::int64_t right = static_cast<std::int64_t>(r.left) + TwipsToPixels(box.width, dpiX);
    const std::int64_t bottom = static_cast<std::int64_t>(r.top) + TwipsToPixels(box.height, dpiY);
    if (right > std::numeric_limits<std::int32_t>::max() ||
        bottom > std::numeric_limits<std::int32_t>::max() ||
        right < std::numeric_limits<std::int32_t>::min() ||
        bottom < std::numeric_limits<std::int32_t>::min())
        throw OverflowError();
    r.right = static_cast<std::int32_t>(right);
    r.bottom = static_cast<std::int32_t>(bottom);
    return r;
}

Origin CenteredOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
    auto centre = [](int screen, int window) {
        const std::int64_t spare = static_cast<std::int64_t>(screen) - window;
        return spare > 0 ? static_cast<int>(spare / 2) : 0;
    };
    return Origin{centre(screenWidth, windowWidth), centre(screenHeight, windowHeight)};
}

void OpenArtworkLink(ProcessLauncher& launcher) {
    // A failed start is not reported: the box has nowhere to say so.
    launcher.Start(ArtworkLinkCommandLine(), kShowMinimized);
}

}  // namespace mevra
