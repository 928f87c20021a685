#pragma once
// The tray adapter over shell32 and kernel32's Sleep.
#include "shell/Systray.h"

namespace mevra {

class Win32TrayApi final : public TrayApi {
public:
    bool NotifyIcon(std::uint32_t message, const TrayIconRecord& record) override;
    bool NotifyIconNamed(std::uint32_t message, const TrayIconRecord& record,
                         const std::string& nameUtf8) override;
    void Sleep(std::uint32_t milliseconds) override;
};

}  // namespace mevra
