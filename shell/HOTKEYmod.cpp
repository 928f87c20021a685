#include "shell/HOTKEYmod.h"

#include <algorithm>
#include "base/Numbers.h"
#include "media/MediaPlayer.h"

namespace mevra {

bool HOTKEYmod::AddHotKey(Hwnd hwnd, std::uint32_t modifiers, std::uint16_t key) {
    m_lngHotKeyCount = CheckedAdd32(m_lngHotKeyCount, 1);
    if (key == 0) return true;
    return api_.Register(hwnd, m_lngHotKeyCount, modifiers, key);
}

void HOTKEYmod::RemoveHotKeys(Hwnd hwnd) {
    // A 64-bit counter, so the loop ends even when the count is the largest 32-bit value.
    for (std::int64_t id = 1; id <= m_lngHotKeyCount; ++id)
        api_.Unregister(hwnd, static_cast<std::int32_t>(id));
    m_lngHotKeyCount = 0;
}

void HotkeyQueue::Hold(std::int32_t id) {
    if (id < 1 || id > static_cast<std::int32_t>(kHotkeyTable.size())) return;
    const bool isOpen = kHotkeyTable[static_cast<std::size_t>(id - 1)].action == HotkeyAction::Open;
    const bool openPending = current_ == id || std::find(waiting_.begin(), waiting_.end(), id) != waiting_.end();
    if (!(isOpen && openPending)) waiting_.push_back(id);
}

void HotkeyQueue::Press(std::int32_t id, const std::function<void(std::int32_t)>& run) {
    Hold(id);
    Run(run);  // when a press runs further out, its loop runs this one next
}

void HotkeyQueue::Run(const std::function<void(std::int32_t)>& run) {
    if (running_) return;
    running_ = true;
    struct Done {
        HotkeyQueue& q;
        ~Done() {
            q.running_ = false;
            q.current_ = 0;
        }
    } done{*this};
    while (!waiting_.empty()) {
        current_ = waiting_.front();
        waiting_.pop_front();
        run(current_);
    }
}

bool DispatchHotkey(std::int32_t id, HotkeyTarget& form, MediaPlayer* hotkeyMedia) {
    if (id < 1 || id > static_cast<std::int32_t>(kHotkeyTable.size())) return false;
    switch (kHotkeyTable[static_cast<std::size_t>(id - 1)].action) {
        case HotkeyAction::Open: form.OPENVIDEO(); break;
        case HotkeyAction::HideDesktop: form.HDesktop(); break;
        case HotkeyAction::ShowDesktop: form.SDesktop(); break;
        case HotkeyAction::SeekBack:
            if (hotkeyMedia) hotkeyMedia->FForward(-kSeekHotkeySeconds);
            break;
        case HotkeyAction::SeekForward:
            if (hotkeyMedia) hotkeyMedia->FForward(kSeekHotkeySeconds);
            break;
        case HotkeyAction::Play: form.Play(); break;
        case HotkeyAction::Stop: form.StopPlay(); break;
        case HotkeyAction::Mute: form.Mute(); break;
        case HotkeyAction::Pause: form.Paused(); break;
    }
    return true;
}

}  // namespace mevra
