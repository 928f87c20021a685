#pragma once
// The system-settings adapter over user32 and kernel32.
#include "desktop/SystemSettings.h"

namespace mevra {

class Win32SystemSettings final : public SystemSettings {
public:
    ColorRef GetSysColor(std::int32_t element) override;
    bool SetSysColor(std::int32_t element, ColorRef color) override;
    bool SetDeskWallpaper(const std::string& path, std::uint32_t flags) override;
    bool SetDeskWallpaperWide(const WideText& path, std::uint32_t flags) override;
    bool SetScreenSaveActive(bool active, std::uint32_t flags) override;
    bool GetScreenSaveActive(bool& active) override;
    bool GetScreenSaveSecure(bool& secure) override;
    std::uint32_t GetWindowsDir(char* buffer, std::uint32_t size) override;
    std::uint32_t GetModulePath(char* buffer, std::uint32_t size) override;
    bool ShowWindow(Hwnd window, std::int32_t command) override;
    void DebugOutput(const std::string& line) override;
};

}  // namespace mevra
