#pragma once
// The Windows services the media player needs, behind two thin interfaces so
// the player's logic runs (and is tested) without Windows. Each call mirrors
// one Win32 function; buffers are the caller's, sizes in characters.
#include <cstdint>
#include <string>
#include "base/Types.h"

namespace mevra {

// winmm's MCI command-string channel.
class MciApi {
public:
    virtual ~MciApi() = default;
    // mciSendStringA(command, reply, reply_size, no callback window).
    // reply points to at least max(reply_size, 1) characters; a command whose
    // reply is not wanted passes the text "0" with reply_size 0.
    virtual std::uint32_t SendCommand(const std::string& command, char* reply,
                                     std::uint32_t reply_size) = 0;
    // mciGetErrorStringA(code, buffer, buffer_size); false when it fails.
    virtual bool ErrorString(std::uint32_t code, char* buffer,
                                std::uint32_t buffer_size) = 0;
};

// The kernel32 / user32 calls around the film: its path, its parent window
// and the user's number format.
class MediaSystemApi {
public:
    virtual ~MediaSystemApi() = default;
    // GetShortPathNameA(long_path, buffer, buffer_size): the count written
    // (without the NUL), the size needed when the buffer is too small, 0 on failure.
    virtual std::uint32_t ShortPathName(const std::string& long_path, char* buffer,
                                           std::uint32_t buffer_size) = 0;
    // The path in UTF-8, each '?' (the ANSI open dialog's stand-in for a character outside
    // the code page) replaced by what the one name it matches holds; "" when a '?' matches
    // no name or several.
    virtual std::string RealPathUtf8(const std::string& lossy_path) = 0;
    // GetWindowRect(hwnd); false (and rect untouched) when it fails.
    virtual bool WindowRect(Hwnd hwnd, Rect& rect) = 0;
    // FindWindowA(NULL, title); 0 when there is no such window.
    virtual Hwnd FindWindowByTitle(const std::string& title) = 0;
    // The user's decimal separator (LOCALE_SDECIMAL), e.g. "." or ",".
    virtual std::string DecimalSeparator() = 0;
};

}  // namespace mevra
