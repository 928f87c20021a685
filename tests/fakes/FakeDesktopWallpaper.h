#pragma once
// A Windows 8-or-later desktop for the slideshow and vanished-picture decisions:
// what runs, which files exist, and a record of what was asked of it.
#include <optional>
#include <vector>
#include "desktop/DesktopWallpaper.h"

namespace mevra::fake {

class FakeDesktopWallpaper final : public DesktopWallpaper {
public:
    std::optional<Slideshow> running;   // what RunningSlideshow answers
    std::vector<WideText> files;        // what exists
    WideText windows_copy;              // what KeepWindowsCopy gives, empty for none
    bool refuse_slideshow = false;
    std::vector<Slideshow> started;
    std::vector<WideText> deleted;

    std::optional<Slideshow> RunningSlideshow() override { return running; }
    bool StartSlideshow(const Slideshow& show) override {
        started.push_back(show);
        return !refuse_slideshow;
    }
    bool FileExists(const WideText& path) override {
        for (const WideText& f : files)
            if (f == path) return true;
        return false;
    }
    WideText KeepWindowsCopy() override { return windows_copy; }
    void DeleteCopy(const WideText& path) override { deleted.push_back(path); }
};

}  // namespace mevra::fake
