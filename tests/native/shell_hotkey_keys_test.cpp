// The user's keys: chords as written in the registry, and the rows they make.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>
#include "base/Report.h"
#include "fakes/FakeRegistry.h"
#include "shell/HotkeyKeys.h"

namespace mevra {
namespace {

TEST(ParseChord, ReadsWhatUsersWrite) {
    struct Row {
        const char* text;
        bool valid;
        std::uint32_t modifiers;
        std::uint16_t key;
        const char* written;  // ChordText of the result
    };
    const Row rows[] = {
        {"Ctrl+Alt+S", true, kModControl | kModAlt, 'S', "Ctrl+Alt+S"},
        {"Win+Shift+P", true, kModWin | kModShift, 'P', "Shift+Win+P"},
        {"Shift+Del", true, kModShift, kVkDelete, "Shift+Del"},
        {" ctrl + alt + pgdn ", true, kModControl | kModAlt, kVkNext, "Ctrl+Alt+PgDn"},
        {"CTRL+SHIFT+f12", true, kModControl | kModShift, 0x7B, "Ctrl+Shift+F12"},
        {"F24", true, 0, 0x87, "F24"},
        {"Alt+7", true, kModAlt, '7', "Alt+7"},
        {"win+space", true, kModWin, kVkSpace, "Win+Space"},
        {"Ctrl+Home", true, kModControl, kVkHome, "Ctrl+Home"},
        {"Alt+Ins", true, kModAlt, kVkInsert, "Alt+Ins"},
        {"Ctrl+Up", true, kModControl, kVkUp, "Ctrl+Up"},
        {"", true, 0, 0, ""},
        {"   ", true, 0, 0, ""},
        {"Ctrl+", false, 0, 0, ""},
        {"+S", false, 0, 0, ""},
        {"Ctrl", false, 0, 0, ""},
        {"Ctrl+Ctrl+S", false, 0, 0, ""},
        {"Ctrl+Foo", false, 0, 0, ""},
        {"Hyper+S", false, 0, 0, ""},
        {"S+Ctrl", false, 0, 0, ""},
        {"F0", false, 0, 0, ""},
        {"F25", false, 0, 0, ""},
        {"F01", false, 0, 0, ""},
        {"Ctrl+AB", false, 0, 0, ""},
        {"Ctrl+-", false, 0, 0, ""},
        {"Ctrl+Alt S", false, 0, 0, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        const auto chord = ParseChord(r.text);
        ASSERT_EQ(chord.has_value(), r.valid);
        if (!chord) continue;
        EXPECT_EQ(chord->modifiers, r.modifiers);
        EXPECT_EQ(chord->key, r.key);
        EXPECT_EQ(ChordText(chord->modifiers, chord->key), r.written);
        // What is written reads back as the same chord.
        const auto again = ParseChord(r.written);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->modifiers, r.modifiers);
        EXPECT_EQ(again->key, r.key);
    }
}

std::vector<std::string>* g_lines = nullptr;
void Record(const std::string& line) { g_lines->push_back(line); }

TEST(ReadHotkeyRows, ValuesReplaceDefaultsAndUnreadableOnesAreReportedOnce) {
    fake::FakeRegistry reg;
    std::vector<std::string> lines;
    g_lines = &lines;
    const DebugSink before = SetDebugSink(Record);

    // No key at all: the defaults, nothing said.
    HotkeyRows rows = ReadHotkeyRows(reg);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].modifiers, kHotkeyTable[i].modifiers);
        EXPECT_EQ(rows[i].key, kHotkeyTable[i].key);
    }

    reg.PutString(kHkeyCurrentUser, kHotkeysKey, "Stop", "Ctrl+Alt+S");
    reg.PutString(kHkeyCurrentUser, kHotkeysKey, "hidedesktop", "");        // off
    reg.PutString(kHkeyCurrentUser, kHotkeysKey, "Mute", " ");              // off, as written empty
    reg.PutString(kHkeyCurrentUser, kHotkeysKey, "Play", "Ctrl+Pl");        // unreadable
    reg.PutRaw(kHkeyCurrentUser, kHotkeysKey, "Pause", kRegDword, {1, 0, 0, 0});  // not a text
    reg.PutString(kHkeyCurrentUser, kHotkeysKey, "Forward", "Win+Right", kRegExpandSz);
    rows = ReadHotkeyRows(reg);
    SetDebugSink(before);

    const struct {
        std::size_t row;
        std::uint32_t modifiers;
        std::uint16_t key;
    } expected[] = {
        {0, kModControl, 'O'}, {1, 0, 0}, {2, kModShift, kVkInsert}, {3, kModControl, kVkLeft},
        {4, kModWin, kVkRight}, {5, kModControl, 'P'}, {6, kModControl | kModAlt, 'S'}, {7, 0, 0},
        {8, kModControl, kVkSpace},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(rows[e.row].modifiers, e.modifiers) << kHotkeyValueNames[e.row];
        EXPECT_EQ(rows[e.row].key, e.key) << kHotkeyValueNames[e.row];
        EXPECT_EQ(rows[e.row].action, kHotkeyTable[e.row].action);
    }
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("Play: \"Ctrl+Pl\" is not a key; keeping Ctrl+P"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("Pause"), std::string::npos) << lines[1];
    EXPECT_EQ(reg.OpenKeyCount(), 0u);
}

}  // namespace
}  // namespace mevra
