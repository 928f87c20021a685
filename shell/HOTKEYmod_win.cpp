#include "shell/HOTKEYmod_win.h"

#include <string>
#include "base/Raii_win.h"
#include "base/Report.h"
#include "base/WindowsVersion_win.h"

namespace mevra {

static_assert(kModAlt == MOD_ALT && kModControl == MOD_CONTROL && kModShift == MOD_SHIFT &&
              kModWin == MOD_WIN);
static_assert(kVkSpace == VK_SPACE && kVkLeft == VK_LEFT && kVkRight == VK_RIGHT &&
              kVkUp == VK_UP && kVkDown == VK_DOWN && kVkHome == VK_HOME && kVkEnd == VK_END &&
              kVkPrior == VK_PRIOR && kVkNext == VK_NEXT && kVkInsert == VK_INSERT &&
              kVkDelete == VK_DELETE && VK_F24 == 0x70 + 23);
// Presses held back while a film command runs are tried again at this pace.
constexpr UINT_PTR kHotkeyRetryTimerId = 3;  // the loop timer is 1, the balloon timer 2
constexpr UINT kHotkeyRetryMs = 50;
// Longest a press waits for a film command. Wine's film open can hang for good; the
// user's Stop must still get through, so after this it runs inside the command.
constexpr DWORD kHotkeyHoldLimitMs = 3000;
// MOD_NOREPEAT, Windows 7 on: a key held down acts once, not at the keyboard's repeat rate.
constexpr UINT kModNoRepeat = 0x4000;

namespace {

struct HotkeyHook {
    WndProcSubclass subclass;  // keeps m_lngPrevWndProc and restores it
    HotkeyTarget* form = nullptr;
    HOTKEYmod* hotkeys = nullptr;
    HotkeyQueue queue;
    DWORD heldSince = 0;  // when the oldest held press came
};

HotkeyHook& Hook() {
    static HotkeyHook hook;
    return hook;
}

}  // namespace

bool Win32HotkeyApi::Register(Hwnd hwnd, std::int32_t id, std::uint32_t modifiers,
                              std::uint32_t key) {
    static const UINT noRepeat = WindowsAtLeast(6, 1) ? kModNoRepeat : 0;
    if (RegisterHotKey(ToHwnd(hwnd), id, modifiers | noRepeat, key)) return true;
    // Most often another program holds the combination.
    const long error = static_cast<long>(GetLastError());
    ReportFailure("RegisterHotKey " + std::to_string(id), error);
    return false;
}

bool Win32HotkeyApi::Unregister(Hwnd hwnd, std::int32_t id) {
    return UnregisterHotKey(ToHwnd(hwnd), id) != FALSE;
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AtBoundary("hotkey procedure", LRESULT{0}, [&]() -> LRESULT {
        HotkeyHook& hook = Hook();
        if (msg != WM_HOTKEY && !(msg == WM_TIMER && wParam == kHotkeyRetryTimerId)) {
            const WNDPROC previous = hook.subclass.previous();
            return previous ? CallWindowProcA(previous, hwnd, msg, wParam, lParam)
                            : DefWindowProcA(hwnd, msg, wParam, lParam);
        }
        const auto run = [&](std::int32_t id) {
            if (!hook.form) return;  // unloaded by an earlier command
            Attempt("hotkey", [&] {
                DispatchHotkey(id, *hook.form, hook.hotkeys ? hook.hotkeys->m_objHotkeyMedia : nullptr);
            });
        };
        if (msg == WM_TIMER) {
            if (hook.form && hook.form->FilmBusy() && GetTickCount() - hook.heldSince < kHotkeyHoldLimitMs)
                return 0;
            KillTimer(hwnd, kHotkeyRetryTimerId);
            hook.queue.Run(run);
            return 0;
        }
        // A film command (or a loop tick) waiting in the player passed this press on: it
        // runs once that command is over, never inside it.
        if (hook.form && hook.form->FilmBusy()) {
            if (hook.queue.Waiting() == 0) hook.heldSince = GetTickCount();
            hook.queue.Hold(static_cast<std::int32_t>(wParam));
            SetTimer(hwnd, kHotkeyRetryTimerId, kHotkeyRetryMs, nullptr);
            return 0;
        }
        hook.queue.Press(static_cast<std::int32_t>(wParam), run);
        return 0;
    });
}

void InstallMainWindowProc(HWND hwnd, HotkeyTarget& form, HOTKEYmod& hotkeys) {
    HotkeyHook& hook = Hook();
    hook.subclass.Restore();
    hook.form = &form;
    hook.hotkeys = &hotkeys;
    hook.subclass = WndProcSubclass(hwnd, MainWindowProc);
}

void RemoveMainWindowProc() {
    HotkeyHook& hook = Hook();
    hook.subclass.Restore();
    hook.form = nullptr;
    hook.hotkeys = nullptr;
}

WNDPROC PreviousMainWindowProc() { return Hook().subclass.previous(); }

}  // namespace mevra
