#include "shell/Systray_win.h"

#include <windows.h>
#include <shellapi.h>
#include <cstddef>
#include <cstring>
#include <string>
#include "base/Report.h"

namespace mevra {

// Systray.h copies these numbers so the core builds without windows.h.
static_assert(kNimAdd == NIM_ADD && kNimModify == NIM_MODIFY && kNimDelete == NIM_DELETE);
static_assert(kNifMessage == NIF_MESSAGE && kNifIcon == NIF_ICON && kNifTip == NIF_TIP &&
              kNifInfo == NIF_INFO);
static_assert(kNiifInfo == NIIF_INFO && kNiifNoSound == NIIF_NOSOUND &&
              kClearBalloonInfoFlags == NIIF_NOSOUND);
static_assert(kTrayCallbackMessage == WM_MOUSEMOVE);
static_assert(kTipChars == sizeof(NOTIFYICONDATAA::szTip) &&
              kInfoChars == sizeof(NOTIFYICONDATAA::szInfo) &&
              kInfoTitleChars == sizeof(NOTIFYICONDATAA::szInfoTitle));

// The portable record is passed to Shell_NotifyIconA as it is, so its layout
// must be the balloon-capable NOTIFYICONDATAA, field for field.
#define MEVRA_SAME_FIELD(f)                                                     \
    static_assert(offsetof(TrayIconRecord, f) == offsetof(NOTIFYICONDATAA, f), \
                  "tray record field " #f " is misplaced")
MEVRA_SAME_FIELD(cbSize);
MEVRA_SAME_FIELD(hWnd);
MEVRA_SAME_FIELD(uID);
MEVRA_SAME_FIELD(uFlags);
MEVRA_SAME_FIELD(uCallbackMessage);
MEVRA_SAME_FIELD(hIcon);
MEVRA_SAME_FIELD(szTip);
MEVRA_SAME_FIELD(dwState);
MEVRA_SAME_FIELD(dwStateMask);
MEVRA_SAME_FIELD(szInfo);
MEVRA_SAME_FIELD(uTimeout);
MEVRA_SAME_FIELD(szInfoTitle);
MEVRA_SAME_FIELD(dwInfoFlags);
#undef MEVRA_SAME_FIELD
static_assert(sizeof(TrayIconRecord) == NOTIFYICONDATAA_V2_SIZE,
              "tray record must be the version-2 NOTIFYICONDATAA");

bool Win32TrayApi::NotifyIcon(std::uint32_t message, const TrayIconRecord& record) {
    // Shell_NotifyIconA does not write to the record; its prototype is just not const.
    auto* data = reinterpret_cast<NOTIFYICONDATAA*>(const_cast<TrayIconRecord*>(&record));
    // Each balloon's text to the debugger channel too: shells that draw no balloons
    // (Wine's among them) still leave a trace of what the user was told.
    if (message == NIM_MODIFY && (record.uFlags & NIF_INFO) != 0 && record.szInfo[0] != '\0')
        DebugLine("balloon [" + std::string(record.szInfo, ::strnlen(record.szInfo, kInfoChars)) + "]");
    if (Shell_NotifyIconA(message, data)) return true;
    const long error = static_cast<long>(GetLastError());
    static const char* const kNames[] = {"NIM_ADD", "NIM_MODIFY", "NIM_DELETE"};
    const std::string name = message < 3 ? kNames[message] : std::to_string(message);
    ReportFailure("Shell_NotifyIconA " + name, error);
    return false;
}

void Win32TrayApi::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace mevra
