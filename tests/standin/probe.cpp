// Looks at a running Mevra from outside, for the end-to-end tests. Prints plain lines
// that shell scripts can grep.
//
//   probe.exe windows              top-level windows: hwnd, pid, visible, class, title
//   probe.exe tree                 the "Program Manager" window and its children
//   probe.exe gui PID              GDI and USER object counts of a process
//   probe.exe tray HWND            whether a tray icon (uID 1) of that window exists
//   probe.exe post HWND MSG [WP]   posts a message (numbers in decimal or 0x hex)
//   probe.exe hotkey MODS VK       whether a hotkey combination is free (1) or held (0)
//   probe.exe menus                open popup menus (class #32768), top-most first
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void PrintWindow(const char* tag, HWND h) {
    char cls[128] = {}, title[256] = {};
    GetClassNameA(h, cls, sizeof(cls));
    GetWindowTextA(h, title, sizeof(title));
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    RECT r = {};
    GetWindowRect(h, &r);
    std::printf("%s hwnd=%lu pid=%lu visible=%d parent=%lu rect=%ld,%ld,%ld,%ld class=%s title=%s\n",
                tag, static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(h)),
                static_cast<unsigned long>(pid), IsWindowVisible(h) ? 1 : 0,
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(GetParent(h))), r.left, r.top,
                r.right, r.bottom, cls, title);
}

BOOL CALLBACK EachTop(HWND h, LPARAM) {
    PrintWindow("top", h);
    return TRUE;
}

BOOL CALLBACK EachMenu(HWND h, LPARAM) {
    char cls[16] = {};
    GetClassNameA(h, cls, sizeof(cls));
    if (!std::strcmp(cls, "#32768") && IsWindowVisible(h)) PrintWindow("menu", h);
    return TRUE;
}

BOOL CALLBACK EachChild(HWND h, LPARAM) {
    PrintWindow("child", h);
    return TRUE;
}

ULONG_PTR Number(const char* s) { return static_cast<ULONG_PTR>(std::strtoull(s, nullptr, 0)); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const char* cmd = argv[1];
    if (!std::strcmp(cmd, "windows")) {
        EnumWindows(EachTop, 0);
        return 0;
    }
    if (!std::strcmp(cmd, "menus")) {
        EnumWindows(EachMenu, 0);
        return 0;
    }
    if (!std::strcmp(cmd, "tree")) {
        HWND desk = FindWindowA(nullptr, "Program Manager");
        if (!desk) { std::printf("no desktop\n"); return 1; }
        PrintWindow("desktop", desk);
        EnumChildWindows(desk, EachChild, 0);
        return 0;
    }
    if (!std::strcmp(cmd, "gui") && argc > 2) {
        HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, static_cast<DWORD>(Number(argv[2])));
        if (!p) { std::printf("no process\n"); return 1; }
        std::printf("gdi=%lu user=%lu\n", GetGuiResources(p, GR_GDIOBJECTS), GetGuiResources(p, GR_USEROBJECTS));
        CloseHandle(p);
        return 0;
    }
    if (!std::strcmp(cmd, "tray") && argc > 2) {
        NOTIFYICONDATAA nid = {};
        nid.cbSize = sizeof(nid);
        nid.hWnd = reinterpret_cast<HWND>(Number(argv[2]));
        nid.uID = 1;
        BOOL ok = Shell_NotifyIconA(NIM_MODIFY, &nid);
        std::printf("tray=%d\n", ok ? 1 : 0);
        return 0;
    }
    if (!std::strcmp(cmd, "post") && argc > 3) {
        WPARAM wp = argc > 4 ? Number(argv[4]) : 0;
        BOOL ok = PostMessageA(reinterpret_cast<HWND>(Number(argv[2])), static_cast<UINT>(Number(argv[3])), wp, 0);
        return ok ? 0 : 1;
    }
    if (!std::strcmp(cmd, "hotkey") && argc > 3) {
        BOOL free = RegisterHotKey(nullptr, 0x7000, static_cast<UINT>(Number(argv[2])), static_cast<UINT>(Number(argv[3])));
        if (free) UnregisterHotKey(nullptr, 0x7000);
        std::printf("free=%d\n", free ? 1 : 0);
        return 0;
    }
    return 2;
}
