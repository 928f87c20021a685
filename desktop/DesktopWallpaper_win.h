#pragma once
// The desktop-wallpaper adapter over IDesktopWallpaper (ole32, shell32 late-bound, so
// the program still starts where neither offers it) and the kernel32 file calls.
#include "desktop/DesktopWallpaper.h"

namespace mevra {

class Win32DesktopWallpaper final : public DesktopWallpaper {
public:
    std::optional<Slideshow> RunningSlideshow() override;
    bool StartSlideshow(const Slideshow& show) override;
    bool FileExists(const WideText& path) override;
    WideText KeepWindowsCopy() override;
    void DeleteCopy(const WideText& path) override;
};

}  // namespace mevra
