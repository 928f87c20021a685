#pragma once
// Plain types shared by the portable core. Nothing here includes <windows.h>,
// so the same code builds on Linux for the unit tests.
#include <cstdint>
#include <stdexcept>

namespace mevra {

// A window handle carried as a pointer-sized integer: the program is 32-bit,
// but the sources also build for 64-bit Windows, where handles are 64 bits.
using Hwnd = std::intptr_t;

// A Windows colour value, 0x00BBGGRR.
using ColorRef = std::uint32_t;
constexpr ColorRef Rgb(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

// The plain dark desktop shown while a film plays; the menus and the About box
// write their text in it too.
constexpr ColorRef kPlaybackDesktopColor = Rgb(16, 0, 16);

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The one error the core reports to its callers: a 32-bit (or 16-bit) integer
// result that does not fit. Windows and MCI failures are never thrown.
// A plain std::exception: the standard error classes would link a second string
// implementation into the program.
class OverflowError : public std::exception {
public:
    const char* what() const noexcept override { return "arithmetic overflow"; }
};

}  // namespace mevra
