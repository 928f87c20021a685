#include "shell/Systray.h"

namespace mevra {

void Systray::SetTrayIcon(std::intptr_t icon, const std::string& tip, bool remove) {
    TrayIconData.cbSize = api_.RealtimeBalloons() ? kTrayRecordVistaSize : kTrayRecordXpSize;
    TrayIconData.hWnd = owner_;
    TrayIconData.uID = kTrayIconId;
    TrayIconData.uFlags = kTrayIconFlags;
    TrayIconData.uCallbackMessage = kTrayCallbackMessage;
    TrayIconData.hIcon = icon;
    FillTrayText(TrayIconData.szTip, tip);
    if (remove) StopTimer();
    api_.NotifyIcon(remove ? kNimDelete : kNimAdd, TrayIconData);
}

void Systray::FillBalloon(const std::string& text, const std::string& title,
                          std::uint32_t infoFlags) {
    const bool realtime = api_.RealtimeBalloons();
    TrayIconData.cbSize = realtime ? kTrayRecordVistaSize : kTrayRecordXpSize;
    TrayIconData.hWnd = owner_;
    TrayIconData.uFlags = kTrayBalloonFlags | (realtime ? kNifRealtime : 0);
    FillTrayText(TrayIconData.szInfo, text);
    FillTrayText(TrayIconData.szInfoTitle, title);
    TrayIconData.dwInfoFlags = infoFlags;
}

void Systray::ShowTrayBalloon(const std::string& text, const std::string& title,
                              std::uint32_t infoFlags, bool show, std::int32_t timeoutMs) {
    if (show)
        FillBalloon(text, title, infoFlags);
    else
        FillBalloon("", "", 0);
    api_.NotifyIcon(kNimModify, TrayIconData);
    ClearTrayBalloonAfter(show ? timeoutMs : 0);
}

void Systray::ShowNamedBalloon(const std::string& nameUtf8, const std::string& rest,
                               const std::string& title, std::uint32_t infoFlags,
                               std::int32_t timeoutMs) {
    FillBalloon(rest, title, infoFlags);
    api_.NotifyIconNamed(kNimModify, TrayIconData, nameUtf8);
    ClearTrayBalloonAfter(timeoutMs);
}

void Systray::ClearTrayBalloonAfter(std::int32_t milliseconds) {
    // The time of the balloon now shown; an older balloon's clear would cut it short.
    if (milliseconds <= 0) {
        StopTimer();
        return;
    }
    api_.StartBalloonTimer(owner_, static_cast<std::uint32_t>(milliseconds));
    timerRunning_ = true;
}

void Systray::BalloonTimeUp() {
    StopTimer();
    ShowTrayBalloon("", "", kClearBalloonInfoFlags, false, 0);
}

void Systray::StopTimer() {
    if (!timerRunning_) return;
    timerRunning_ = false;
    api_.StopBalloonTimer(owner_);
}

}  // namespace mevra
