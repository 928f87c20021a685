#include "desktop/Registry.h"

namespace mevra {

RegistryKey OpenToRead(Registry& registry, std::uint32_t hive, const std::string& sub_key,
                       std::uint32_t view) {
    Registry::Key key = 0;
    if (registry.OpenKey(hive, sub_key, kKeyRead | view, key) != kErrorSuccess || key == 0)
        return RegistryKey();
    return RegistryKey(registry, key);
}

RegistryKey OpenToWrite(Registry& registry, std::uint32_t hive, const std::string& sub_key,
                        bool create, std::uint32_t view, std::int32_t* rc) {
    Registry::Key key = 0;
    const std::uint32_t access = kKeyQueryValue | kKeySetValue | view;
    std::int32_t result = create ? registry.CreateKey(hive, sub_key, access, key)
                                 : registry.OpenKey(hive, sub_key, access, key);
    if (result == kErrorSuccess && key == 0) result = kErrorInvalidHandle;
    if (rc) *rc = result;
    if (result != kErrorSuccess) return RegistryKey();
    return RegistryKey(registry, key);
}

}  // namespace mevra
