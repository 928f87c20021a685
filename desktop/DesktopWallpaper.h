#pragma once
// What Windows 8 and later keep beside the wallpaper values: the slideshow (through
// IDesktopWallpaper) and Windows' own copy of the picture shown, which outlives the
// picture's file. Behind a thin interface so the save and restore decisions run
// without Windows; where the interface is missing every answer is "nothing".
#include <cstdint>
#include <optional>
#include "desktop/SystemSettings.h"

namespace mevra {

struct Slideshow {
    WideText items;  // folders or pictures: their parsing names, each ended by a NUL
    std::uint32_t options = 0;    // DESKTOP_SLIDESHOW_OPTIONS
    std::uint32_t tick = 0;       // milliseconds between pictures
    bool operator==(const Slideshow& o) const {
        return items == o.items && options == o.options && tick == o.tick;
    }
};

class DesktopWallpaper {
public:
    virtual ~DesktopWallpaper() = default;
    // The slideshow that runs now; nullopt when none runs or Windows cannot say.
    virtual std::optional<Slideshow> RunningSlideshow() = 0;
    // SetSlideshow, SetSlideshowOptions, then Enable; false when any of them failed.
    virtual bool StartSlideshow(const Slideshow& show) = 0;
    // The file path (environment strings expanded) names an existing file.
    virtual bool FileExists(const WideText& path) = 0;
    // Copies Windows' own copy of the picture shown to a file of this program's;
    // its path, empty when there is no copy to take.
    virtual WideText KeepWindowsCopy() = 0;
    virtual void DeleteCopy(const WideText& path) = 0;
};

}  // namespace mevra
