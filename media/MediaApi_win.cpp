#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <string>

#include "base/LateBound_win.h"
#include "media/MediaApiWin.h"

namespace mevra {

namespace {
constexpr int kLocaleTextBuffer = 8;  // LOCALE_SDECIMAL holds at most 4 characters with its NUL
constexpr char kFallbackSeparator[] = ".";
}  // namespace

std::uint32_t Win32MciApi::SendCommand(const std::string& command, char* reply,
                                      std::uint32_t reply_size) {
    using SendFn = MCIERROR(WINAPI*)(LPCSTR, LPSTR, UINT, HWND);
    static const auto send = LateBound<SendFn>("winmm.dll", "mciSendStringA");
    const MCIERROR code = send ? send(command.c_str(), reply, reply_size, nullptr)
                               : MCIERR_CANNOT_LOAD_DRIVER;
    // Each command and its outcome goes to the debugger channel: the one way to watch
    // the film's device from outside the process (DebugView, or Wine's +debugstr).
    std::string line = "Mevra: mci [" + command.substr(0, command.find_last_not_of(' ') + 1) +
                       "] -> " + std::to_string(code);
    if (reply_size > 0 && code == 0) line += " [" + std::string(reply, ::strnlen(reply, reply_size)) + "]";
    ::OutputDebugStringA(line.c_str());
    return code;
}

bool Win32MciApi::ErrorString(std::uint32_t code, char* buffer, std::uint32_t buffer_size) {
    using ErrorFn = BOOL(WINAPI*)(MCIERROR, LPSTR, UINT);
    static const auto text = LateBound<ErrorFn>("winmm.dll", "mciGetErrorStringA");
    return text && text(code, buffer, buffer_size) != FALSE;
}

std::uint32_t Win32MediaSystemApi::ShortPathName(const std::string& long_path, char* buffer,
                                                    std::uint32_t buffer_size) {
    return ::GetShortPathNameA(long_path.c_str(), buffer, buffer_size);
}

bool Win32MediaSystemApi::WindowRect(Hwnd hwnd, Rect& rect) {
    RECT r{};
    if (!::GetWindowRect(reinterpret_cast<HWND>(hwnd), &r)) return false;
    rect.left = r.left;
    rect.top = r.top;
    rect.right = r.right;
    rect.bottom = r.bottom;
    return true;
}

Hwnd Win32MediaSystemApi::FindWindowByTitle(const std::string& title) {
    return reinterpret_cast<Hwnd>(::FindWindowA(nullptr, title.c_str()));
}

std::string Win32MediaSystemApi::DecimalSeparator() {
    char buffer[kLocaleTextBuffer] = {};
    int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, kLocaleTextBuffer);
    if (n <= 1) return kFallbackSeparator;  // n counts the NUL
    return std::string(buffer, static_cast<std::size_t>(n - 1));
}

MciApi& Win32Mci() {
    static Win32MciApi api;
    return api;
}

MediaSystemApi& Win32MediaSystem() {
    static Win32MediaSystemApi api;
    return api;
}

}  // namespace mevra
