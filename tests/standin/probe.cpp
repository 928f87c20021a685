// Looks at a running Mevra from outside, for the end-to-end tests. Prints plain lines
// that shell scripts can grep.
//
//   probe.exe windows              top-level windows: hwnd, pid, visible, class, title
//   probe.exe tree                 the "Program Manager" window and its children
//   probe.exe layers               every top-level window, top first, each followed by its
//                                  descendants: z-order neighbours, styles, rectangles
//   probe.exe send HWND MSG [WP [LP]]  sends a message and prints the answer
//   probe.exe resume HWND          the power messages Windows sends around a sleep
//   probe.exe unlock HWND          the session messages around a lock and unlock
//   probe.exe standin CMD [W H] [--await-film MS]  drives the stand-in desktop:
//                                  destroy-worker, create-worker, resize W H, icons 0|1;
//                                  then, if asked, waits as await-film does
//   probe.exe await-film MS        waits until the film's window is where the desktop's
//                                  layout wants it; prints the milliseconds it took
//   probe.exe gui PID              GDI and USER object counts of a process (see Gui below)
//   probe.exe gditypes PID [--list]  its live GDI objects by type (with --list, each one)
//   probe.exe tray HWND            whether a tray icon (uID 1) of that window exists
//   probe.exe post HWND MSG [WP [LP]]  posts a message (numbers in decimal or 0x hex)
//   probe.exe hotkey MODS VK       whether a hotkey combination is free (1) or held (0)
//   probe.exe hold MODS VK SECONDS holds a hotkey for a while, as another program would
//   probe.exe menus                open popup menus (class #32768), top-most first
//   probe.exe regraw KEY NAME...   values under HKCU\KEY exactly as stored, one line:
//                                  "NAME=TYPE:HEX|..." or "NAME=absent"
//   probe.exe regwide KEY NAME...  the same, read through the wide call (text as UTF-16LE)
//   probe.exe setwall HEX          makes the UTF-16LE path given in hex the wallpaper, as
//                                  the Settings app does (SystemParametersInfoW, saved, broadcast)
//   probe.exe desk                 "colour=RRGGBB saver=0|1": the desktop colour and whether
//                                  the screen saver is on, as this process sees them
//   probe.exe setcolour RRGGBB     makes that the desktop colour (SetSysColors)
//   probe.exe answer HWND          milliseconds the window takes to answer a WM_NULL
//                                  ("answer=N", or "answer=none" after 5 s)
//   probe.exe lock PATH SECONDS    holds the file open, shared with no one, for a while
//   probe.exe file-dialog          an Open dialog of the old, hooked kind, which holds a
//                                  SHELLDLL_DefView as the desktop does; until it is closed
//   probe.exe menucycle N X Y DY   N times: right click at X,Y (the tray icon), hover the
//                                  item DY pixels below the menu's top so its submenu
//                                  opens, then close both by clicking outside them
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kHoldHotkeyId = 0x7001;
constexpr int kPollMs = 15;

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

bool IsOpenMenu(HWND h) {
    char cls[16] = {};
    GetClassNameA(h, cls, sizeof(cls));
    return !std::strcmp(cls, "#32768") && IsWindowVisible(h);
}

BOOL CALLBACK EachMenu(HWND h, LPARAM) {
    if (IsOpenMenu(h)) PrintWindow("menu", h);
    return TRUE;
}

BOOL CALLBACK EachChild(HWND h, LPARAM) {
    PrintWindow("child", h);
    return TRUE;
}

unsigned long Id(HWND h) { return static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(h)); }

// One line per window, descendants after their parent, siblings in z-order (top first).
void PrintLayers(HWND first, int depth) {
    for (HWND h = first; h; h = GetWindow(h, GW_HWNDNEXT)) {
        char cls[128] = {}, title[256] = {};
        GetClassNameA(h, cls, sizeof(cls));
        GetWindowTextA(h, title, sizeof(title));
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        HWND parent = GetAncestor(h, GA_PARENT);
        if (parent == GetDesktopWindow()) parent = nullptr;
        RECT r = {}, c = {};
        GetWindowRect(h, &r);
        GetClientRect(h, &c);
        std::printf("win depth=%d hwnd=%lu pid=%lu parent=%lu owner=%lu prev=%lu next=%lu visible=%d "
                    "style=0x%08lx exstyle=0x%08lx rect=%ld,%ld,%ld,%ld client=%ld,%ld class=%s title=%s\n",
                    depth, Id(h), static_cast<unsigned long>(pid), Id(parent), Id(GetWindow(h, GW_OWNER)),
                    Id(GetWindow(h, GW_HWNDPREV)), Id(GetWindow(h, GW_HWNDNEXT)), IsWindowVisible(h) ? 1 : 0,
                    static_cast<unsigned long>(GetWindowLongA(h, GWL_STYLE)),
                    static_cast<unsigned long>(GetWindowLongA(h, GWL_EXSTYLE)), r.left, r.top, r.right,
                    r.bottom, c.right, c.bottom, cls, title);
        PrintLayers(GetWindow(h, GW_CHILD), depth + 1);
    }
}

ULONG_PTR Number(const char* s) { return static_cast<ULONG_PTR>(std::strtoull(s, nullptr, 0)); }

// --- object counts of another process -------------------------------------------

// The process's GDI handle table, the one its PEB points to. Wine 8 keeps one table per
// process (stock objects included): 24-byte entries, the object type in byte 14, 0 once
// the object is deleted. Empty when the table cannot be read.
constexpr size_t kGdiEntries = 0x10000, kGdiEntrySize = 24, kGdiTypeByte = 14;

std::vector<unsigned char> ReadGdiTable(HANDLE process) {
    using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    struct { LONG_PTR exitStatus; ULONG_PTR peb; ULONG_PTR rest[4]; } basic{};
    if (!query || query(process, 0, &basic, sizeof basic, nullptr) != 0 || !basic.peb) return {};
    constexpr ULONG_PTR kPebGdiTable = sizeof(void*) == 4 ? 0x94 : 0xf8;
    ULONG_PTR table = 0;
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(basic.peb + kPebGdiTable), &table,
                           sizeof table, &got) || !table)
        return {};
    std::vector<unsigned char> entries(kGdiEntries * kGdiEntrySize);
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(), entries.size(),
                           &got) || got != entries.size())
        return {};
    return entries;
}

// Live entries of the table, or -1.
long CountGdiTable(HANDLE process) {
    const std::vector<unsigned char> entries = ReadGdiTable(process);
    if (entries.empty()) return -1;
    long live = 0;
    for (size_t i = 0; i < kGdiEntries; ++i) live += entries[i * kGdiEntrySize + kGdiTypeByte] != 0;
    return live;
}

// Live entries by object type (Wine's NTGDI_OBJ_* numbers); with list, each one's slot too.
// "surface" is the placeholder bitmap Wine gives every display DC, so a window DC shows
// as dc + surface (+ region, its visible region, while it belongs to a window).
int GdiTypes(DWORD pid, bool list) {
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    const std::vector<unsigned char> entries = p ? ReadGdiTable(p) : std::vector<unsigned char>{};
    if (p) CloseHandle(p);
    if (entries.empty()) {
        std::printf("no table\n");
        return 1;
    }
    static const struct { unsigned char type; const char* name; } kNames[] = {
        {0x01, "dc"}, {0x41, "memdc"}, {0x09, "bitmap"}, {0x0a, "font"}, {0x10, "brush"},
        {0x30, "pen"}, {0x50, "extpen"}, {0x04, "region"}, {0x08, "palette"},
        {0x05, "surface"}};
    long counts[256] = {};
    for (size_t i = 0; i < kGdiEntries; ++i) {
        const unsigned char type = entries[i * kGdiEntrySize + kGdiTypeByte];
        if (!type) continue;
        ++counts[type];
        if (list) std::printf("slot=0x%04zx type=0x%02x\n", i, type);
    }
    long other = 0;
    for (int t = 1; t < 256; ++t) other += counts[t];
    for (const auto& n : kNames) {
        std::printf("%s=%ld ", n.name, counts[n.type]);
        other -= counts[n.type];
    }
    std::printf("other=%ld\n", other);
    return 0;
}

struct UserCount {
    DWORD pid;
    long windows = 0;
    long menus = 0;
};

void CountWindow(HWND h, UserCount& c) {
    ++c.windows;
    // Child windows carry an id where a menu would be.
    if (!(GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD) && GetMenu(h)) ++c.menus;
}

BOOL CALLBACK EachDescendant(HWND h, LPARAM lp) {
    CountWindow(h, *reinterpret_cast<UserCount*>(lp));
    return TRUE;
}

void CountTree(HWND top, UserCount& c) {
    DWORD pid = 0;
    GetWindowThreadProcessId(top, &pid);
    if (pid != c.pid) return;
    CountWindow(top, c);
    EnumChildWindows(top, EachDescendant, reinterpret_cast<LPARAM>(&c));
}

BOOL CALLBACK EachTopOf(HWND h, LPARAM lp) {
    CountTree(h, *reinterpret_cast<UserCount*>(lp));
    return TRUE;
}

// USER objects that can be seen from outside the process: its windows (top-level ones,
// their descendants, message-only ones) and the menus those windows carry. Menus below
// them, icons, cursors and hooks live in per-process tables under Wine that no call
// reaches from another process, so they are not in the count.
UserCount CountUser(DWORD pid) {
    UserCount c{pid};
    EnumWindows(EachTopOf, reinterpret_cast<LPARAM>(&c));
    for (HWND h = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); h;
         h = FindWindowExA(HWND_MESSAGE, h, nullptr, nullptr))
        CountTree(h, c);
    return c;
}

long CountThreads(DWORD pid) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    long n = 0;
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
        n += te.th32OwnerProcessID == pid;
    CloseHandle(snap);
    return n;
}

int Gui(DWORD pid) {
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    DWORD code = 0;
    if (!p || !GetExitCodeProcess(p, &code) || code != STILL_ACTIVE) {
        if (p) CloseHandle(p);
        std::printf("no process\n");
        return 1;
    }
    // Windows answers these itself; Wine 8 answers 0, so there the counts are ours.
    long gdi = static_cast<long>(GetGuiResources(p, GR_GDIOBJECTS));
    long user = static_cast<long>(GetGuiResources(p, GR_USEROBJECTS));
    const UserCount u = CountUser(pid);
    if (gdi == 0) gdi = CountGdiTable(p);
    if (user == 0) user = u.windows + u.menus;
    std::printf("gdi=%ld user=%ld windows=%ld menus=%ld threads=%ld\n", gdi, user, u.windows,
                u.menus, CountThreads(pid));
    CloseHandle(p);
    return 0;
}

// --- input -----------------------------------------------------------------------

void Mouse(int x, int y, DWORD buttons) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    in.mi.dx = (x * 65535 + w / 2) / (w - 1);
    in.mi.dy = (y * 65535 + h / 2) / (h - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    SendInput(1, &in, sizeof in);
}

void Click(int x, int y, DWORD down, DWORD up) {
    Mouse(x, y, 0);
    Sleep(30);
    Mouse(x, y, down);
    Sleep(30);
    Mouse(x, y, up);
}

struct MenuScan {
    int count = 0;
    RECT first{};  // the top-most one
};

BOOL CALLBACK EachOpenMenu(HWND h, LPARAM lp) {
    auto& s = *reinterpret_cast<MenuScan*>(lp);
    if (!IsOpenMenu(h)) return TRUE;
    if (s.count++ == 0) GetWindowRect(h, &s.first);
    return TRUE;
}

MenuScan OpenMenus() {
    MenuScan s;
    EnumWindows(EachOpenMenu, reinterpret_cast<LPARAM>(&s));
    return s;
}

// Polls until exactly `count` menus are open; returns the milliseconds it took or -1.
long WaitMenus(int count, DWORD timeoutMs, MenuScan* seen = nullptr) {
    const DWORD start = GetTickCount();
    for (;;) {
        MenuScan s = OpenMenus();
        if (s.count == count) {
            if (seen) *seen = s;
            return static_cast<long>(GetTickCount() - start);
        }
        if (GetTickCount() - start > timeoutMs) return -1;
        Sleep(kPollMs);
    }
}

// The tray menu opened and closed over and over, its Options submenu shown each time.
// A round that fails is reported and cleared away so that the next one starts clean.
int MenuCycle(int rounds, int trayX, int trayY, int optionsDy) {
    constexpr DWORD kOpenTimeoutMs = 15000;  // Mevra may be asleep under a balloon
    constexpr DWORD kStepTimeoutMs = 5000;
    constexpr int kOutsideX = 600, kOutsideY = 758;  // bare taskbar: a click on the desktop would raise it
    int ok = 0, failed = 0;
    long worst = 0, total = 0;
    for (int i = 1; i <= rounds; ++i) {
        const DWORD start = GetTickCount();
        const char* failure = nullptr;
        MenuScan root;
        Click(trayX, trayY, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
        if (WaitMenus(1, kOpenTimeoutMs, &root) < 0) {
            failure = "the menu did not open";
        } else {
            Mouse(root.first.left + 60, root.first.top + optionsDy - 4, 0);
            Sleep(20);
            Mouse(root.first.left + 60, root.first.top + optionsDy, 0);
            if (WaitMenus(2, kStepTimeoutMs) < 0) failure = "the submenu did not open";
        }
        Click(kOutsideX, kOutsideY, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
        if (WaitMenus(0, kStepTimeoutMs) < 0) {
            if (!failure) failure = "the menus did not close";
            Click(kOutsideX, kOutsideY, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
            WaitMenus(0, kStepTimeoutMs);
        }
        const long took = static_cast<long>(GetTickCount() - start);
        if (failure) {
            ++failed;
            std::printf("round %d: %s\n", i, failure);
            std::fflush(stdout);
        } else {
            ++ok;
            total += took;
            worst = std::max(worst, took);
        }
    }
    std::printf("rounds=%d ok=%d failed=%d avg_ms=%ld max_ms=%ld\n", rounds, ok, failed,
                ok ? total / ok : 0, worst);
    return failed ? 1 : 0;
}

// Registers a hotkey and keeps it, answering messages, for the given seconds.
int Hold(UINT mods, UINT vk, DWORD seconds) {
    const BOOL held = RegisterHotKey(nullptr, kHoldHotkeyId, mods, vk);
    std::printf("held=%d\n", held ? 1 : 0);
    std::fflush(stdout);
    const DWORD end = GetTickCount() + seconds * 1000;
    while (GetTickCount() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    if (held) UnregisterHotKey(nullptr, kHoldHotkeyId);
    return held ? 0 : 1;
}

LRESULT Send(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(h, msg, wp, lp, SMTO_NORMAL, 10000, &answer)) {
        std::printf("failed msg=0x%x wp=%lu\n", msg, static_cast<unsigned long>(wp));
        return -1;
    }
    std::printf("sent msg=0x%x wp=%lu answer=%lu\n", msg, static_cast<unsigned long>(wp),
                static_cast<unsigned long>(answer));
    return static_cast<LRESULT>(answer);
}

// What Windows sends a top-level window around a sleep: suspend, then both resume notices.
int Resume(HWND h) {
    constexpr WPARAM kSuspend = 4, kResumeSuspend = 7, kResumeAutomatic = 0x12;  // PBT_APM...
    if (Send(h, WM_POWERBROADCAST, kSuspend, 0) < 0) return 1;
    Sleep(1000);
    return Send(h, WM_POWERBROADCAST, kResumeAutomatic, 0) < 0 ||
           Send(h, WM_POWERBROADCAST, kResumeSuspend, 0) < 0;
}

// What a window registered for session notices gets around a lock and unlock.
int Unlock(HWND h) {
    constexpr UINT kSessionChange = 0x02B1;         // WM_WTSSESSION_CHANGE
    constexpr WPARAM kLock = 7, kUnlock = 8;         // WTS_SESSION_LOCK, WTS_SESSION_UNLOCK
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    if (Send(h, kSessionChange, kLock, session) < 0) return 1;
    Sleep(1000);
    return Send(h, kSessionChange, kUnlock, session) < 0;
}

HWND Child(HWND parent, const char* cls) { return FindWindowExA(parent, nullptr, cls, nullptr); }

// The film's window (Wine's MCI class) where the layout of the desktop, read from its
// window tree, wants it: raised, between Progman's icon view and its WorkerW; classic, in
// the WorkerW after the one holding the icon view; plain, in Progman.
bool FilmInPlace() {
    constexpr char kFilm[] = "MCIQTZ_Window";
    HWND progman = FindWindowA("Progman", nullptr);
    if (!progman) return false;
    HWND view = Child(progman, "SHELLDLL_DefView"), worker = Child(progman, "WorkerW");
    if (view && worker) {
        HWND film = Child(progman, kFilm);
        return film && GetWindow(film, GW_HWNDPREV) == view && GetWindow(film, GW_HWNDNEXT) == worker;
    }
    if (view) return Child(progman, kFilm) != nullptr;
    for (HWND w = FindWindowExA(nullptr, nullptr, "WorkerW", nullptr); w;
         w = FindWindowExA(nullptr, w, "WorkerW", nullptr))
        if (Child(w, "SHELLDLL_DefView")) {
            HWND layer = FindWindowExA(nullptr, w, "WorkerW", nullptr);
            return layer && Child(layer, kFilm);
        }
    return Child(progman, kFilm) != nullptr;
}

int AwaitFilm(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!FilmInPlace()) {
        if (GetTickCount() - start > timeoutMs) {
            std::printf("in_place_ms=none\n");
            return 1;
        }
        Sleep(kPollMs);
    }
    std::printf("in_place_ms=%lu\n", static_cast<unsigned long>(GetTickCount() - start));
    return 0;
}

int Standin(int argc, char** argv) {
    const UINT msg = RegisterWindowMessageA("MevraStandinCommand");
    HWND desk = FindWindowA("Progman", nullptr);
    if (!desk) { std::printf("no desktop\n"); return 1; }
    const char* cmd = argv[2];
    WPARAM code = 0;
    LPARAM arg = 0;
    if (!std::strcmp(cmd, "destroy-worker")) code = 1;
    else if (!std::strcmp(cmd, "create-worker")) code = 2;
    else if (!std::strcmp(cmd, "resize") && argc > 4) code = 3, arg = MAKELPARAM(std::atoi(argv[3]), std::atoi(argv[4]));
    else if (!std::strcmp(cmd, "icons") && argc > 3) code = 4, arg = std::atoi(argv[3]);
    else return 2;
    if (Send(desk, msg, code, arg) < 0) return 1;
    std::fflush(stdout);
    const bool await = argc > 2 && !std::strcmp(argv[argc - 2], "--await-film");
    return await ? AwaitFilm(static_cast<DWORD>(Number(argv[argc - 1]))) : 0;
}

int RegRaw(const char* key, int count, char** names, bool wide) {
    HKEY h = nullptr;
    const bool open = RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) == ERROR_SUCCESS;
    for (int i = 0; i < count; ++i) {
        std::vector<BYTE> data(65536);
        DWORD type = 0, size = static_cast<DWORD>(data.size());
        std::printf("%s%s=", i ? "|" : "", names[i]);
        std::vector<WCHAR> name(names[i], names[i] + std::strlen(names[i]) + 1);  // ASCII names
        const LONG rc = wide ? RegQueryValueExW(h, name.data(), nullptr, &type, data.data(), &size)
                             : RegQueryValueExA(h, names[i], nullptr, &type, data.data(), &size);
        if (!open || rc != ERROR_SUCCESS) {
            std::printf("absent");
            continue;
        }
        std::printf("%lu:", static_cast<unsigned long>(type));
        for (DWORD b = 0; b < size; ++b) std::printf("%02x", data[b]);
    }
    std::printf("\n");
    if (open) RegCloseKey(h);
    return 0;
}

int SetWall(const char* hex) {
    std::vector<WCHAR> path;
    for (std::size_t i = 0; hex[i] && hex[i + 1] && hex[i + 2] && hex[i + 3]; i += 4) {
        char unit[5] = {hex[i + 2], hex[i + 3], hex[i], hex[i + 1], 0};  // little-endian bytes
        path.push_back(static_cast<WCHAR>(std::strtoul(unit, nullptr, 16)));
    }
    path.push_back(0);
    const BOOL ok = SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(),
                                          SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    std::printf("setwall=%d\n", ok ? 1 : 0);
    return ok ? 0 : 1;
}

int Desk() {
    const COLORREF c = GetSysColor(COLOR_BACKGROUND);
    BOOL saver = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &saver, 0);
    std::printf("colour=%02x%02x%02x saver=%d\n", GetRValue(c), GetGValue(c), GetBValue(c), saver ? 1 : 0);
    return 0;
}

int SetColour(const char* rrggbb) {
    const unsigned long v = std::strtoul(rrggbb, nullptr, 16);
    const INT element = COLOR_BACKGROUND;
    const COLORREF colour = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    return SetSysColors(1, &element, &colour) ? 0 : 1;
}

int Answer(HWND h) {
    const DWORD start = GetTickCount();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) {
        std::printf("answer=none\n");
        return 1;
    }
    std::printf("answer=%lu\n", static_cast<unsigned long>(GetTickCount() - start));
    return 0;
}

int Lock(const char* path, DWORD seconds) {
    HANDLE f = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        std::printf("lock=failed\n");
        return 1;
    }
    std::printf("lock=held\n");
    std::fflush(stdout);
    Sleep(seconds * 1000);
    CloseHandle(f);
    return 0;
}

UINT_PTR CALLBACK KeepDialog(HWND, UINT, WPARAM, LPARAM) { return 0; }

// Another program's file dialog, open while Mevra looks for the desktop.
int FileDialog() {
    char file[MAX_PATH] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = "Probe file dialog";
    ofn.lpfnHook = KeepDialog;
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK;
    GetOpenFileNameA(&ofn);
    return 0;
}

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
    if (!std::strcmp(cmd, "layers")) {
        PrintLayers(GetTopWindow(nullptr), 0);
        return 0;
    }
    if (!std::strcmp(cmd, "send") && argc > 3) {
        WPARAM wp = argc > 4 ? Number(argv[4]) : 0;
        LPARAM lp = argc > 5 ? static_cast<LPARAM>(Number(argv[5])) : 0;
        return Send(reinterpret_cast<HWND>(Number(argv[2])), static_cast<UINT>(Number(argv[3])), wp, lp) < 0;
    }
    if (!std::strcmp(cmd, "resume") && argc > 2) return Resume(reinterpret_cast<HWND>(Number(argv[2])));
    if (!std::strcmp(cmd, "unlock") && argc > 2) return Unlock(reinterpret_cast<HWND>(Number(argv[2])));
    if (!std::strcmp(cmd, "standin") && argc > 2) return Standin(argc, argv);
    if (!std::strcmp(cmd, "await-film") && argc > 2) return AwaitFilm(static_cast<DWORD>(Number(argv[2])));
    if (!std::strcmp(cmd, "gui") && argc > 2) return Gui(static_cast<DWORD>(Number(argv[2])));
    if (!std::strcmp(cmd, "gditypes") && argc > 2)
        return GdiTypes(static_cast<DWORD>(Number(argv[2])), argc > 3 && !std::strcmp(argv[3], "--list"));
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
        LPARAM lp = argc > 5 ? static_cast<LPARAM>(Number(argv[5])) : 0;
        BOOL ok = PostMessageA(reinterpret_cast<HWND>(Number(argv[2])), static_cast<UINT>(Number(argv[3])), wp, lp);
        return ok ? 0 : 1;
    }
    if (!std::strcmp(cmd, "hotkey") && argc > 3) {
        BOOL free = RegisterHotKey(nullptr, 0x7000, static_cast<UINT>(Number(argv[2])), static_cast<UINT>(Number(argv[3])));
        if (free) UnregisterHotKey(nullptr, 0x7000);
        std::printf("free=%d\n", free ? 1 : 0);
        return 0;
    }
    if (!std::strcmp(cmd, "hold") && argc > 4)
        return Hold(static_cast<UINT>(Number(argv[2])), static_cast<UINT>(Number(argv[3])),
                    static_cast<DWORD>(Number(argv[4])));
    if (!std::strcmp(cmd, "regraw") && argc > 3) return RegRaw(argv[2], argc - 3, argv + 3, false);
    if (!std::strcmp(cmd, "regwide") && argc > 3) return RegRaw(argv[2], argc - 3, argv + 3, true);
    if (!std::strcmp(cmd, "setwall") && argc > 2) return SetWall(argv[2]);
    if (!std::strcmp(cmd, "desk")) return Desk();
    if (!std::strcmp(cmd, "setcolour") && argc > 2) return SetColour(argv[2]);
    if (!std::strcmp(cmd, "answer") && argc > 2) return Answer(reinterpret_cast<HWND>(Number(argv[2])));
    if (!std::strcmp(cmd, "lock") && argc > 3) return Lock(argv[2], static_cast<DWORD>(Number(argv[3])));
    if (!std::strcmp(cmd, "file-dialog")) return FileDialog();
    if (!std::strcmp(cmd, "menucycle") && argc > 5)
        return MenuCycle(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                         std::atoi(argv[5]));
    return 2;
}
