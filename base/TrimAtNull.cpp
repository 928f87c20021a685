#include "base/TrimAtNull.h"

#include <algorithm>

namespace mevra {

std::string TrimAtNull(std::string_view text) {
    auto end = text.find('\0');
    if (end == std::string_view::npos) end = text.size();
    while (end > 0 && text[end - 1] == ' ') --end;
    return std::string(text.substr(0, end));
}

std::string TextFromBuffer(const char* buffer, std::size_t capacity, std::size_t reported) {
    if (buffer == nullptr) return std::string();
    std::string_view filled(buffer, std::min(capacity, reported));
    return std::string(filled.substr(0, filled.find('\0')));
}

}  // namespace mevra
