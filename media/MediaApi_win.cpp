#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "base/LateBound_win.h"
#include "base/Raii_win.h"
#include "base/Report.h"
#include "base/WideText_win.h"
#include "media/MediaApiWin.h"
#include "media/MediaPlayer.h"

namespace mevra {

static_assert(kMciErrDuplicateAlias == MCIERR_DUPLICATE_ALIAS);

namespace {
constexpr int kLocaleTextBuffer = 8;  // LOCALE_SDECIMAL holds at most 4 characters with its NUL
constexpr char kFallbackSeparator[] = ".";
constexpr DWORD kWidePathChars = 32768;

// The one name in dir that pattern ('?' for any character) matches; empty for none or several.
Wide OnlyMatch(const Wide& dir, const Wide& pattern) {
    Wide query = dir;
    query.push_back(L'\\');
    query.insert(query.end(), pattern.begin(), pattern.end());
    WIN32_FIND_DATAW found{};
    const HANDLE first = ::FindFirstFileW(Terminated(query).data(), &found);
    if (first == INVALID_HANDLE_VALUE) return Wide();
    UniqueFind search(first);
    const Wide name(found.cFileName, found.cFileName + ::wcslen(found.cFileName));
    while (::FindNextFileW(search.get(), &found))
        if (::wcscmp(found.cFileName, L".") != 0 && ::wcscmp(found.cFileName, L"..") != 0) return Wide();
    return name;
}

// The ANSI open dialog hands back a '?' for each character outside the code page, a
// character no file name can hold: the real path is the one the '?'s match.
Wide ResolveLossyPath(const std::string& path) {
    const Wide wide = Widen(path, CP_ACP);
    Wide resolved;
    for (auto start = wide.begin();;) {
        const auto end = std::find(start, wide.end(), L'\\');
        Wide part(start, end);
        if (std::find(part.begin(), part.end(), L'?') != part.end()) {
            part = OnlyMatch(resolved, part);
            if (part.empty()) return Wide();
        }
        if (start != wide.begin()) resolved.push_back(L'\\');
        resolved.insert(resolved.end(), part.begin(), part.end());
        if (end == wide.end()) break;
        start = end + 1;
    }
    return resolved;
}

// GetShortPathNameA's answer for a path found through its wide form: the short name
// in ANSI, or 0 when it has no short name that the code page can carry.
std::uint32_t ShortPathOfLossy(const std::string& path, char* buffer, std::uint32_t buffer_size) {
    const Wide wide = ResolveLossyPath(path);
    if (wide.empty()) return 0;
    Wide shortened(kWidePathChars);
    const DWORD n = ::GetShortPathNameW(Terminated(wide).data(), shortened.data(), kWidePathChars);
    if (n == 0 || n >= kWidePathChars) return 0;
    BOOL lossy = FALSE;
    const int bytes = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, shortened.data(), static_cast<int>(n),
                                            nullptr, 0, nullptr, &lossy);
    if (bytes <= 0 || lossy) return 0;
    if (static_cast<std::uint32_t>(bytes) + 1 > buffer_size) return static_cast<std::uint32_t>(bytes) + 1;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, shortened.data(), static_cast<int>(n), buffer, bytes,
                          nullptr, nullptr);
    buffer[bytes] = '\0';
    return static_cast<std::uint32_t>(bytes);
}

}  // namespace

std::uint32_t Win32MciApi::SendCommand(const std::string& command, char* reply,
                                      std::uint32_t reply_size) {
    using SendFn = MCIERROR(WINAPI*)(LPCSTR, LPSTR, UINT, HWND);
    static const auto send = LateBound<SendFn>("winmm.dll", "mciSendStringA");
    const MCIERROR code = send ? send(command.c_str(), reply, reply_size, nullptr)
                               : MCIERR_CANNOT_LOAD_DRIVER;
    // Each command and its outcome goes to the debugger channel: the one way to watch
    // the film's device from outside the process (DebugView, or Wine's +debugstr).
    std::string line = "mci [" + command.substr(0, command.find_last_not_of(' ') + 1) + "] -> " +
                       std::to_string(code);
    if (reply_size > 0 && code == 0)
        line += " [" + std::string(reply, ::strnlen(reply, reply_size)) + "]";
    DebugLine(line);
    return code;
}

bool Win32MciApi::ErrorString(std::uint32_t code, char* buffer, std::uint32_t buffer_size) {
    using ErrorFn = BOOL(WINAPI*)(MCIERROR, LPSTR, UINT);
    static const auto text = LateBound<ErrorFn>("winmm.dll", "mciGetErrorStringA");
    return text && text(code, buffer, buffer_size) != FALSE;
}

std::string Win32MediaSystemApi::RealPathUtf8(const std::string& lossy_path) {
    const Wide wide = ResolveLossyPath(lossy_path);
    return Utf8Of(wide.data(), wide.size());
}

std::uint32_t Win32MediaSystemApi::ShortPathName(const std::string& long_path, char* buffer,
                                                    std::uint32_t buffer_size) {
    const std::uint32_t n = ::GetShortPathNameA(long_path.c_str(), buffer, buffer_size);
    if (n != 0 || long_path.find('?') == std::string::npos) return n;
    return ShortPathOfLossy(long_path, buffer, buffer_size);
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
