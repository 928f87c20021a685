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

namespace mevra {

// Media Foundation's MFPlay driving one film in a window of the program's own. Results
// are HRESULTs (0 = S_OK, negative = failure); times in milliseconds.
class FilmPlayerApi {
public:
    virtual ~FilmPlayerApi() = default;
    // mfplay.dll and mfplat.dll are on this Windows.
    virtual bool Available() = 0;
    // Whether this PC has a sound output at all.
    virtual bool HasAudioDevice() = 0;
    // Creates the film's window, a child of parent at 0,0 sized width x height, and a
    // player with the film (full path, UTF-8) set and stopped at its start; its sound
    // stream is left out when without_audio. On failure nothing is left behind.
    virtual std::int32_t Open(const std::string& path_utf8, Hwnd parent, std::int32_t width,
                              std::int32_t height, bool without_audio) = 0;
    // Releases the player and destroys its window; nothing when none is open.
    virtual void Close() = 0;
    virtual std::int32_t Play() = 0;
    virtual std::int32_t Pause() = 0;
    virtual std::int32_t Stop() = 0;
    virtual std::int32_t Position(std::int64_t& ms) = 0;
    virtual std::int32_t Duration(std::int64_t& ms) = 0;
    virtual std::int32_t Seek(std::int64_t ms) = 0;
    virtual std::int32_t SetMute(bool mute) = 0;
    // 1 stopped, 2 playing, 3 paused, as MFP_MEDIAPLAYER_STATE; 0 when unknown.
    virtual std::int32_t State() = 0;
    // Moves the film's window to 0,0 width x height and fits the picture to it.
    virtual std::int32_t Place(std::int32_t width, std::int32_t height) = 0;
    // True once for each end-of-playback event since the last call, Open or Play.
    virtual bool TakeEnded() = 0;
    // "HEVC", "VP9", "AV1" when the file's header names one of them; "" otherwise.
    virtual std::string CodecHint(const std::string& path_utf8) = 0;
};

}  // namespace mevra
