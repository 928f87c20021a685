#include "shell/HotkeyKeys.h"

#include <cctype>
#include <vector>
#include "base/Report.h"
#include "base/TrimAtNull.h"
#include "desktop/Registry.h"

namespace mevra {

namespace {

struct KeyName {
    const char* name;
    std::uint16_t key;
};

constexpr KeyName kModifierNames[] = {
    {"Ctrl", kModControl}, {"Alt", kModAlt}, {"Shift", kModShift}, {"Win", kModWin}};

constexpr KeyName kKeyNames[] = {
    {"Space", kVkSpace}, {"Left", kVkLeft},   {"Right", kVkRight}, {"Up", kVkUp},
    {"Down", kVkDown},   {"Del", kVkDelete},  {"Ins", kVkInsert},  {"Home", kVkHome},
    {"End", kVkEnd},     {"PgUp", kVkPrior},  {"PgDn", kVkNext}};

constexpr std::uint16_t kVkF1 = 0x70;
constexpr int kFunctionKeys = 24;
constexpr std::size_t kValueBytes = 256;

bool SameName(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::optional<std::uint16_t> KeyOf(const std::string& name) {
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return static_cast<std::uint16_t>(std::toupper(static_cast<unsigned char>(name[0])));
    for (const KeyName& k : kKeyNames)
        if (SameName(name, k.name)) return k.key;
    if (name.size() >= 2 && name.size() <= 3 && (name[0] == 'F' || name[0] == 'f') &&
        name[1] != '0' && name.find_first_not_of("0123456789", 1) == std::string::npos) {
        const int n = std::stoi(name.substr(1));
        if (n >= 1 && n <= kFunctionKeys) return static_cast<std::uint16_t>(kVkF1 + n - 1);
    }
    return std::nullopt;
}

}  // namespace

std::optional<HotkeyRow> ParseChord(const std::string& text) {
    HotkeyRow chord{0, 0, HotkeyAction::Open};
    const std::string whole = Trimmed(text);
    if (whole.empty()) return chord;
    std::vector<std::string> parts;
    for (std::size_t from = 0;;) {
        const std::size_t plus = whole.find('+', from);
        parts.push_back(Trimmed(whole.substr(from, plus - from)));
        if (plus == std::string::npos) break;
        from = plus + 1;
    }
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        std::uint32_t mod = 0;
        for (const KeyName& m : kModifierNames)
            if (SameName(parts[i], m.name)) mod = m.key;
        if (mod == 0 || (chord.modifiers & mod) != 0) return std::nullopt;
        chord.modifiers |= mod;
    }
    const std::optional<std::uint16_t> key = KeyOf(parts.back());
    if (!key) return std::nullopt;
    chord.key = *key;
    return chord;
}

std::string ChordText(std::uint32_t modifiers, std::uint16_t key) {
    if (key == 0) return std::string();
    std::string text;
    for (const KeyName& m : kModifierNames)
        if (modifiers & m.key) text += std::string(m.name) + "+";
    for (const KeyName& k : kKeyNames)
        if (k.key == key) return text + k.name;
    if (key >= kVkF1 && key < kVkF1 + kFunctionKeys) return text + "F" + std::to_string(key - kVkF1 + 1);
    return text + static_cast<char>(key);
}

HotkeyRows ReadHotkeyRows(Registry& registry) {
    HotkeyRows rows = kHotkeyTable;
    Registry::Key raw = 0;
    if (registry.OpenKey(kHkeyCurrentUser, kHotkeysKey, kKeyRead, raw) != kErrorSuccess) return rows;
    RegistryKey key(registry, raw);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const char* name = kHotkeyValueNames[i];
        std::uint8_t buffer[kValueBytes] = {};
        std::uint32_t size = kValueBytes;
        std::uint32_t type = kRegNone;
        const std::int32_t result = registry.QueryValue(key.get(), name, type, buffer, size);
        if (result == kErrorFileNotFound) continue;
        const std::string defaultText = ChordText(rows[i].modifiers, rows[i].key);
        if (result != kErrorSuccess || (type != kRegSz && type != kRegExpandSz)) {
            DebugLine(std::string("hotkey ") + name + ": the value is not a text; keeping " + defaultText);
            continue;
        }
        const std::string text = TextFromBuffer(reinterpret_cast<const char*>(buffer), kValueBytes,
                                                size < kValueBytes ? size : kValueBytes);
        const std::optional<HotkeyRow> chord = ParseChord(text);
        if (!chord) {
            DebugLine(std::string("hotkey ") + name + ": \"" + text + "\" is not a key; keeping " + defaultText);
            continue;
        }
        rows[i].modifiers = chord->modifiers;
        rows[i].key = chord->key;
    }
    return rows;
}

}  // namespace mevra
