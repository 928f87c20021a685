#include "dialogs/CDialogEX.h"

#include <algorithm>
#include <cmath>
#include "base/Dpi.h"
#include "base/Numbers.h"

namespace mevra {

namespace {
constexpr std::int32_t kBannerLeftShift = 4;
constexpr std::int32_t kBannerTopShift = 23;  // below the dialog's caption
constexpr double kTwipsPerInch = 1440.0;
constexpr double kTwipsPerDesignPixel = 15.0;
constexpr std::int32_t kBannerGap = 4;  // between the lowest control and the banner
}  // namespace

std::string BuildFilter(const std::string& filter) {
    std::string result = filter;
    for (char& c : result)
        if (c == '|') c = '\0';
    result.append(2, '\0');
    return result;
}

std::string ChosenPath(const std::string& fileBuffer) {
    std::string path = fileBuffer.substr(0, fileBuffer.find('\0'));
    const std::size_t first = path.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    const std::size_t last = path.find_last_not_of(' ');
    return path.substr(first, last - first + 1);
}

std::int32_t CentredCoordinate(std::int32_t screenPixels, std::int32_t dpi,
                               std::int32_t windowSize) {
    if (dpi <= 0) dpi = 96;  // a broken DC reading: fall back to the design resolution
    const double screenTwips = static_cast<double>(screenPixels) * kTwipsPerInch / dpi;
    const double screen = screenTwips / kTwipsPerDesignPixel;
    return ToInt32(RoundHalfEven((screen - windowSize) / 2.0));
}

std::int32_t KeptOnScreen(std::int32_t at, std::int32_t windowSize, std::int32_t screenPixels) {
    const std::int64_t end = std::int64_t{at} + windowSize;
    if (end > screenPixels) at = static_cast<std::int32_t>(std::int64_t{screenPixels} - windowSize);
    return std::max(at, 0);
}

BannerPlacement PlaceBanner(const DialogLayout& design, std::int32_t dpi,
                            std::int32_t controlsBottom, std::int32_t bannerHeight96,
                            std::int32_t bannerHeight) {
    BannerPlacement p;
    p.left = ScaleForDpi(design.bannerLeft, dpi);
    const std::int64_t below = std::int64_t{controlsBottom} + ScaleForDpi(kBannerGap, dpi);
    p.top = ToInt32(std::max<std::int64_t>(ScaleForDpi(design.bannerTop, dpi), below));
    const std::int32_t margin96 = std::max<std::int32_t>(
        0, ToInt32(std::int64_t{design.height} - design.bannerTop - bannerHeight96));
    const std::int64_t needed = std::int64_t{p.top} + std::max(bannerHeight, 0) +
                                ScaleForDpi(margin96, dpi);
    p.dialogHeight = ToInt32(std::max<std::int64_t>(ScaleForDpi(design.height, dpi), needed));
    return p;
}

void CDialogEX::SetPreviewWindow(Hwnd window, std::int32_t left, std::int32_t top) {
    layout_.banner = window;
    layout_.bannerLeft = CheckedAdd32(left, kBannerLeftShift);
    layout_.bannerTop = CheckedAdd32(top, kBannerTopShift);
}

std::string CDialogEX::BuildFilter() const { return mevra::BuildFilter(filter_); }

void CDialogEX::ShowOpen(Hwnd owner, const std::string& initialFile,
                         const std::optional<std::string>& initialDir,
                         const std::string& title) {
    record_.hwndOwner = owner;
    record_.filter = BuildFilter();
    // Keep at least one NUL in the buffer, whatever the caller passes.
    record_.file = initialFile.substr(0, kFileBufferChars - 1);
    record_.file.resize(kFileBufferChars, '\0');
    record_.nMaxFile = kMaxFile;
    record_.nMaxFileTitle = kMaxFileTitle;
    record_.initialDir = initialDir;
    record_.title = title;
    record_.flags = kOpenDialogFlags;
    if (!api_.RunOpenDialog(record_, layout_)) return;
    lastOpenedFile_ = ChosenPath(record_.file);
}

}  // namespace mevra
