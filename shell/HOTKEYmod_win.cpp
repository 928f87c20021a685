#include "shell/HOTKEYmod_win.h"

#include <string>
#include "base/Raii_win.h"
#include "base/Report.h"

namespace mevra {

static_assert(kModControl == MOD_CONTROL && kModShift == MOD_SHIFT);
static_assert(kVkSpace == VK_SPACE && kVkLeft == VK_LEFT && kVkRight == VK_RIGHT &&
              kVkInsert == VK_INSERT && kVkDelete == VK_DELETE);

namespace {

struct HotkeyHook {
    WndProcSubclass subclass;  // keeps m_lngPrevWndProc and restores it
    HotkeyTarget* form = nullptr;
    HOTKEYmod* hotkeys = nullptr;
};

HotkeyHook& Hook() {
    static HotkeyHook hook;
    return hook;
}

}  // namespace

bool Win32HotkeyApi::Register(Hwnd hwnd, std::int32_t id, std::uint32_t modifiers,
                              std::uint32_t key) {
    if (RegisterHotKey(ToHwnd(hwnd), id, modifiers, key)) return true;
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
        if (msg != WM_HOTKEY) {
            const WNDPROC previous = hook.subclass.previous();
            return previous ? CallWindowProcA(previous, hwnd, msg, wParam, lParam)
                            : DefWindowProcA(hwnd, msg, wParam, lParam);
        }
        // Presses that queue while a command holds the thread (a balloon does, for over a
        // second) are gathered into each distinct hotkey once, so a burst of keys cannot
        // keep the program busy long after the user stopped, yet no key is lost.
        HotkeyBacklog backlog;
        backlog.Add(static_cast<std::int32_t>(wParam));
        for (;;) {
            MSG later{};
            while (PeekMessageA(&later, hwnd, WM_HOTKEY, WM_HOTKEY, PM_REMOVE))
                backlog.Add(static_cast<std::int32_t>(later.wParam));
            if (backlog.Empty()) break;
            for (const std::int32_t id : backlog.Take()) {
                if (!hook.form) return 0;  // unloaded by a command of this batch
                Attempt("hotkey", [&] {
                    DispatchHotkey(id, *hook.form,
                                   hook.hotkeys ? hook.hotkeys->m_objHotkeyMedia : nullptr);
                });
            }
        }
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
