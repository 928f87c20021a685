#pragma once
// Systray: the notification-area icon and its balloons. One module-level
// record (the NOTIFYICONDATAA form with the balloon fields) is reused for every
// call, so what one call sets stays in it for the next. A balloon is cleared by a
// one-shot timer on the owner window, never by holding the thread.
#include <cstddef>
#include <cstdint>
#include <string>
#include "base/Types.h"

namespace mevra {

// Shell_NotifyIconA messages and flags.
constexpr std::uint32_t kNimAdd = 0;
constexpr std::uint32_t kNimModify = 1;
constexpr std::uint32_t kNimDelete = 2;
constexpr std::uint32_t kNifMessage = 0x1;
constexpr std::uint32_t kNifIcon = 0x2;
constexpr std::uint32_t kNifTip = 0x4;
constexpr std::uint32_t kNifInfo = 0x10;
constexpr std::uint32_t kTrayIconFlags = kNifMessage | kNifIcon | kNifTip;  // 7
constexpr std::uint32_t kTrayBalloonFlags = kTrayIconFlags | kNifInfo;      // 0x17
// NIF_REALTIME (Vista on): a balloon the shell cannot show at once is dropped, not queued.
constexpr std::uint32_t kNifRealtime = 0x40;
constexpr std::uint32_t kNiifInfo = 0x1;
constexpr std::uint32_t kNiifNoSound = 0x10;
constexpr std::uint32_t kBalloonInfoFlags = kNiifInfo | kNiifNoSound;  // 0x11
constexpr std::uint32_t kClearBalloonInfoFlags = 0x10;

constexpr std::uint32_t kTrayIconId = 1;
// The icon's notifications arrive as this message (WM_MOUSEMOVE); lParam
// carries the mouse message.
constexpr std::uint32_t kTrayCallbackMessage = 0x200;

constexpr char kTrayTip[] = "Mevra";
constexpr char kBalloonTitle[] = "Mevra";
constexpr std::int32_t kStartBalloonMs = 1000;
constexpr std::int32_t kBalloonMs = 1500;
// The owner window's timer that clears a balloon; the loop timer is 1.
constexpr std::uintptr_t kBalloonTimerId = 2;

constexpr std::size_t kTipChars = 128;
constexpr std::size_t kInfoChars = 256;
constexpr std::size_t kInfoTitleChars = 64;

// NOTIFYICONDATAA with Vista's fields: handles are pointer-sized, the texts are
// fixed ANSI fields. Shell_NotifyIconA receives it as it is; cbSize says how much of
// it the shell reads: 488 bytes (504 in 64-bit builds) up to dwInfoFlags where
// Windows predates Vista, the whole record from Vista on.
struct TrayIconRecord {
    std::uint32_t cbSize = 0;
    Hwnd hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::intptr_t hIcon = 0;
    char szTip[kTipChars] = {};
    std::uint32_t dwState = 0;
    std::uint32_t dwStateMask = 0;
    char szInfo[kInfoChars] = {};
    std::uint32_t uTimeout = 0;
    char szInfoTitle[kInfoTitleChars] = {};
    std::uint32_t dwInfoFlags = 0;
    std::uint8_t guidItem[16] = {};
    std::intptr_t hBalloonIcon = 0;
};
constexpr std::uint32_t kTrayRecordXpSize = offsetof(TrayIconRecord, guidItem);
constexpr std::uint32_t kTrayRecordVistaSize = sizeof(TrayIconRecord);
static_assert(sizeof(void*) != 4 || (kTrayRecordXpSize == 488 && kTrayRecordVistaSize == 508),
              "the tray record must be the 488-byte NOTIFYICONDATAA, 508 with Vista's fields");
static_assert(sizeof(void*) != 8 || (kTrayRecordXpSize == 504 && kTrayRecordVistaSize == 528),
              "the 64-bit tray record must be 504 bytes, 528 with Vista's fields");

// Fills a fixed text field: the text (cut to leave room), a NUL, then blanks.
template <std::size_t N>
void FillTrayText(char (&field)[N], const std::string& text) {
    const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    for (std::size_t i = 0; i < N; ++i) field[i] = ' ';
    text.copy(field, n);
    field[n] = '\0';
}

// shell32, and the owner window's one-shot timer that ends a balloon.
class TrayApi {
public:
    virtual ~TrayApi() = default;
    virtual bool NotifyIcon(std::uint32_t message, const TrayIconRecord& record) = 0;
    // The same through Shell_NotifyIconW, for a balloon whose text is name (UTF-8)
    // followed by the record's szInfo (code page); the other texts are the record's.
    virtual bool NotifyIconNamed(std::uint32_t message, const TrayIconRecord& record,
                                 const std::string& nameUtf8) = 0;
    // Starts (or restarts) the balloon timer; its tick reaches Systray::BalloonTimeUp.
    virtual void StartBalloonTimer(Hwnd owner, std::uint32_t milliseconds) = 0;
    virtual void StopBalloonTimer(Hwnd owner) = 0;
    // Vista on: the shell knows the whole record and NIF_REALTIME.
    virtual bool RealtimeBalloons() = 0;
};

class Systray {
public:
    explicit Systray(TrayApi& api) : api_(api) {}

    // The window that receives the icon's notifications; written into every call.
    void SetOwner(Hwnd owner) { owner_ = owner; }
    Hwnd Owner() const { return owner_; }

    // Adds the icon (remove false) or deletes it (remove true).
    void SetTrayIcon(std::intptr_t icon, const std::string& tip, bool remove);
    // Shows (show true) or clears a balloon, replacing the one shown; a positive
    // timeout clears it once that time has passed, from the balloon timer.
    void ShowTrayBalloon(const std::string& text, const std::string& title,
                         std::uint32_t infoFlags, bool show, std::int32_t timeoutMs);
    // Shows a balloon saying nameUtf8 then rest (code page), as ShowTrayBalloon does, for a
    // name the code page cannot spell: it goes to the shell in the wide form.
    void ShowNamedBalloon(const std::string& nameUtf8, const std::string& rest,
                          const std::string& title, std::uint32_t infoFlags, std::int32_t timeoutMs);
    void ClearTrayBalloonAfter(std::int32_t milliseconds);
    // The balloon timer's tick: the balloon's time is up.
    void BalloonTimeUp();
    bool BalloonTimerRunning() const { return timerRunning_; }

    const TrayIconRecord& Record() const { return TrayIconData; }

private:
    void FillBalloon(const std::string& text, const std::string& title, std::uint32_t infoFlags);

    TrayApi& api_;
    void StopTimer();

    Hwnd owner_ = 0;
    bool timerRunning_ = false;
    TrayIconRecord TrayIconData;
};

}  // namespace mevra
