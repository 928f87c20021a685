#pragma once
// advapi32's registry functions behind a thin interface, so the registry
// features run (and are tested) without Windows. Each call mirrors one Win32
// function and returns its result code (0 on success). Root keys travel as the
// 32-bit values Windows gives them; open keys as opaque numbers.
#include <cstdint>
#include <string>
#include <utility>

namespace mevra {

// Predefined root keys, as the 32-bit values Windows gives them.
constexpr std::uint32_t kHkeyClassesRoot = 0x80000000u;
constexpr std::uint32_t kHkeyCurrentUser = 0x80000001u;
constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;

// Result codes and constants of the registry functions.
constexpr std::int32_t kErrorSuccess = 0;
constexpr std::int32_t kErrorFileNotFound = 2;
constexpr std::int32_t kErrorAccessDenied = 5;
constexpr std::int32_t kErrorInvalidHandle = 6;
constexpr std::int32_t kErrorMoreData = 234;

constexpr std::uint32_t kKeyAllAccess = 0xF003Fu;
constexpr std::uint32_t kKeyRead = 0x20019u;
constexpr std::uint32_t kKeyQueryValue = 0x0001u;
constexpr std::uint32_t kKeySetValue = 0x0002u;  // also what deleting a value needs
// The 64-bit registry view, also from a 32-bit program; ignored on 32-bit Windows.
constexpr std::uint32_t kKeyWow64_64Key = 0x0100u;

constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;

class Registry {
public:
    // An open key; 0 never names one.
    using Key = std::uintptr_t;

    virtual ~Registry() = default;
    // RegOpenKeyExA(hive, sub_key, 0, access, key).
    virtual std::int32_t OpenKey(std::uint32_t hive, const std::string& sub_key,
                                 std::uint32_t access, Key& key) = 0;
    // RegCreateKeyExA(hive, sub_key, 0, NULL, REG_OPTION_NON_VOLATILE, access,
    // NULL, key, disposition ignored).
    virtual std::int32_t CreateKey(std::uint32_t hive, const std::string& sub_key,
                                   std::uint32_t access, Key& key) = 0;
    // RegQueryValueExA(key, name, NULL, type, data, size): size holds the
    // buffer's capacity in bytes on the way in and the value's size on the way
    // out (ERROR_MORE_DATA when it does not fit; the buffer is then undefined).
    virtual std::int32_t QueryValue(Key key, const std::string& name, std::uint32_t& type,
                                    std::uint8_t* data, std::uint32_t& size) = 0;
    // RegSetValueExA(key, name, 0, type, data, size).
    virtual std::int32_t SetValue(Key key, const std::string& name, std::uint32_t type,
                                  const std::uint8_t* data, std::uint32_t size) = 0;
    // RegQueryValueExW and RegSetValueExW: the same, for values whose text must
    // not pass through the code page. The name is ASCII; text data is UTF-16LE,
    // sizes in bytes, as Windows stores it.
    virtual std::int32_t QueryValueWide(Key key, const std::string& name, std::uint32_t& type,
                                        std::uint8_t* data, std::uint32_t& size) = 0;
    virtual std::int32_t SetValueWide(Key key, const std::string& name, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t size) = 0;
    // RegDeleteValueA(key, name).
    virtual std::int32_t DeleteValue(Key key, const std::string& name) = 0;
    // RegQueryInfoKeyA(key, ...): how many subkeys and values the key holds.
    virtual std::int32_t CountEntries(Key key, std::uint32_t& sub_keys, std::uint32_t& values) = 0;
    // RegDeleteKeyA(hive, sub_key): refused while the key has subkeys.
    virtual std::int32_t DeleteKey(std::uint32_t hive, const std::string& sub_key) = 0;
    // RegCloseKey(key).
    virtual std::int32_t CloseKey(Key key) = 0;
};

// Owns one key opened through a Registry and closes it when it goes.
class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(Registry& registry, Registry::Key key) : registry_(&registry), key_(key) {}
    ~RegistryKey() { reset(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey(RegistryKey&& o) noexcept
        : registry_(std::exchange(o.registry_, nullptr)), key_(std::exchange(o.key_, 0)) {}
    RegistryKey& operator=(RegistryKey&& o) noexcept {
        if (this != &o) {
            reset();
            registry_ = std::exchange(o.registry_, nullptr);
            key_ = std::exchange(o.key_, 0);
        }
        return *this;
    }
    Registry::Key get() const { return key_; }
    explicit operator bool() const { return key_ != 0; }
    void reset() {
        if (registry_ && key_ != 0) registry_->CloseKey(key_);
        registry_ = nullptr;
        key_ = 0;
    }

private:
    Registry* registry_ = nullptr;
    Registry::Key key_ = 0;
};

// Opens a key for reading; view may add kKeyWow64_64Key. An empty owner when
// Windows refuses.
RegistryKey OpenToRead(Registry& registry, std::uint32_t hive, const std::string& sub_key,
                       std::uint32_t view = 0);
// Opens (or, with create, opens or creates) a key to write, delete and count its
// values, and nothing more, so a user may change what is theirs. rc, when given,
// receives Windows' answer.
RegistryKey OpenToWrite(Registry& registry, std::uint32_t hive, const std::string& sub_key,
                        bool create = false, std::uint32_t view = 0, std::int32_t* rc = nullptr);

}  // namespace mevra
