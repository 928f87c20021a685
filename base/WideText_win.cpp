#include "base/WideText_win.h"

#include <windows.h>

namespace mevra {

Wide Widen(const std::string& text, unsigned codePage) {
    const int size = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    Wide wide(static_cast<std::size_t>(n > 0 ? n : 0));
    if (n > 0) ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), n);
    return wide;
}

Wide Terminated(Wide text) {
    text.push_back(L'\0');
    return text;
}

std::string Utf8Of(const wchar_t* text, std::size_t count) {
    const int size = static_cast<int>(count);
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, text, size, &utf8[0], n, nullptr, nullptr);
    return utf8;
}

}  // namespace mevra
