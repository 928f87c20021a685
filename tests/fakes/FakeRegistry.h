#pragma once
// An in-memory registry with Windows' rules: key paths and value names match
// without regard to case, a trailing backslash is ignored, a value that does
// not fit the caller's buffer gives ERROR_MORE_DATA, and keys can be marked
// read-only so an open for more than reading is refused, or virtualised so
// writes succeed and land out of sight (a user's virtual store). Text written
// through the wide calls is kept as UTF-16 and read back through the ANSI ones
// the way a US-English code page does: anything outside ASCII comes out as '?'.
// Every call is logged.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>
#include "desktop/Registry.h"

namespace mevra::fake {

class FakeRegistry final : public Registry {
public:
    struct Value {
        std::uint32_t type = kRegSz;
        std::vector<std::uint8_t> data;
        bool wide = false;  // data is UTF-16LE text
    };
    struct Call {
        std::string op;  // "open", "create", "query", "set", "delete", "count", "delete key", "close"
        std::string key;  // "<hive>\<path>" as the caller spelled it
        std::string name;
        std::uint32_t access = 0;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        bool wide = false;
    };

    // --- arranging the registry
    void AddKey(std::uint32_t hive, const std::string& path) { keys_[Id(hive, path)]; }
    void PutRaw(std::uint32_t hive, const std::string& path, const std::string& name,
                std::uint32_t type, std::vector<std::uint8_t> data) {
        keys_[Id(hive, path)][Lower(name)] = Value{type, std::move(data)};
    }
    // A REG_SZ stored the way Windows' own tools store it: with its NUL.
    void PutString(std::uint32_t hive, const std::string& path, const std::string& name,
                   const std::string& text, std::uint32_t type = kRegSz) {
        std::vector<std::uint8_t> bytes(text.begin(), text.end());
        bytes.push_back(0);
        PutRaw(hive, path, name, type, std::move(bytes));
    }
    // A text as the wide calls store it: UTF-16LE with its NUL.
    void PutWide(std::uint32_t hive, const std::string& path, const std::string& name,
                 const std::u16string& text) {
        std::vector<std::uint8_t> bytes;
        for (char16_t c : text + u'\0') {
            bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        keys_[Id(hive, path)][Lower(name)] = Value{kRegSz, std::move(bytes), true};
    }
    void MakeReadOnly(std::uint32_t hive, const std::string& path) { read_only_.insert(Id(hive, path)); }
    void Remove(std::uint32_t hive, const std::string& path) { keys_.erase(Id(hive, path)); }
    void Virtualise(std::uint32_t hive, const std::string& path) { virtual_.insert(Id(hive, path)); }
    void FailSets(bool fail) { fail_sets_ = fail; }

    // --- looking at it
    bool HasKey(std::uint32_t hive, const std::string& path) const {
        return keys_.count(Id(hive, path)) != 0;
    }
    const Value* Find(std::uint32_t hive, const std::string& path, const std::string& name) const {
        auto k = keys_.find(Id(hive, path));
        if (k == keys_.end()) return nullptr;
        auto v = k->second.find(Lower(name));
        return v == k->second.end() ? nullptr : &v->second;
    }
    // The stored bytes as text, or "<missing>"; as the ANSI calls see them.
    std::string Bytes(std::uint32_t hive, const std::string& path, const std::string& name) const {
        const Value* v = Find(hive, path, name);
        if (!v) return "<missing>";
        const auto data = Narrow(*v);
        return std::string(data.begin(), data.end());
    }
    // The stored text as the wide calls see it, or u"<missing>".
    std::u16string WideBytes(std::uint32_t hive, const std::string& path, const std::string& name) const {
        const Value* v = Find(hive, path, name);
        if (!v) return u"<missing>";
        const auto data = Widened(*v);
        std::u16string out;
        for (std::size_t i = 0; i + 1 < data.size(); i += 2)
            out.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
        return out;
    }
    std::size_t OpenKeyCount() const { return handles_.size(); }
    const std::vector<Call>& Calls() const { return calls_; }
    std::vector<Call> CallsOf(const std::string& op) const {
        std::vector<Call> out;
        for (const auto& c : calls_)
            if (c.op == op) out.push_back(c);
        return out;
    }
    void ClearCalls() { calls_.clear(); }

    // --- Registry
    std::int32_t OpenKey(std::uint32_t hive, const std::string& sub_key, std::uint32_t access,
                         Key& key) override {
        calls_.push_back({"open", Label(hive, sub_key), "", access});
        key = 0;
        const std::string id = Id(hive, sub_key);
        if (!keys_.count(id)) return kErrorFileNotFound;
        if (!Allowed(id, access)) return kErrorAccessDenied;
        key = next_handle_++;
        handles_[key] = id;
        return kErrorSuccess;
    }
    std::int32_t CreateKey(std::uint32_t hive, const std::string& sub_key, std::uint32_t access,
                           Key& key) override {
        calls_.push_back({"create", Label(hive, sub_key), "", access});
        key = 0;
        const std::string id = Id(hive, sub_key);
        if (!Allowed(id, access)) return kErrorAccessDenied;
        keys_[id];
        key = next_handle_++;
        handles_[key] = id;
        return kErrorSuccess;
    }
    std::int32_t QueryValue(Key key, const std::string& name, std::uint32_t& type,
                            std::uint8_t* data, std::uint32_t& size) override {
        return Query(key, name, type, data, size, false);
    }
    std::int32_t SetValue(Key key, const std::string& name, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size) override {
        return Set(key, name, type, data, size, false);
    }
    std::int32_t QueryValueWide(Key key, const std::string& name, std::uint32_t& type,
                                std::uint8_t* data, std::uint32_t& size) override {
        return Query(key, name, type, data, size, true);
    }
    std::int32_t SetValueWide(Key key, const std::string& name, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t size) override {
        return Set(key, name, type, data, size, true);
    }
    std::int32_t DeleteValue(Key key, const std::string& name) override {
        calls_.push_back({"delete", KeyOf(key), name});
        auto h = handles_.find(key);
        if (h == handles_.end()) return kErrorInvalidHandle;
        if (virtual_.count(h->second)) return kErrorSuccess;
        return keys_[h->second].erase(Lower(name)) ? kErrorSuccess : kErrorFileNotFound;
    }
    std::int32_t CountEntries(Key key, std::uint32_t& sub_keys, std::uint32_t& values) override {
        calls_.push_back({"count", KeyOf(key), ""});
        auto h = handles_.find(key);
        if (h == handles_.end()) return kErrorInvalidHandle;
        sub_keys = SubKeys(h->second);
        values = static_cast<std::uint32_t>(keys_[h->second].size());
        return kErrorSuccess;
    }
    std::int32_t DeleteKey(std::uint32_t hive, const std::string& sub_key) override {
        calls_.push_back({"delete key", Label(hive, sub_key), ""});
        const std::string id = Id(hive, sub_key);
        if (!keys_.count(id)) return kErrorFileNotFound;
        if (SubKeys(id) != 0 || read_only_.count(id)) return kErrorAccessDenied;
        keys_.erase(id);
        return kErrorSuccess;
    }
    std::int32_t CloseKey(Key key) override {
        calls_.push_back({"close", KeyOf(key), ""});
        return handles_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
    }

private:
    static bool IsText(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz; }
    static std::vector<std::uint8_t> Narrow(const Value& v) {
        if (!v.wide || !IsText(v.type)) return v.data;
        std::vector<std::uint8_t> out;
        for (std::size_t i = 0; i + 1 < v.data.size(); i += 2) {
            const unsigned unit = v.data[i] | (v.data[i + 1] << 8);
            out.push_back(unit < 0x80 ? static_cast<std::uint8_t>(unit) : std::uint8_t{'?'});
        }
        return out;
    }
    static std::vector<std::uint8_t> Widened(const Value& v) {
        if (v.wide || !IsText(v.type)) return v.data;
        std::vector<std::uint8_t> out;
        for (std::uint8_t b : v.data) {
            out.push_back(b);
            out.push_back(0);
        }
        return out;
    }
    std::int32_t Query(Key key, const std::string& name, std::uint32_t& type, std::uint8_t* data,
                       std::uint32_t& size, bool wide) {
        calls_.push_back({"query", KeyOf(key), name, 0, 0, {}, wide});
        auto h = handles_.find(key);
        if (h == handles_.end()) return kErrorInvalidHandle;
        const auto& values = keys_[h->second];
        auto v = values.find(Lower(name));
        if (v == values.end()) return kErrorFileNotFound;
        type = v->second.type;
        const std::vector<std::uint8_t> seen = wide ? Widened(v->second) : Narrow(v->second);
        const auto needed = static_cast<std::uint32_t>(seen.size());
        if (data != nullptr && needed > size) {
            size = needed;
            return kErrorMoreData;
        }
        if (data != nullptr && needed != 0) std::memcpy(data, seen.data(), needed);
        size = needed;
        return kErrorSuccess;
    }
    std::int32_t Set(Key key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                     std::uint32_t size, bool wide) {
        std::vector<std::uint8_t> bytes(data, data + size);
        calls_.push_back({"set", KeyOf(key), name, 0, type, bytes, wide});
        auto h = handles_.find(key);
        if (h == handles_.end()) return kErrorInvalidHandle;
        if (fail_sets_) return kErrorAccessDenied;
        if (virtual_.count(h->second)) return kErrorSuccess;
        keys_[h->second][Lower(name)] = Value{type, std::move(bytes), wide};
        return kErrorSuccess;
    }
    static std::string Lower(std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    }
    static std::string Label(std::uint32_t hive, const std::string& path) {
        switch (hive) {
        case kHkeyClassesRoot: return "HKCR\\" + path;
        case kHkeyCurrentUser: return "HKCU\\" + path;
        case kHkeyLocalMachine: return "HKLM\\" + path;
        default: return std::to_string(hive) + "\\" + path;
        }
    }
    static std::string Id(std::uint32_t hive, const std::string& path) {
        std::string p = path;
        if (!p.empty() && p.back() == '\\') p.pop_back();
        return Lower(Label(hive, p));
    }
    std::string KeyOf(Key key) const {
        auto h = handles_.find(key);
        return h == handles_.end() ? std::string("<bad handle>") : h->second;
    }
    std::uint32_t SubKeys(const std::string& id) const {
        std::uint32_t n = 0;
        for (const auto& k : keys_)
            if (k.first.size() > id.size() + 1 && k.first.compare(0, id.size() + 1, id + "\\") == 0) ++n;
        return n;
    }
    bool Allowed(const std::string& id, std::uint32_t access) const {
        // The view flags choose a registry, they ask for no right.
        return !read_only_.count(id) || (access & ~(kKeyRead | kKeyWow64_64Key)) == 0;
    }

    std::map<std::string, std::map<std::string, Value>> keys_;
    std::map<Key, std::string> handles_;
    std::set<std::string> read_only_, virtual_;
    std::vector<Call> calls_;
    Key next_handle_ = 0x100;
    bool fail_sets_ = false;
};

}  // namespace mevra::fake
