#pragma once
// StringMod: file-name routines used on the path chosen in the open dialog.
#include <cstdint>
#include <string>

namespace mevra {

// The part of path behind the count-th backslash counted from the end. The
// last character is never taken as a separator, so "C:\a\b\" gives "b\";
// a path with fewer backslashes comes back whole.
std::string GetPathTail(const std::string& path, std::int32_t count);

// The last component of path; without its extension (the text from the last
// '.') when withExtension is false.
std::string GetFileName(const std::string& path, bool withExtension);

}  // namespace mevra
