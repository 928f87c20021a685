#include "shell/SessionNotice_win.h"

#include <utility>

#include "base/LateBound_win.h"
#include "base/Report.h"

namespace mevra {
namespace {

constexpr DWORD kNotifyForThisSession = 0;  // NOTIFY_FOR_THIS_SESSION
using RegisterFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterFn = BOOL(WINAPI*)(HWND);

}  // namespace

SessionNotice::SessionNotice(HWND hwnd) {
    HMODULE dll = LoadSystemLibrary("wtsapi32.dll");
    if (!dll) {
        DebugLine("no wtsapi32: unlocks are not watched");
        return;
    }
    const auto reg = FunctionIn<RegisterFn>(dll, "WTSRegisterSessionNotification");
    if (!reg || !reg(hwnd, kNotifyForThisSession)) {
        ReportFailure("WTSRegisterSessionNotification", static_cast<long>(GetLastError()));
        FreeLibrary(dll);
        return;
    }
    hwnd_ = hwnd;
    dll_ = dll;
}

SessionNotice::~SessionNotice() { Reset(); }

SessionNotice::SessionNotice(SessionNotice&& o) noexcept
    : hwnd_(std::exchange(o.hwnd_, nullptr)), dll_(std::exchange(o.dll_, nullptr)) {}

SessionNotice& SessionNotice::operator=(SessionNotice&& o) noexcept {
    if (this != &o) {
        Reset();
        hwnd_ = std::exchange(o.hwnd_, nullptr);
        dll_ = std::exchange(o.dll_, nullptr);
    }
    return *this;
}

void SessionNotice::Reset() {
    if (!dll_) return;
    if (const auto unreg = FunctionIn<UnregisterFn>(dll_, "WTSUnRegisterSessionNotification"))
        unreg(hwnd_);
    FreeLibrary(dll_);
    dll_ = nullptr;
    hwnd_ = nullptr;
}

}  // namespace mevra
