#pragma once
// The two tables of the menu engine: the texts of owner-drawn items (which no
// longer carry their text once converted) and the caption-to-picture table.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mevra {

// Item texts keyed by MenuItemKey. Removing a missing key or adding an existing
// one fails quietly, like the collection the engine was designed around.
class CaptionTable {
public:
    bool Add(const std::string& key, const std::string& text);
    bool Remove(const std::string& key);
    // Remove then add: the stored text becomes the one read last.
    void Replace(const std::string& key, const std::string& text);
    std::optional<std::string> Find(const std::string& key) const;
    std::size_t Count() const { return items_.size(); }
    void Clear() { items_.clear(); }

private:
    std::map<std::string, std::string> items_;
};

// Resource ids of a menu picture and its mask.
struct BitmapIds {
    std::int32_t image = 0;
    std::int32_t mask = 0;
};

// Caption (the text before any tab) to picture, kept in insertion order.
class BitmapTable {
public:
    // A caption already present keeps its first pictures; returns false then.
    bool Add(const std::string& caption, std::int32_t imageId, std::int32_t maskId);
    const BitmapIds* Find(const std::string& caption) const;
    std::size_t Count() const { return items_.size(); }
    const std::vector<std::pair<std::string, BitmapIds>>& Items() const { return items_; }
    void Clear() { items_.clear(); }

private:
    std::vector<std::pair<std::string, BitmapIds>> items_;
};

}  // namespace mevra
