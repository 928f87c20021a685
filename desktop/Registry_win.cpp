#include "desktop/Registry_win.h"

#include <string>
#include "base/Report.h"
#include "base/WideText_win.h"

namespace mevra {

// Registry.h's copies of Windows numbers. Its root keys are pointer casts in windows.h,
// no constants, so HiveToHkey is checked against them by the Windows tests instead.
static_assert(kErrorSuccess == ERROR_SUCCESS && kErrorFileNotFound == ERROR_FILE_NOT_FOUND &&
              kErrorAccessDenied == ERROR_ACCESS_DENIED &&
              kErrorInvalidHandle == ERROR_INVALID_HANDLE && kErrorMoreData == ERROR_MORE_DATA);
static_assert(kKeyAllAccess == KEY_ALL_ACCESS && kKeyRead == KEY_READ &&
              kKeyQueryValue == KEY_QUERY_VALUE && kKeySetValue == KEY_SET_VALUE &&
              kKeyWow64_64Key == KEY_WOW64_64KEY);
static_assert(kRegNone == REG_NONE && kRegSz == REG_SZ && kRegExpandSz == REG_EXPAND_SZ &&
              kRegBinary == REG_BINARY && kRegDword == REG_DWORD);

namespace {

// A failed call leaves a trace; absent keys and values are reported too, as they
// are the usual reason a setting is not found.
LONG Checked(const char* call, const std::string& name, LONG rc) {
    if (rc != ERROR_SUCCESS) ReportFailure(std::string(call) + " " + name, rc);
    return rc;
}

// Either form of RegQueryValueEx, with the caller's type and size passed in and out.
template <typename Call>
LONG QueryInto(const char* call, const std::string& name, std::uint32_t& type, std::uint32_t& size,
               Call query) {
    DWORD t = 0;
    DWORD sz = size;
    const LONG rc = Checked(call, name, query(&t, &sz));
    type = t;
    size = sz;
    return rc;
}

}  // namespace

HKEY HiveToHkey(std::uint32_t hive) {
    // windows.h defines the root keys as (HKEY)(ULONG_PTR)(LONG)value: the
    // 32-bit value is sign-extended on 64-bit Windows.
    const auto value = static_cast<LONG>(static_cast<std::int32_t>(hive));
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(value));
}

Registry::Key Win32Registry::Adopt(UniqueRegKey owned) {
    const auto key = reinterpret_cast<Key>(owned.get());
    open_[key] = std::move(owned);
    return key;
}

HKEY Win32Registry::Find(Key key) const {
    auto it = open_.find(key);
    return it == open_.end() ? nullptr : it->second.get();
}

std::int32_t Win32Registry::OpenKey(std::uint32_t hive, const std::string& sub_key,
                                    std::uint32_t access, Key& key) {
    key = 0;
    HKEY raw = nullptr;
    const LONG rc = Checked("RegOpenKeyExA", sub_key,
                            RegOpenKeyExA(HiveToHkey(hive), sub_key.c_str(), 0, access, &raw));
    if (rc != ERROR_SUCCESS) return rc;
    UniqueRegKey owned(raw);
    key = Adopt(std::move(owned));
    return ERROR_SUCCESS;
}

std::int32_t Win32Registry::CreateKey(std::uint32_t hive, const std::string& sub_key,
                                      std::uint32_t access, Key& key) {
    key = 0;
    HKEY raw = nullptr;
    DWORD disposition = 0;
    const LONG rc = Checked("RegCreateKeyExA", sub_key,
                            RegCreateKeyExA(HiveToHkey(hive), sub_key.c_str(), 0, nullptr,
                                            REG_OPTION_NON_VOLATILE, access, nullptr, &raw,
                                            &disposition));
    if (rc != ERROR_SUCCESS) return rc;
    UniqueRegKey owned(raw);
    key = Adopt(std::move(owned));
    return ERROR_SUCCESS;
}

std::int32_t Win32Registry::QueryValue(Key key, const std::string& name, std::uint32_t& type,
                                       std::uint8_t* data, std::uint32_t& size) {
    HKEY h = Find(key);
    if (h == nullptr) return ERROR_INVALID_HANDLE;
    return QueryInto("RegQueryValueExA", name, type, size, [&](DWORD* t, DWORD* sz) {
        return RegQueryValueExA(h, name.c_str(), nullptr, t, data, sz);
    });
}

std::int32_t Win32Registry::SetValue(Key key, const std::string& name, std::uint32_t type,
                                     const std::uint8_t* data, std::uint32_t size) {
    HKEY h = Find(key);
    if (h == nullptr) return ERROR_INVALID_HANDLE;
    return Checked("RegSetValueExA", name, RegSetValueExA(h, name.c_str(), 0, type, data, size));
}

std::int32_t Win32Registry::QueryValueWide(Key key, const std::string& name, std::uint32_t& type,
                                           std::uint8_t* data, std::uint32_t& size) {
    HKEY h = Find(key);
    if (h == nullptr) return ERROR_INVALID_HANDLE;
    const Wide wide_name = Terminated(Widen(name, CP_ACP));
    return QueryInto("RegQueryValueExW", name, type, size, [&](DWORD* t, DWORD* sz) {
        return RegQueryValueExW(h, wide_name.data(), nullptr, t, data, sz);
    });
}

std::int32_t Win32Registry::SetValueWide(Key key, const std::string& name, std::uint32_t type,
                                         const std::uint8_t* data, std::uint32_t size) {
    HKEY h = Find(key);
    if (h == nullptr) return ERROR_INVALID_HANDLE;
    const Wide wide_name = Terminated(Widen(name, CP_ACP));
    return Checked("RegSetValueExW", name,
                   RegSetValueExW(h, wide_name.data(), 0, type, data, size));
}

std::int32_t Win32Registry::DeleteValue(Key key, const std::string& name) {
    HKEY h = Find(key);
    if (h == nullptr) return ERROR_INVALID_HANDLE;
    return Checked("RegDeleteValueA", name, RegDeleteValueA(h, name.c_str()));
}

std::int32_t Win32Registry::CountEntries(Key key, std::uint32_t& sub_keys,
                                         std::uint32_t& values) {
    HKEY h = Find(key);
    if (h == nullptr) return ERROR_INVALID_HANDLE;
    DWORD keys = 0, count = 0;
    const LONG rc = RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, &keys, nullptr, nullptr,
                                     &count, nullptr, nullptr, nullptr, nullptr);
    sub_keys = keys;
    values = count;
    return rc;
}

std::int32_t Win32Registry::DeleteKey(std::uint32_t hive, const std::string& sub_key) {
    return RegDeleteKeyA(HiveToHkey(hive), sub_key.c_str());
}

std::int32_t Win32Registry::CloseKey(Key key) {
    auto it = open_.find(key);
    if (it == open_.end()) return ERROR_INVALID_HANDLE;
    const LONG rc = Checked("RegCloseKey", std::string(), RegCloseKey(it->second.release()));
    open_.erase(it);
    return rc;
}

}  // namespace mevra
