#pragma once
// The Win32 implementations of the media player's adapters (media/MediaApi_win.cpp).
// Windows builds only; this header itself does not need <windows.h>.
#include "media/MediaApi.h"

namespace mevra {

class Win32MciApi : public MciApi {
public:
    std::uint32_t SendCommand(const std::string& command, char* reply,
                             std::uint32_t reply_size) override;
    bool ErrorString(std::uint32_t code, char* buffer, std::uint32_t buffer_size) override;
};

class Win32MediaSystemApi : public MediaSystemApi {
public:
    std::uint32_t ShortPathName(const std::string& long_path, char* buffer,
                                   std::uint32_t buffer_size) override;
    std::string RealPathUtf8(const std::string& lossy_path) override;
    bool WindowRect(Hwnd hwnd, Rect& rect) override;
    Hwnd FindWindowByTitle(const std::string& title) override;
    std::string DecimalSeparator() override;
};

// Process-wide instances: the adapters hold no state, so every player can share them.
MciApi& Win32Mci();
MediaSystemApi& Win32MediaSystem();

}  // namespace mevra
