#pragma once
// Wide text for the few calls that need the wide API, without std::wstring, whose library
// instantiation alone would add a tenth to the program's size.
#include <cstddef>
#include <string>
#include <vector>

namespace mevra {

// No terminating NUL inside; Terminated adds one for the API.
using Wide = std::vector<wchar_t>;

// text in the given code page (CP_ACP, CP_UTF8) as UTF-16; empty when it does not convert.
Wide Widen(const std::string& text, unsigned codePage);
Wide Terminated(Wide text);
// UTF-16 as UTF-8.
std::string Utf8Of(const wchar_t* text, std::size_t count);

}  // namespace mevra
