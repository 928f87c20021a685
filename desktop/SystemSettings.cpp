#include "desktop/SystemSettings.h"

#include <vector>
#include "base/TrimAtNull.h"

namespace mevra {
namespace {

constexpr std::uint32_t kWindowsDirBufferSize = 256;
constexpr std::uint32_t kModulePathFirstSize = 260;    // MAX_PATH
constexpr std::uint32_t kModulePathLargestSize = 32768;

}  // namespace

std::string WindowsDirectory(SystemSettings& system) {
    char buffer[kWindowsDirBufferSize] = {};
    const std::uint32_t count = system.GetWindowsDir(buffer, kWindowsDirBufferSize);
    // A count of the buffer's size or more is the size Windows would need.
    if (count == 0 || count >= kWindowsDirBufferSize) return std::string();
    return TrimAtNull(TextFromBuffer(buffer, sizeof buffer, count));
}

std::string ModulePath(SystemSettings& system) {
    // A full buffer means the path was cut short: try again with more room,
    // and give up rather than hand out a truncated path.
    for (std::uint32_t size = kModulePathFirstSize;; size *= 2) {
        if (size > kModulePathLargestSize) size = kModulePathLargestSize;
        std::vector<char> buffer(size, '\0');
        const std::uint32_t count = system.GetModulePath(buffer.data(), size);
        if (count == 0) return std::string();
        if (count < size) return TextFromBuffer(buffer.data(), buffer.size(), count);
        if (size == kModulePathLargestSize) return std::string();
    }
}

}  // namespace mevra
