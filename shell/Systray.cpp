#include "shell/Systray.h"

namespace mevra {

void Systray::SetTrayIcon(std::intptr_t icon, const std::string& tip, bool remove) {
    TrayIconData.cbSize = sizeof(TrayIconRecord);
    TrayIconData.hWnd = owner_;
    TrayIconData.uID = kTrayIconId;
    TrayIconData.uFlags = kTrayIconFlags;
    TrayIconData.uCallbackMessage = kTrayCallbackMessage;
    TrayIconData.hIcon = icon;
    FillTrayText(TrayIconData.szTip, tip);
    api_.NotifyIcon(remove ? kNimDelete : kNimAdd, TrayIconData);
}

void Systray::FillBalloon(const std::string& text, const std::string& title,
                          std::uint32_t infoFlags) {
    TrayIconData.hWnd = owner_;
    TrayIconData.uFlags = kTrayBalloonFlags;
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
    if (timeoutMs > 0) ClearTrayBalloonAfter(timeoutMs);
}

void Systray::ShowNamedBalloon(const std::string& nameUtf8, const std::string& rest,
                               const std::string& title, std::uint32_t infoFlags,
                               std::int32_t timeoutMs) {
    FillBalloon(rest, title, infoFlags);
    api_.NotifyIconNamed(kNimModify, TrayIconData, nameUtf8);
    if (timeoutMs > 0) ClearTrayBalloonAfter(timeoutMs);
}

void Systray::ClearTrayBalloonAfter(std::int32_t milliseconds) {
    if (milliseconds > 0) api_.Sleep(static_cast<std::uint32_t>(milliseconds));
    ShowTrayBalloon("", "", kClearBalloonInfoFlags, false, 0);
}

}  // namespace mevra
