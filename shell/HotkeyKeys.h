#pragma once
// The keys the user chose: a chord per hotkey action, read from
// HKCU\Software\Mevra\Hotkeys (a REG_SZ per action, e.g. "Ctrl+Alt+S"; empty for
// none). A value that is missing keeps the action's default; one that cannot be read
// as a chord keeps it too and is reported on the debugger channel.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include "shell/HOTKEYmod.h"

namespace mevra {

class Registry;

constexpr char kHotkeysKey[] = "Software\\Mevra\\Hotkeys";

// The value name of each row of kHotkeyTable, in table order.
constexpr std::array<const char*, kHotkeyTable.size()> kHotkeyValueNames{
    "Open", "HideDesktop", "ShowDesktop", "Back", "Forward", "Play", "Stop", "Mute", "Pause"};

using HotkeyRows = std::array<HotkeyRow, kHotkeyTable.size()>;

// "Ctrl+Alt+S", " shift + del ", "F12": the modifiers and the virtual key; a blank
// text is no key at all (key 0). Nothing for a text that names no single key, a key
// without a name here, or a modifier given twice.
std::optional<HotkeyRow> ParseChord(const std::string& text);
// The chord as the user writes it: "Ctrl+Alt+S"; "" for no key.
std::string ChordText(std::uint32_t modifiers, std::uint16_t key);

// The rows in force: kHotkeyTable with each value under kHotkeysKey in place of its
// default. Unreadable values are reported, one line each.
HotkeyRows ReadHotkeyRows(Registry& registry);

}  // namespace mevra
