#include "desktop/WallpaperJournal.h"

#include <array>
#include <utility>

namespace mevra {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'M', 'V', 'W', 'J'};
constexpr std::uint8_t kFormatAnsi = 1;
constexpr std::uint8_t kFormatWide = 2;
constexpr std::uint8_t kFormatSlideshow = 3;
constexpr std::array<std::uint8_t, 4> kEndMarker = {'E', 'N', 'D', '.'};

std::uint32_t Fnv1a(const std::uint8_t* data, std::size_t size) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    return hash;
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutText(std::vector<std::uint8_t>& out, const WideText& text) {
    PutU32(out, static_cast<std::uint32_t>(text.size() * 2));
    for (const char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
}

// Reads the bytes front to back; any read past the end marks the whole as bad.
class Reader {
public:
    explicit Reader(const std::vector<std::uint8_t>& bytes) : b_(bytes) {}
    bool Take(std::size_t n, const std::uint8_t*& at) {
        if (!ok_ || b_.size() - pos_ < n) return ok_ = false;
        at = b_.data() + pos_;
        pos_ += n;
        return true;
    }
    std::uint32_t U32() {
        const std::uint8_t* p = nullptr;
        if (!Take(4, p)) return 0;
        return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
               std::uint32_t{p[3]} << 24;
    }
    template <std::size_t N>
    bool Expect(const std::array<std::uint8_t, N>& want) {
        const std::uint8_t* p = nullptr;
        if (!Take(N, p)) return false;
        for (std::size_t i = 0; i < N; ++i)
            if (p[i] != want[i]) return ok_ = false;
        return true;
    }
    std::size_t pos() const { return pos_; }
    bool ok() const { return ok_; }

private:
    const std::vector<std::uint8_t>& b_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

bool ReadText(Reader& in, WideText& text) {
    const std::uint32_t size = in.U32();
    const std::uint8_t* data = nullptr;
    if (size % 2 != 0 || !in.Take(size, data)) return false;
    text.clear();
    for (std::uint32_t i = 0; i < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    return true;
}

bool ReadEntry(Reader& in, SavedValue& value) {
    const std::uint8_t* flag = nullptr;
    if (!in.Take(1, flag) || *flag > 1) return false;
    value.present = *flag == 1;
    value.type = in.U32();
    const std::uint32_t size = in.U32();
    const std::uint8_t* data = nullptr;
    if (!in.Take(size, data)) return false;
    value.data.assign(data, data + size);
    // An absent value carries nothing.
    return value.present || (value.type == kRegNone && size == 0);
}

}  // namespace

std::vector<std::uint8_t> EncodeJournal(const WallpaperRecord& record) {
    std::vector<std::uint8_t> out(kMagic.begin(), kMagic.end());
    const bool more = record.slideshow || !record.copy.empty();
    out.push_back(!record.wide ? kFormatAnsi : more ? kFormatSlideshow : kFormatWide);
    for (const SavedValue* v : {&record.wallpaper, &record.tile, &record.style}) {
        out.push_back(v->present ? 1 : 0);
        PutU32(out, v->present ? v->type : kRegNone);
        const std::vector<std::uint8_t> none;
        const auto& data = v->present ? v->data : none;
        PutU32(out, static_cast<std::uint32_t>(data.size()));
        out.insert(out.end(), data.begin(), data.end());
    }
    if (record.wide) {
        out.push_back(record.colour ? 1 : 0);
        PutU32(out, record.colour.value_or(0));
    }
    if (record.wide && more) {
        out.push_back(record.slideshow ? 1 : 0);
        if (record.slideshow) {
            PutU32(out, record.slideshow->options);
            PutU32(out, record.slideshow->tick);
            PutText(out, record.slideshow->items);
        }
        PutText(out, record.copy);
    }
    PutU32(out, Fnv1a(out.data(), out.size()));
    out.insert(out.end(), kEndMarker.begin(), kEndMarker.end());
    return out;
}

std::optional<WallpaperRecord> DecodeJournal(const std::vector<std::uint8_t>& bytes) {
    Reader in(bytes);
    WallpaperRecord record;
    const std::uint8_t* format = nullptr;
    if (!in.Expect(kMagic) || !in.Take(1, format)) return std::nullopt;
    if (*format < kFormatAnsi || *format > kFormatSlideshow) return std::nullopt;
    record.wide = *format != kFormatAnsi;
    for (SavedValue* v : {&record.wallpaper, &record.tile, &record.style})
        if (!ReadEntry(in, *v)) return std::nullopt;
    if (record.wide) {
        const std::uint8_t* has = nullptr;
        if (!in.Take(1, has) || *has > 1) return std::nullopt;
        const std::uint32_t colour = in.U32();
        if (*has == 1) record.colour = colour;
    }
    if (*format == kFormatSlideshow) {
        const std::uint8_t* has = nullptr;
        if (!in.Take(1, has) || *has > 1) return std::nullopt;
        if (*has == 1) {
            Slideshow show;
            show.options = in.U32();
            show.tick = in.U32();
            if (!ReadText(in, show.items)) return std::nullopt;
            record.slideshow = std::move(show);
        }
        if (!ReadText(in, record.copy)) return std::nullopt;
    }
    const std::size_t checked = in.pos();
    if (in.U32() != Fnv1a(bytes.data(), checked) || !in.ok()) return std::nullopt;
    if (!in.Expect(kEndMarker) || in.pos() != bytes.size()) return std::nullopt;
    return record;
}

SavedValue ReadSavedValue(Registry& registry, Registry::Key key, const std::string& name,
                          bool wide) {
    auto query = [&](std::uint32_t& type, std::uint8_t* data, std::uint32_t& size) {
        return wide ? registry.QueryValueWide(key, name, type, data, size)
                    : registry.QueryValue(key, name, type, data, size);
    };
    SavedValue value;
    std::uint32_t type = kRegNone;
    std::uint32_t size = 0;
    if (query(type, nullptr, size) != kErrorSuccess || size > kJournalMaxBytes) return value;
    std::vector<std::uint8_t> data(size);
    // The value may change between the two calls; a second miss counts as unreadable.
    if (query(type, data.data(), size) != kErrorSuccess) return value;
    data.resize(size);
    value.present = true;
    value.type = type;
    value.data = std::move(data);
    return value;
}

WideText WideTextOf(const SavedValue& value) {
    WideText text;
    if (!value.present || (value.type != kRegSz && value.type != kRegExpandSz)) return text;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(value.data[i] | value.data[i + 1] << 8);
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

bool WallpaperJournal::Write(const WallpaperRecord& record) {
    RegistryKey key = OpenToWrite(registry_, kHkeyCurrentUser, kJournalKey, /*create=*/true);
    if (!key) return false;
    const std::vector<std::uint8_t> bytes = EncodeJournal(record);
    return registry_.SetValue(key.get(), kJournalValue, kRegBinary, bytes.data(),
                              static_cast<std::uint32_t>(bytes.size())) == kErrorSuccess;
}

JournalState WallpaperJournal::Read(WallpaperRecord& record) {
    RegistryKey key = OpenToRead(registry_, kHkeyCurrentUser, kJournalKey);
    if (!key) return JournalState::None;
    std::uint32_t type = kRegNone;
    std::uint32_t size = 0;
    const std::int32_t rc = registry_.QueryValue(key.get(), kJournalValue, type, nullptr, size);
    if (rc == kErrorFileNotFound) return JournalState::None;
    if (rc != kErrorSuccess) return JournalState::Unreadable;
    const SavedValue raw = ReadSavedValue(registry_, key.get(), kJournalValue);
    if (!raw.present || raw.type != kRegBinary) return JournalState::Unreadable;
    const auto decoded = DecodeJournal(raw.data);
    if (!decoded) return JournalState::Unreadable;
    record = *decoded;
    return JournalState::Complete;
}

void WallpaperJournal::Remove() {
    {
        RegistryKey key = OpenToWrite(registry_, kHkeyCurrentUser, kJournalKey);
        if (!key) return;
        registry_.DeleteValue(key.get(), kJournalValue);
        std::uint32_t sub_keys = 0, values = 0;
        if (registry_.CountEntries(key.get(), sub_keys, values) != kErrorSuccess ||
            sub_keys != 0 || values != 0)
            return;
    }
    // Closed first: Windows deletes an open key only once its last handle goes.
    registry_.DeleteKey(kHkeyCurrentUser, kJournalKey);
}

}  // namespace mevra
