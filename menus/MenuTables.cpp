#include "menus/MenuTables.h"

namespace mevra {

bool CaptionTable::Add(const std::string& key, const std::string& text) {
    return items_.emplace(key, text).second;
}

bool CaptionTable::Remove(const std::string& key) {
    return items_.erase(key) != 0;
}

void CaptionTable::Replace(const std::string& key, const std::string& text) {
    Remove(key);
    Add(key, text);
}

std::optional<std::string> CaptionTable::Find(const std::string& key) const {
    auto it = items_.find(key);
    if (it == items_.end()) return std::nullopt;
    return it->second;
}

bool BitmapTable::Add(const std::string& caption, std::int32_t imageId, std::int32_t maskId) {
    if (Find(caption)) return false;
    items_.emplace_back(caption, BitmapIds{imageId, maskId});
    return true;
}

const BitmapIds* BitmapTable::Find(const std::string& caption) const {
    for (const auto& kv : items_)
        if (kv.first == caption) return &kv.second;
    return nullptr;
}

}  // namespace mevra
