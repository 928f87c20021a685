#include "desktop/TrimAtNull.h"

namespace mevra {

std::string TrimAtNull(std::string_view text) {
    auto end = text.find('\0');
    if (end == std::string_view::npos) end = text.size();
    while (end > 0 && text[end - 1] == ' ') --end;
    return std::string(text.substr(0, end));
}

}  // namespace mevra
