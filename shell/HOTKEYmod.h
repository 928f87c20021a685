#pragma once
// HOTKEYmod: the nine global hotkeys. They are registered on the hidden main
// window with the ids 1 to 9 in table order and dispatched from WM_HOTKEY.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include "base/Types.h"

namespace mevra {

class MediaPlayer;

constexpr std::uint32_t kModAlt = 0x1;      // MOD_ALT
constexpr std::uint32_t kModControl = 0x2;  // MOD_CONTROL
constexpr std::uint32_t kModShift = 0x4;    // MOD_SHIFT
constexpr std::uint32_t kModWin = 0x8;      // MOD_WIN
constexpr std::uint16_t kVkSpace = 0x20;
constexpr std::uint16_t kVkPrior = 0x21;
constexpr std::uint16_t kVkNext = 0x22;
constexpr std::uint16_t kVkEnd = 0x23;
constexpr std::uint16_t kVkHome = 0x24;
constexpr std::uint16_t kVkLeft = 0x25;
constexpr std::uint16_t kVkUp = 0x26;
constexpr std::uint16_t kVkRight = 0x27;
constexpr std::uint16_t kVkDown = 0x28;
constexpr std::uint16_t kVkInsert = 0x2D;
constexpr std::uint16_t kVkDelete = 0x2E;
constexpr std::int32_t kSeekHotkeySeconds = 10;

enum class HotkeyAction { Open, HideDesktop, ShowDesktop, SeekBack, SeekForward, Play, Stop, Mute, Pause };

struct HotkeyRow {
    std::uint32_t modifiers;
    std::uint16_t key;
    HotkeyAction action;
};

// Registered in this order, so a row's id is its position + 1.
constexpr std::array<HotkeyRow, 9> kHotkeyTable{{
    {kModControl, 'O', HotkeyAction::Open},
    {kModShift, kVkDelete, HotkeyAction::HideDesktop},
    {kModShift, kVkInsert, HotkeyAction::ShowDesktop},
    {kModControl, kVkLeft, HotkeyAction::SeekBack},
    {kModControl, kVkRight, HotkeyAction::SeekForward},
    {kModControl, 'P', HotkeyAction::Play},
    {kModControl, 'S', HotkeyAction::Stop},
    {kModControl, 'M', HotkeyAction::Mute},
    {kModControl, kVkSpace, HotkeyAction::Pause},
}};
// The keys in force, row for row as kHotkeyTable; key 0 is a row switched off.
using HotkeyRows = std::array<HotkeyRow, kHotkeyTable.size()>;

// RegisterHotKey / UnregisterHotKey.
class HotkeyApi {
public:
    virtual ~HotkeyApi() = default;
    virtual bool Register(Hwnd hwnd, std::int32_t id, std::uint32_t modifiers, std::uint32_t key) = 0;
    virtual bool Unregister(Hwnd hwnd, std::int32_t id) = 0;
};

// The main window's public methods that the hotkeys reach.
class HotkeyTarget {
public:
    virtual ~HotkeyTarget() = default;
    virtual void OPENVIDEO() = 0;
    virtual void HDesktop() = 0;
    virtual void SDesktop() = 0;
    virtual void Play() = 0;
    virtual void StopPlay() = 0;
    virtual void Mute() = 0;
    virtual void Paused() = 0;
    // A film command or loop tick is running; the player may pass messages on meanwhile.
    virtual bool FilmBusy() const { return false; }
};

class HOTKEYmod {
public:
    explicit HOTKEYmod(HotkeyApi& api) : api_(api) {}

    // Takes the next id (throwing OverflowError when the count cannot grow)
    // and registers the combination under it. The id is used up even when the
    // registration fails, or key is 0 (the row is off: nothing is registered),
    // so the later rows keep their table ids.
    bool AddHotKey(Hwnd hwnd, std::uint32_t modifiers, std::uint16_t key);
    // Unregisters the ids 1 to the count and starts counting again.
    void RemoveHotKeys(Hwnd hwnd);

    std::int32_t m_lngHotKeyCount = 0;
    // The keys registered by Form_Load: the defaults unless the user chose others.
    HotkeyRows m_keys = kHotkeyTable;
    // The second player, for the seek hotkeys; it shares the film's alias.
    MediaPlayer* m_objHotkeyMedia = nullptr;

private:
    HotkeyApi& api_;
};

// Presses of hotkeys: each runs its command at once unless a command of an earlier
// press is still running (a modal loop inside it passes the next WM_HOTKEY on); then
// it waits and runs right after, so every press runs once, in the order pressed.
// Open is the exception: its dialog comes up once at a time, so an Open pressed while
// one runs or waits does nothing, as Open from the menu with the dialog up does not.
// Ids outside the table are dropped.
class HotkeyQueue {
public:
    void Press(std::int32_t id, const std::function<void(std::int32_t)>& run);
    // Keeps the press for a later Run (while something else holds the thread).
    void Hold(std::int32_t id);
    // Runs what waits, unless a press is being run further out (it will then).
    void Run(const std::function<void(std::int32_t)>& run);
    // How many presses wait for the command running now.
    std::size_t Waiting() const { return waiting_.size(); }

private:
    std::deque<std::int32_t> waiting_;
    bool running_ = false;
    std::int32_t current_ = 0;
};

// Runs the action of hotkey id on form (the seek rows on hotkeyMedia). An id
// outside the table does nothing and gives false.
bool DispatchHotkey(std::int32_t id, HotkeyTarget& form, MediaPlayer* hotkeyMedia);

}  // namespace mevra
