#include "shell/Systray_win.h"

#include <windows.h>
#include <shellapi.h>
#include <cstddef>
#include <cstring>
#include <string>

namespace mevra {

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
    if (message == NIM_MODIFY && (record.uFlags & NIF_INFO) != 0 && record.szInfo[0] != '\0') {
        const std::string line = "Mevra: balloon [" +
                                 std::string(record.szInfo, ::strnlen(record.szInfo, kInfoChars)) + "]";
        ::OutputDebugStringA(line.c_str());
    }
    return Shell_NotifyIconA(message, data) != FALSE;
}

void Win32TrayApi::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace mevra
