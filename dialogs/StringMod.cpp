#include "dialogs/StringMod.h"

namespace mevra {

std::string GetPathTail(const std::string& path, std::int32_t count) {
    // position counts characters from 1; the character at position itself is
    // skipped, only the ones before it are searched.
    std::size_t position = path.size();
    for (std::int32_t i = 0; i < count; ++i) {
        std::size_t found = std::string::npos;
        if (position >= 2) found = path.rfind('\\', position - 2);
        if (found == std::string::npos) {
            position = 0;
            break;
        }
        position = found + 1;
    }
    return path.substr(position);
}

std::string GetFileName(const std::string& path, bool withExtension) {
    std::string name = GetPathTail(path, 1);
    if (!withExtension) {
        const std::size_t dot = name.rfind('.');
        if (dot != std::string::npos) name.erase(dot);
    }
    return name;
}

}  // namespace mevra
