#pragma once
// The tray adapter over shell32 and the owner window's balloon timer.
#include "shell/Systray.h"

namespace mevra {

class Win32TrayApi final : public TrayApi {
public:
    bool NotifyIcon(std::uint32_t message, const TrayIconRecord& record) override;
    bool NotifyIconNamed(std::uint32_t message, const TrayIconRecord& record,
                         const std::string& nameUtf8) override;
    void StartBalloonTimer(Hwnd owner, std::uint32_t milliseconds) override;
    void StopBalloonTimer(Hwnd owner) override;
    bool RealtimeBalloons() override;
};

}  // namespace mevra
