#include "desktop/Registry.h"

namespace mevra {

RegistryKey OpenFullAccess(Registry& registry, std::uint32_t hive, const std::string& sub_key,
                           bool create) {
    Registry::Key key = 0;
    const std::int32_t rc = create ? registry.CreateKey(hive, sub_key, kKeyAllAccess, key)
                                   : registry.OpenKey(hive, sub_key, kKeyAllAccess, key);
    if (rc != kErrorSuccess || key == 0) return RegistryKey();
    return RegistryKey(registry, key);
}

}  // namespace mevra
