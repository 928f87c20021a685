#include "desktop/SystemSettings_win.h"

#include <windows.h>
#include <vector>
#include "base/Raii_win.h"
#include "base/Report.h"

namespace mevra {

static_assert(kColorBackground == COLOR_BACKGROUND);
#ifdef SPI_GETSCREENSAVESECURE  // declared only for Vista-and-later builds
static_assert(kSpiGetScreenSaveSecure == SPI_GETSCREENSAVESECURE);
#endif
static_assert(kSpiGetScreenSaveActive == SPI_GETSCREENSAVEACTIVE &&
              kSpiSetScreenSaveActive == SPI_SETSCREENSAVEACTIVE &&
              kSpiSetDeskWallpaper == SPI_SETDESKWALLPAPER);
static_assert(kSpifUpdateIniFile == SPIF_UPDATEINIFILE &&
              kSpifSendWinIniChange == SPIF_SENDWININICHANGE);
static_assert(kSwHide == SW_HIDE && kSwShow == SW_SHOW);

ColorRef Win32SystemSettings::GetSysColor(std::int32_t element) { return ::GetSysColor(element); }

bool Win32SystemSettings::SetSysColor(std::int32_t element, ColorRef color) {
    const INT elements[1] = {element};
    const COLORREF colors[1] = {color};
    return SetSysColors(1, elements, colors) != FALSE;
}

bool Win32SystemSettings::SetDeskWallpaper(const std::string& path, std::uint32_t flags) {
    // The call takes a non-const pointer but only reads the text.
    std::vector<char> text(path.begin(), path.end());
    text.push_back('\0');
    if (SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, text.data(), flags)) return true;
    ReportFailure("SystemParametersInfoA(SPI_SETDESKWALLPAPER)", static_cast<long>(GetLastError()));
    return false;
}

bool Win32SystemSettings::SetDeskWallpaperWide(const WideText& path, std::uint32_t flags) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    std::vector<wchar_t> text(path.begin(), path.end());
    text.push_back(L'\0');
    if (SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, text.data(), flags)) return true;
    ReportFailure("SystemParametersInfoW(SPI_SETDESKWALLPAPER)", static_cast<long>(GetLastError()));
    return false;
}

bool Win32SystemSettings::SetScreenSaveActive(bool active, std::uint32_t flags) {
    if (SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active ? TRUE : FALSE, nullptr, flags))
        return true;
    ReportFailure("SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE)",
                  static_cast<long>(GetLastError()));
    return false;
}

namespace {
bool GetFlag(UINT action, bool& flag) {
    BOOL value = FALSE;
    if (!SystemParametersInfoA(action, 0, &value, 0)) return false;
    flag = value != FALSE;
    return true;
}
}  // namespace

bool Win32SystemSettings::GetScreenSaveActive(bool& active) {
    return GetFlag(SPI_GETSCREENSAVEACTIVE, active);
}

bool Win32SystemSettings::GetScreenSaveSecure(bool& secure) {
    return GetFlag(kSpiGetScreenSaveSecure, secure);
}

std::uint32_t Win32SystemSettings::GetWindowsDir(char* buffer, std::uint32_t size) {
    return GetWindowsDirectoryA(buffer, size);
}

std::uint32_t Win32SystemSettings::GetModulePath(char* buffer, std::uint32_t size) {
    return GetModuleFileNameA(nullptr, buffer, size);
}

bool Win32SystemSettings::ShowWindow(Hwnd window, std::int32_t command) {
    return ::ShowWindow(ToHwnd(window), command) != FALSE;
}

void Win32SystemSettings::DebugOutput(const std::string& line) {
    ::OutputDebugStringA(line.c_str());
}

}  // namespace mevra
