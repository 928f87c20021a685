#pragma once
// The user32 / kernel32 calls the desktop features need, behind a thin
// interface so their logic runs (and is tested) without Windows. Each call
// mirrors one Win32 function; buffers are the caller's, sizes in characters.
#include <cstdint>
#include <string>
#include <vector>
#include "base/Types.h"

namespace mevra {

constexpr std::int32_t kColorBackground = 1;          // COLOR_BACKGROUND
constexpr std::uint32_t kSpiGetScreenSaveActive = 16;  // SPI_GETSCREENSAVEACTIVE
constexpr std::uint32_t kSpiSetScreenSaveActive = 17;  // SPI_SETSCREENSAVEACTIVE
constexpr std::uint32_t kSpiGetScreenSaveSecure = 0x76;  // SPI_GETSCREENSAVESECURE (Vista on)
constexpr std::uint32_t kSpiSetDeskWallpaper = 20;     // SPI_SETDESKWALLPAPER
constexpr std::uint32_t kSpifUpdateIniFile = 1;
constexpr std::uint32_t kSpifSendWinIniChange = 2;
constexpr std::int32_t kSwHide = 0;
constexpr std::int32_t kSwShow = 5;

// UTF-16 text, no NUL inside: the wallpaper's path as Windows stores it.
using WideText = std::vector<char16_t>;

class SystemSettings {
public:
    virtual ~SystemSettings() = default;
    // GetSysColor(element).
    virtual ColorRef GetSysColor(std::int32_t element) = 0;
    // SetSysColors(1, {element}, {color}).
    virtual bool SetSysColor(std::int32_t element, ColorRef color) = 0;
    // SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, path, flags).
    virtual bool SetDeskWallpaper(const std::string& path, std::uint32_t flags) = 0;
    // SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path, flags).
    virtual bool SetDeskWallpaperWide(const WideText& path, std::uint32_t flags) = 0;
    // SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active ? 1 : 0, NULL, flags).
    virtual bool SetScreenSaveActive(bool active, std::uint32_t flags) = 0;
    // SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE / SPI_GETSCREENSAVESECURE, 0, &flag, 0):
    // false when Windows does not answer (XP knows no "secure" question).
    virtual bool GetScreenSaveActive(bool& active) = 0;
    virtual bool GetScreenSaveSecure(bool& secure) = 0;
    // GetWindowsDirectoryA(buffer, size): the count written (without the NUL),
    // the size needed when the buffer is too small, 0 on failure.
    virtual std::uint32_t GetWindowsDir(char* buffer, std::uint32_t size) = 0;
    // GetModuleFileNameA(NULL, buffer, size): the running executable's full
    // path; the count written, equal to size when the path was cut short.
    virtual std::uint32_t GetModulePath(char* buffer, std::uint32_t size) = 0;
    // ShowWindow(window, command); the window's previous visibility.
    virtual bool ShowWindow(Hwnd window, std::int32_t command) = 0;
    // OutputDebugStringA(line): what the desktop features did, for DebugView or Wine's trace.
    virtual void DebugOutput(const std::string& line) = 0;
};

// The Windows directory, or "" when Windows cannot give it whole.
std::string WindowsDirectory(SystemSettings& system);
// The running executable's full path, or "" when Windows cannot give it whole.
std::string ModulePath(SystemSettings& system);

}  // namespace mevra
