#pragma once
// Records what the desktop features ask of Windows, and answers the directory
// queries the way kernel32 does (or, on request, the way a misbehaving one might).
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include "desktop/SystemSettings.h"

namespace mevra::fake {

class FakeSystemSettings final : public SystemSettings {
public:
    struct SysColor { std::int32_t element; ColorRef color; };
    // path as ASCII ('?' for anything else); wide holds what the wide call was given.
    struct Wallpaper { std::string path; std::uint32_t flags; WideText wide; };
    struct ScreenSaver { bool active; std::uint32_t flags; };
    struct Show { Hwnd window; std::int32_t command; };

    std::vector<SysColor> sys_colors;
    std::vector<Wallpaper> wallpapers;
    std::vector<ScreenSaver> screen_savers;
    std::vector<Show> shows;
    std::vector<std::string> debug_lines;

    std::string windows_dir = "C:\\WINDOWS";
    std::string module_path = "C:\\Program Files\\Mevra\\Mevra.exe";
    // When set, the directory calls fill the buffer with this (no NUL added,
    // cut at the buffer's size) and return this count instead.
    std::optional<std::pair<std::string, std::uint32_t>> windows_dir_raw;
    std::optional<std::pair<std::string, std::uint32_t>> module_path_raw;
    std::vector<std::uint32_t> module_path_sizes;  // buffer sizes asked with
    bool refuse_wallpapers = false;
    std::optional<bool> saver_active = true, saver_secure = false;  // nullopt: no answer
    ColorRef desktop_color = 0x3A6EA5;  // what GetSysColor gives before any SetSysColor  // the wallpaper calls fail (after being recorded)

    ColorRef GetSysColor(std::int32_t element) override {
        for (auto it = sys_colors.rbegin(); it != sys_colors.rend(); ++it)
            if (it->element == element) return it->color;
        return desktop_color;
    }
    bool SetSysColor(std::int32_t element, ColorRef color) override {
        sys_colors.push_back({element, color});
        return true;
    }
    bool SetDeskWallpaper(const std::string& path, std::uint32_t flags) override {
        wallpapers.push_back({path, flags, {}});
        return !refuse_wallpapers;
    }
    bool SetDeskWallpaperWide(const WideText& path, std::uint32_t flags) override {
        std::string narrow;
        for (char16_t c : path) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        wallpapers.push_back({narrow, flags, path});
        return !refuse_wallpapers;
    }
    bool SetScreenSaveActive(bool active, std::uint32_t flags) override {
        screen_savers.push_back({active, flags});
        return true;
    }
    bool GetScreenSaveActive(bool& active) override {
        if (!screen_savers.empty()) active = screen_savers.back().active;
        else if (saver_active) active = *saver_active;
        return saver_active.has_value();
    }
    bool GetScreenSaveSecure(bool& secure) override {
        if (saver_secure) secure = *saver_secure;
        return saver_secure.has_value();
    }
    std::uint32_t GetWindowsDir(char* buffer, std::uint32_t size) override {
        if (windows_dir_raw) return Raw(*windows_dir_raw, buffer, size);
        // GetWindowsDirectoryA: the size needed (with the NUL) when it does not fit.
        if (windows_dir.size() + 1 > size) return static_cast<std::uint32_t>(windows_dir.size() + 1);
        std::memcpy(buffer, windows_dir.c_str(), windows_dir.size() + 1);
        return static_cast<std::uint32_t>(windows_dir.size());
    }
    std::uint32_t GetModulePath(char* buffer, std::uint32_t size) override {
        module_path_sizes.push_back(size);
        if (module_path_raw) return Raw(*module_path_raw, buffer, size);
        // GetModuleFileNameA: cut to the buffer, NUL-terminated, count == size.
        if (size == 0) return 0;
        if (module_path.size() >= size) {
            std::memcpy(buffer, module_path.data(), size - 1);
            buffer[size - 1] = '\0';
            return size;
        }
        std::memcpy(buffer, module_path.c_str(), module_path.size() + 1);
        return static_cast<std::uint32_t>(module_path.size());
    }
    bool ShowWindow(Hwnd window, std::int32_t command) override {
        shows.push_back({window, command});
        return true;
    }
    void DebugOutput(const std::string& line) override { debug_lines.push_back(line); }

private:
    static std::uint32_t Raw(const std::pair<std::string, std::uint32_t>& raw, char* buffer,
                             std::uint32_t size) {
        std::memcpy(buffer, raw.first.data(), std::min<std::size_t>(raw.first.size(), size));
        return raw.second;
    }
};

}  // namespace mevra::fake
