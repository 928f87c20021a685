#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace mevra {

// Text from a fixed-size buffer Windows filled: everything before the first
// NUL, with trailing blanks (the space character only) removed.
std::string TrimAtNull(std::string_view text);

// The text Windows left in a buffer of `capacity` bytes after reporting
// `reported` bytes: it stops at the first NUL or at the smaller of the two
// sizes, so a buffer without a NUL is never read past its end.
std::string TextFromBuffer(const char* buffer, std::size_t capacity, std::size_t reported);

}  // namespace mevra
