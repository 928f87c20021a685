#pragma once
// Asks for WM_WTSSESSION_CHANGE (session lock and unlock) for one window, through
// wtsapi32 found at run time, and stops asking when it ends. Move-only.
#include <windows.h>

namespace mevra {

class SessionNotice {
public:
    SessionNotice() = default;
    explicit SessionNotice(HWND hwnd);
    ~SessionNotice();
    SessionNotice(SessionNotice&& o) noexcept;
    SessionNotice& operator=(SessionNotice&& o) noexcept;
    SessionNotice(const SessionNotice&) = delete;
    SessionNotice& operator=(const SessionNotice&) = delete;

    bool active() const { return dll_ != nullptr; }

private:
    void Reset();
    HWND hwnd_ = nullptr;
    HMODULE dll_ = nullptr;
};

}  // namespace mevra
