#pragma once
// The registry adapter over advapi32. Keys it opens stay owned here until
// CloseKey, so none outlives the adapter even if a caller forgets one.
#include <map>
#include "base/Raii_win.h"
#include "desktop/Registry.h"

namespace mevra {

class Win32Registry final : public Registry {
public:
    std::int32_t OpenKey(std::uint32_t hive, const std::string& sub_key, std::uint32_t access,
                         Key& key) override;
    std::int32_t CreateKey(std::uint32_t hive, const std::string& sub_key, std::uint32_t access,
                           Key& key) override;
    std::int32_t QueryValue(Key key, const std::string& name, std::uint32_t& type,
                            std::uint8_t* data, std::uint32_t& size) override;
    std::int32_t SetValue(Key key, const std::string& name, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size) override;
    std::int32_t QueryValueWide(Key key, const std::string& name, std::uint32_t& type,
                                std::uint8_t* data, std::uint32_t& size) override;
    std::int32_t SetValueWide(Key key, const std::string& name, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t size) override;
    std::int32_t DeleteValue(Key key, const std::string& name) override;
    std::int32_t CountEntries(Key key, std::uint32_t& sub_keys, std::uint32_t& values) override;
    std::int32_t DeleteKey(std::uint32_t hive, const std::string& sub_key) override;
    std::int32_t CloseKey(Key key) override;

private:
    Key Adopt(UniqueRegKey owned);
    HKEY Find(Key key) const;

    std::map<Key, UniqueRegKey> open_;
};

// A root key from its 32-bit value (sign-extended, as windows.h defines them).
HKEY HiveToHkey(std::uint32_t hive);

}  // namespace mevra
