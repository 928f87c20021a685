#pragma once
#include <string>
#include <string_view>

namespace mevra {

// Text from a fixed-size buffer Windows filled: everything before the first
// NUL, with trailing blanks (the space character only) removed.
std::string TrimAtNull(std::string_view text);

}  // namespace mevra
