#include "shell/Systray_win.h"

#include <windows.h>
#include <shellapi.h>
#include <cstddef>
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include "base/Report.h"
#include "base/TrimAtNull.h"
#include "base/WindowsVersion_win.h"
#include "base/WideText_win.h"

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
MEVRA_SAME_FIELD(guidItem);
static_assert(kTrayRecordXpSize == NOTIFYICONDATAA_V2_SIZE,
              "the short tray record must be the version-2 NOTIFYICONDATAA");
static_assert(sizeof(TrayIconRecord::guidItem) == sizeof(GUID) &&
              sizeof(TrayIconRecord::hBalloonIcon) == sizeof(HICON));

// hBalloonIcon, Vista's last field, follows guidItem; headers for older targets leave it out.
#if NTDDI_VERSION >= 0x06000000
MEVRA_SAME_FIELD(hBalloonIcon);
using WideVistaRecord = NOTIFYICONDATAW;
#else
static_assert(offsetof(TrayIconRecord, hBalloonIcon) == sizeof(NOTIFYICONDATAA));
struct WideVistaRecord : NOTIFYICONDATAW {
    HICON hBalloonIcon;
};
#endif
#undef MEVRA_SAME_FIELD
static_assert(kInfoChars == ARRAYSIZE(NOTIFYICONDATAW::szInfo) &&
              kTipChars == ARRAYSIZE(NOTIFYICONDATAW::szTip) &&
              kInfoTitleChars == ARRAYSIZE(NOTIFYICONDATAW::szInfoTitle));

namespace {

template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
    return TextFromBuffer(field, N, N);
}

// Wide text into a fixed field, cut to leave room for the NUL but never between the
// two halves of a surrogate pair.
template <std::size_t N>
void FillWideField(wchar_t (&field)[N], const Wide& text) {
    std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    if (n < text.size() && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] < 0xDC00) --n;
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), field);
    field[n] = L'\0';
}

// Each balloon's text to the debugger channel too: shells that draw no balloons
// (Wine's among them) still leave a trace of what the user was told.
void TraceBalloon(std::uint32_t message, std::uint32_t flags, const std::string& text) {
    if (message == NIM_MODIFY && (flags & NIF_INFO) != 0 && !text.empty())
        DebugLine("balloon [" + text + "]");
}

bool Sent(BOOL ok, const char* api, std::uint32_t message) {
    if (ok) return true;
    const long error = static_cast<long>(GetLastError());
    static const char* const kNames[] = {"NIM_ADD", "NIM_MODIFY", "NIM_DELETE"};
    const std::string name = message < 3 ? kNames[message] : std::to_string(message);
    ReportFailure(std::string(api) + " " + name, error);
    return false;
}

}  // namespace

bool Win32TrayApi::NotifyIcon(std::uint32_t message, const TrayIconRecord& record) {
    // Shell_NotifyIconA does not write to the record; its prototype is just not const.
    auto* data = reinterpret_cast<NOTIFYICONDATAA*>(const_cast<TrayIconRecord*>(&record));
    TraceBalloon(message, record.uFlags, FieldText(record.szInfo));
    return Sent(Shell_NotifyIconA(message, data), "Shell_NotifyIconA", message);
}

bool Win32TrayApi::NotifyIconNamed(std::uint32_t message, const TrayIconRecord& record,
                                   const std::string& nameUtf8) {
    WideVistaRecord data{};
    // The size Windows XP knows or Vista's, as the ANSI record's.
    data.cbSize = record.cbSize == kTrayRecordVistaSize ? sizeof(WideVistaRecord) : NOTIFYICONDATAW_V2_SIZE;
    data.hWnd = reinterpret_cast<HWND>(record.hWnd);
    data.uID = record.uID;
    data.uFlags = record.uFlags;
    data.uCallbackMessage = record.uCallbackMessage;
    data.hIcon = reinterpret_cast<HICON>(record.hIcon);
    FillWideField(data.szTip, Widen(FieldText(record.szTip), CP_ACP));
    data.dwState = record.dwState;
    data.dwStateMask = record.dwStateMask;
    Wide info = Widen(nameUtf8, CP_UTF8);
    const Wide rest = Widen(FieldText(record.szInfo), CP_ACP);
    info.insert(info.end(), rest.begin(), rest.end());
    FillWideField(data.szInfo, info);
    data.uTimeout = record.uTimeout;
    FillWideField(data.szInfoTitle, Widen(FieldText(record.szInfoTitle), CP_ACP));
    data.dwInfoFlags = record.dwInfoFlags;
    // In UTF-8 on the ANSI channel: Wine's trace escapes its bytes, where the wide
    // channel would pass on the code page's '?'s.
    TraceBalloon(message, record.uFlags, Utf8Of(data.szInfo, ::wcslen(data.szInfo)));
    return Sent(Shell_NotifyIconW(message, &data), "Shell_NotifyIconW", message);
}

void Win32TrayApi::StartBalloonTimer(Hwnd owner, std::uint32_t milliseconds) {
    // The same id again restarts it: a newer balloon gets its whole time.
    if (!SetTimer(reinterpret_cast<HWND>(owner), kBalloonTimerId, milliseconds, nullptr))
        ReportFailure("SetTimer (balloon)", static_cast<long>(GetLastError()));
}

void Win32TrayApi::StopBalloonTimer(Hwnd owner) {
    KillTimer(reinterpret_cast<HWND>(owner), kBalloonTimerId);
}

bool Win32TrayApi::RealtimeBalloons() { return WindowsAtLeast(6, 0); }

}  // namespace mevra
