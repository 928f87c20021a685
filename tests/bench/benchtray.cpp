// The floor Mevra's start and popup are measured against: a hidden window, a tray icon,
// the same nine hotkeys and a message loop. Built twice; with BENCH_MENU a right click on
// the icon also shows a plain three-item popup menu. WM_CLOSE takes it all down.
#include <windows.h>
#include <shellapi.h>

#include "BenchWindow.h"

namespace {

constexpr UINT kTrayMessage = WM_USER;  // the tray icon's callback
constexpr UINT kTrayId = 1;
constexpr struct { UINT mods, vk; } kHotkeys[] = {
    {MOD_CONTROL, 'O'}, {MOD_SHIFT, VK_DELETE}, {MOD_SHIFT, VK_INSERT},
    {MOD_CONTROL, VK_LEFT}, {MOD_CONTROL, VK_RIGHT}, {MOD_CONTROL, 'P'},
    {MOD_CONTROL, 'S'}, {MOD_CONTROL, 'M'}, {MOD_CONTROL, VK_SPACE}};

NOTIFYICONDATAA TrayRecord(HWND hwnd) {
    NOTIFYICONDATAA nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = hwnd;
    nid.uID = kTrayId;
    return nid;
}

#ifdef BENCH_MENU
void ShowMenu(HWND hwnd) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 1, "Open");
    AppendMenuA(menu, MF_STRING, 2, "Play");
    AppendMenuA(menu, MF_STRING, 3, "Exit");
    POINT at{};
    GetCursorPos(&at);
    SetForegroundWindow(hwnd);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, hwnd, nullptr);
    PostMessageA(hwnd, WM_NULL, 0, 0);
    DestroyMenu(menu);
}
#endif

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case kTrayMessage:
#ifdef BENCH_MENU
            if (lParam == WM_RBUTTONUP) ShowMenu(hwnd);
#endif
            return 0;
        case WM_CLOSE: {
            NOTIFYICONDATAA nid = TrayRecord(hwnd);
            Shell_NotifyIconA(NIM_DELETE, &nid);
            for (int i = 0; i < 9; ++i) UnregisterHotKey(hwnd, i + 1);
            DestroyWindow(hwnd);
            return 0;
        }
    }
    return BenchDefault(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HWND hwnd = BenchWindow(instance, Proc, "BenchTray", WS_EX_TOOLWINDOW, WS_POPUP, 0, 0);
    if (!hwnd) return 1;
    NOTIFYICONDATAA nid = TrayRecord(hwnd);
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kTrayMessage;
    nid.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    lstrcpyA(nid.szTip, "BenchTray");
    Shell_NotifyIconA(NIM_ADD, &nid);
    for (int i = 0; i < 9; ++i) RegisterHotKey(hwnd, i + 1, kHotkeys[i].mods, kHotkeys[i].vk);
    return RunMessageLoop();
}
