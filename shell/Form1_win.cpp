#include "shell/Form1_win.h"

#include "base/LateBound_win.h"
#include "base/Raii_win.h"
#include "base/Report.h"
#include "desktop/DesktopHost_win.h"
#include "desktop/DesktopLayer_win.h"
#include "desktop/Coverage.h"
#include "desktop/DesktopMod.h"
#include "desktop/DesktopWallpaper_win.h"
#include "desktop/RegistryMod.h"
#include "desktop/Registry_win.h"
#include "desktop/SystemSettings_win.h"
#include "dialogs/CDialogEX_win.h"
#include "dialogs/Form2_win.h"
#include "media/Korvane.h"
#include "media/MediaApiWin.h"
#include "media/MfPlayerWin.h"
#include "menus/modmenu.h"
#include "resources/resource.h"
#include "shell/HOTKEYmod_win.h"
#include "shell/HotkeyKeys.h"
#include "shell/MenuStyle_win.h"
#include "shell/SessionNotice_win.h"
#include "shell/Systray_win.h"

namespace mevra {

static_assert(kWmLButtonUp == WM_LBUTTONUP && kWmRButtonUp == WM_RBUTTONUP);

namespace {

constexpr int kTipTextChars = 256;
constexpr UINT kPopupFlags = TPM_LEFTALIGN | TPM_LEFTBUTTON;

UINT MenuId(MenuItem item) { return kMenuIdBase + static_cast<UINT>(item); }

LRESULT CALLBACK Form1Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace

// The window's Windows parts, each an adapter the portable Form1 talks to.
class Form1Timer final : public LoopTimer {
public:
    explicit Form1Timer(Form1Window::Parts& p) : p_(p) {}
    void Start(std::uint32_t intervalMs) override;
    void Stop() override;

private:
    Form1Window::Parts& p_;
};

class Form1Menu final : public MenuChecks {
public:
    explicit Form1Menu(Form1Window::Parts& p) : p_(p) {}
    void SetChecked(MenuItem item, bool checked) override;
    void SetEnabled(MenuItem item, bool enabled) override;

private:
    Form1Window::Parts& p_;
};

class Form1Ui final : public ShellUi {
public:
    explicit Form1Ui(Form1Window::Parts& p) : p_(p) {}
    bool AnotherInstanceRunning() override;
    void SetupMenuStyle() override;
    void InstallMainWindowProc() override;
    void RemoveMainWindowProc() override;
    void UnhookMenus() override;
    void CloseMainWindow() override;
    std::intptr_t TrayIcon() override;
    Hwnd BannerWindow() override;
    void RepaintAll() override;
    void ShowPopupMenu() override;
    std::string LoadTip(std::int32_t id) override;
    void ShowAbout() override;

private:
    Form1Window::Parts& p_;
};

class Form1Cover final : public CoverWatch {
public:
    explicit Form1Cover(Form1Window::Parts& p) : p_(p) {}
    bool DesktopCovered() override;

private:
    Form1Window::Parts& p_;
};

struct Form1Window::Parts {
    Parts(HINSTANCE instance, MediaPlayer* hotkeyMedia) : inst(instance) {
        hotkeys.m_objHotkeyMedia = hotkeyMedia;
    }

    HINSTANCE inst;
    UniqueKernelHandle mutex;
    HWND hwnd = nullptr;
    HMENU bar = nullptr, op = nullptr, dt = nullptr;  // owned by the window once set
    HWND picture2 = nullptr;
    UniqueBitmap image1, banner;
    UniqueIcon icon, aboutIcon;
    UINT taskbarCreated = 0;
    SessionNotice session;  // session unlocks reach the window while it lives
    bool unloaded = false;
    std::function<void()> onDestroyed;

    Win32Registry registryApi;
    Win32SystemSettings system;
    Win32DesktopWallpaper wallpaper;
    RegistryMod registry{registryApi, system, &wallpaper};
    DesktopMod desktop{system};
    KORVANECLASS media{Win32Mci(), Win32MediaSystem(), &SharedMfEngine()};  // m_objMedia
    Win32TrayApi trayApi;
    Systray tray{trayApi};
    Form1Timer timer{*this};
    Form1Menu menu{*this};
    Form1Ui ui{*this};
    Win32FileDialogApi dialogApi;
    CDialogEX dialog{dialogApi};
    Win32HotkeyApi hotkeyApi;
    HOTKEYmod hotkeys{hotkeyApi};
    Win32WindowTree windowTree;
    Win32DesktopHost host{inst};
    DesktopLayer layer{windowTree, host};
    Form1 form{Form1Parts{media, registry, desktop, tray, timer, menu, ui, dialog, hotkeys, layer}};
    Form1Cover cover{*this};
    bool sessionLocked = false, displayOff = false;  // from the session and power messages
    HANDLE powerNotify = nullptr;

    bool CreateTheWindow();
    void WatchDesktop();
    void UnwatchDesktop();
    void OnSessionChange(WPARAM event);
    bool OnPowerBroadcast(WPARAM event, LPARAM data);
    void BuildMenu();
    void Unload();
};

// --- adapters ------------------------------------------------------------------

void Form1Timer::Start(std::uint32_t intervalMs) {
    if (p_.hwnd) SetTimer(p_.hwnd, kLoopTimerId, intervalMs, nullptr);
}

void Form1Timer::Stop() {
    if (p_.hwnd) KillTimer(p_.hwnd, kLoopTimerId);
}

void Form1Menu::SetChecked(MenuItem item, bool checked) {
    if (!p_.op || item == MenuItem::mnuSD) return;  // Show Desktop is never in the menu
    CheckMenuItem(p_.op, MenuId(item), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void Form1Menu::SetEnabled(MenuItem item, bool enabled) {
    if (!p_.op || item == MenuItem::mnuSD) return;
    EnableMenuItem(p_.op, MenuId(item), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool Form1Ui::AnotherInstanceRunning() {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, kSingleInstanceMutex);
    // Access denied: it exists, made by an instance running with more rights.
    const DWORD error = GetLastError();
    const bool exists = mutex ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    UniqueKernelHandle owned(mutex);
    if (exists) return true;
    p_.mutex = std::move(owned);  // held until the program ends
    return false;
}

void Form1Ui::SetupMenuStyle() {
    HookMenus(p_.hwnd, true);
    ApplyMenuStyle(p_.image1.get());
}

void Form1Ui::InstallMainWindowProc() {
    mevra::InstallMainWindowProc(p_.hwnd, p_.form, p_.hotkeys);
}

void Form1Ui::RemoveMainWindowProc() { mevra::RemoveMainWindowProc(); }

void Form1Ui::UnhookMenus() { mevra::UnhookMenus(p_.hwnd); }

void Form1Ui::CloseMainWindow() {
    if (p_.hwnd) PostMessageA(p_.hwnd, WM_CLOSE, 0, 0);
}

std::intptr_t Form1Ui::TrayIcon() { return reinterpret_cast<std::intptr_t>(p_.icon.get()); }

Hwnd Form1Ui::BannerWindow() { return FromHwnd(p_.picture2); }

void Form1Ui::RepaintAll() { InvalidateRect(nullptr, nullptr, TRUE); }

void Form1Ui::ShowPopupMenu() {
    if (!p_.hwnd || !p_.op) return;
    POINT at{};
    GetCursorPos(&at);
    // Without this the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(p_.hwnd);
    TrackPopupMenu(p_.op, kPopupFlags, at.x, at.y, 0, p_.hwnd, nullptr);
    PostMessageA(p_.hwnd, WM_NULL, 0, 0);
}

std::string Form1Ui::LoadTip(std::int32_t id) {
    char text[kTipTextChars] = {};
    const int n = LoadStringA(p_.inst, static_cast<UINT>(id), text, kTipTextChars);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

void Form1Ui::ShowAbout() { ShowAboutBox(p_.inst, p_.image1.get(), p_.aboutIcon.get()); }

// --- the window ----------------------------------------------------------------

bool Form1Window::Parts::CreateTheWindow() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Form1Proc;
    wc.hInstance = inst;
    wc.lpszClassName = kForm1ClassName;
    wc.hIcon = LoadIconA(inst, MAKEINTRESOURCEA(IDI_MEVRA));
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    // A tool-window popup that is never shown: no taskbar button, no visible frame.
    hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, kForm1ClassName, kForm1Title, WS_POPUP, 0, 0, 0, 0,
                           nullptr, nullptr, inst, this);
    if (!hwnd) return false;
    taskbarCreated = RegisterWindowMessageA(kTaskbarCreatedMessage);
    host.SetOwner(hwnd);  // hidden, so the host has no taskbar button
    session = SessionNotice(hwnd);

    icon.reset(static_cast<HICON>(LoadImageA(inst, MAKEINTRESOURCEA(IDI_MEVRA), IMAGE_ICON,
                                             kTrayIconSize, kTrayIconSize, LR_DEFAULTCOLOR)));
    aboutIcon.reset(static_cast<HICON>(LoadImageA(inst, MAKEINTRESOURCEA(IDI_ABOUT), IMAGE_ICON,
                                                  kTrayIconSize, kTrayIconSize, LR_DEFAULTCOLOR)));
    image1.reset(static_cast<HBITMAP>(
        LoadImageA(inst, MAKEINTRESOURCEA(IDB_IMAGE1), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    banner.reset(static_cast<HBITMAP>(
        LoadImageA(inst, MAKEINTRESOURCEA(IDB_PICTURE2), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    picture2 = CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0,
                               kPicture2Width, kPicture2Height, hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPicture2Id)), inst,
                               nullptr);
    if (picture2 && banner)
        SendMessageA(picture2, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner.get()));
    BuildMenu();
    return true;
}

void Form1Window::Parts::BuildMenu() {
    bar = CreateMenu();
    op = CreatePopupMenu();
    dt = CreatePopupMenu();
    auto item = [](HMENU m, MenuItem it, const char* text, UINT flags = 0) {
        AppendMenuA(m, MF_STRING | flags, MenuId(it), text);
    };
    auto separator = [](HMENU m) { AppendMenuA(m, MF_SEPARATOR, 0, nullptr); };

    // The keys in force beside the items that have one.
    const auto withKey = [&](const char* label, HotkeyAction action) {
        const HotkeyRow& row = hotkeys.m_keys[static_cast<std::size_t>(action)];
        const std::string key = ChordText(row.modifiers, row.key);
        return key.empty() ? std::string(label) : std::string(label) + "\t" + key;
    };
    item(op, MenuItem::mnuFName, withKey("Open", HotkeyAction::Open).c_str());
    AppendMenuA(op, MF_POPUP, reinterpret_cast<UINT_PTR>(dt), "Options");
    item(dt, MenuItem::mnuHD, withKey("Hide Desktop", HotkeyAction::HideDesktop).c_str());
    // mnuSD "Show Desktop" is never visible, so it is not in the menu at all.
    item(dt, MenuItem::mnuArrow, "Hide Shortcut Arrow");
    item(dt, MenuItem::mnuloop, "Loop", MF_CHECKED);
    item(dt, MenuItem::mnuSt, "StartUp");
    separator(dt);
    item(dt, MenuItem::mnuAbout, "About");
    separator(op);
    item(op, MenuItem::mnuCon, "Control", MF_GRAYED);
    separator(op);
    item(op, MenuItem::mnuPlay, "Play");
    item(op, MenuItem::mnuPause, "Pause");
    item(op, MenuItem::mnuFF, "FForward");
    item(op, MenuItem::mnuFR, "FRewind");
    item(op, MenuItem::mnuStop, "Stop");
    item(op, MenuItem::mnuM, "Mute");
    separator(op);
    item(op, MenuItem::mnuExit, "Exit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(op), "Option");
    SetMenu(hwnd, bar);
}

void Form1Window::Parts::Unload() {
    if (unloaded || !hwnd) return;
    unloaded = true;
    form.Form_QueryUnload();
    form.Form_Unload();
    UnwatchDesktop();
    session = SessionNotice();
    DestroyWindow(hwnd);
}

// --- the covered desktop ------------------------------------------------------------

namespace {

constexpr WPARAM kPbtPowerSettingChange = 0x8013;  // PBT_POWERSETTINGCHANGE, Vista on
constexpr DWORD kDisplayOff = 0;
// GUID_CONSOLE_DISPLAY_STATE: 0 off, 1 on, 2 dimmed.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
struct PowerSetting {  // POWERBROADCAST_SETTING
    GUID setting;
    DWORD length;
    UCHAR data[1];
};

// Windows of the desktop itself and of the taskbar never hide the desktop.
bool CountsAsCover(HWND w) {
    if (!w || w == GetShellWindow() || w == GetDesktopWindow() || !IsWindowVisible(w) ||
        IsIconic(w) || (GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
        return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) return false;
    char cls[32] = {};
    GetClassNameA(w, cls, sizeof cls);
    for (const char* shell : {"Progman", "WorkerW", "Shell_TrayWnd", "Shell_SecondaryTrayWnd"})
        if (!lstrcmpiA(cls, shell)) return false;
    return true;
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list) {
    reinterpret_cast<std::vector<Rect>*>(list)->push_back(
        Rect{rect->left, rect->top, rect->right, rect->bottom});
    return TRUE;
}

// The monitors the film's window reaches onto; all of them without a film window.
std::vector<Rect> FilmMonitors(Hwnd film) {
    std::vector<Rect> monitors;
    RECT r{};
    const bool placed = film != 0 && GetWindowRect(ToHwnd(film), &r) && !IsRectEmpty(&r);
    EnumDisplayMonitors(nullptr, placed ? &r : nullptr, AddMonitor,
                        reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

NotificationState QueryNotificationState() {
    using Fn = HRESULT(WINAPI*)(int*);
    static const auto query = FunctionIn<Fn>(GetModuleHandleA("shell32.dll"), "SHQueryUserNotificationState");
    int state = 0;
    if (!query || FAILED(query(&state))) return NotificationState::Unknown;
    return static_cast<NotificationState>(state);
}

}  // namespace

bool Form1Cover::DesktopCovered() {
    DesktopView view;
    view.sessionLocked = p_.sessionLocked;
    view.displayOff = p_.displayOff;
    view.notification = QueryNotificationState();
    view.monitors = FilmMonitors(p_.layer.FilmWindow());
    HWND front = GetForegroundWindow();
    RECT r{};
    if (CountsAsCover(front) && GetWindowRect(front, &r)) {
        view.hasForeground = true;
        view.foreground = Rect{r.left, r.top, r.right, r.bottom};
    }
    return mevra::DesktopCovered(view);
}

// Display notifications (session ones come through SessionNotice); the call is Vista's,
// so it is found at run time.
void Form1Window::Parts::WatchDesktop() {
    form.SetCoverWatch(&cover);
    using PowerFn = HANDLE(WINAPI*)(HANDLE, LPCGUID, DWORD);
    const auto power = FunctionIn<PowerFn>(GetModuleHandleA("user32.dll"), "RegisterPowerSettingNotification");
    if (!power) {
        DebugLine("no RegisterPowerSettingNotification: the display's state is not watched");
        return;
    }
    powerNotify = power(hwnd, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!powerNotify) ReportFailure("RegisterPowerSettingNotification", static_cast<long>(GetLastError()));
}

void Form1Window::Parts::UnwatchDesktop() {
    form.SetCoverWatch(nullptr);
    if (powerNotify) {
        using Fn = BOOL(WINAPI*)(HANDLE);
        const auto unreg = FunctionIn<Fn>(GetModuleHandleA("user32.dll"), "UnregisterPowerSettingNotification");
        if (unreg) unreg(powerNotify);
        powerNotify = nullptr;
    }
}

void Form1Window::Parts::OnSessionChange(WPARAM event) {
    if (event == WTS_SESSION_LOCK) sessionLocked = true;
    if (event == WTS_SESSION_UNLOCK) sessionLocked = false;
}

bool Form1Window::Parts::OnPowerBroadcast(WPARAM event, LPARAM data) {
    const auto* s = reinterpret_cast<const PowerSetting*>(data);
    if (event != kPbtPowerSettingChange || !s || !IsEqualGUID(s->setting, kConsoleDisplayState) ||
        s->length < sizeof(DWORD))
        return false;
    DWORD state = 0;
    CopyMemory(&state, s->data, sizeof state);
    displayOff = state == kDisplayOff;
    return true;
}

namespace {

LRESULT CALLBACK Form1Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* p = reinterpret_cast<Form1Window::Parts*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!p) return DefWindowProcA(hwnd, msg, wParam, lParam);
    // Errors of a command end that command; they never travel into Windows.
    return AtBoundary("main window", LRESULT{0}, [&]() -> LRESULT {
        switch (msg) {
            case WM_COMMAND: {
                const UINT id = LOWORD(wParam);
                if (HIWORD(wParam) == 0 && id >= kMenuIdBase &&
                    id <= MenuId(MenuItem::mnuExit)) {
                    p->form.OnMenuCommand(static_cast<MenuItem>(id - kMenuIdBase));
                    return 0;
                }
                break;
            }
            case kTrayCallbackMessage:
                p->form.Form_MouseMove(static_cast<std::uint32_t>(lParam));
                return 0;
            case WM_TIMER:
                if (wParam == kLoopTimerId) {
                    p->form.tmrLoop_Timer();
                    return 0;
                }
                if (wParam == kBalloonTimerId) {
                    p->tray.BalloonTimeUp();
                    return 0;
                }
                break;
            case WM_DISPLAYCHANGE:
                p->form.OnDisplayChange();
                break;
            case WM_SETTINGCHANGE:
                if (wParam == SPI_SETWORKAREA) p->form.OnWorkAreaChange();
                break;
            case WM_POWERBROADCAST:
                if (p->OnPowerBroadcast(wParam, lParam)) return TRUE;
                if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND)
                    p->form.OnResume();
                return TRUE;
            case WM_WTSSESSION_CHANGE:
                p->OnSessionChange(wParam);
                if (wParam == WTS_SESSION_UNLOCK) p->form.OnSessionUnlock();
                return 0;
            case WM_CLOSE:
                p->Unload();
                return 0;
            case WM_QUERYENDSESSION:
                p->form.Form_EndSession();
                return TRUE;
            case WM_ENDSESSION:
                if (wParam) p->Unload();
                return 0;
            case WM_NCDESTROY: {
                SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
                p->hwnd = nullptr;
                p->bar = p->op = p->dt = nullptr;  // destroyed with the window
                if (p->picture2 && !IsWindow(p->picture2)) p->picture2 = nullptr;
                if (p->onDestroyed) p->onDestroyed();
                return DefWindowProcA(hwnd, msg, wParam, lParam);
            }
            default:
                if (msg != 0 && msg == p->taskbarCreated) {
                    p->form.OnTaskbarCreated();
                    return 0;
                }
                break;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    });
}

}  // namespace

// --- Form1Window -------------------------------------------------------------------

Form1Window::Form1Window(HINSTANCE instance, MediaPlayer* hotkeyMedia)
    : parts_(std::make_unique<Parts>(instance, hotkeyMedia)) {}

Form1Window::~Form1Window() {
    Parts& p = *parts_;
    p.onDestroyed = nullptr;
    if (p.hwnd) {
        p.Unload();
        if (p.hwnd) DestroyWindow(p.hwnd);
    }
    // The banner may be out on its own after an open dialog.
    if (p.picture2 && IsWindow(p.picture2)) DestroyWindow(p.picture2);
}

bool Form1Window::Load() {
    Parts& p = *parts_;
    if (!p.form.Form_Initialize()) return false;
    Attempt("read the hotkeys", [&] { p.hotkeys.m_keys = ReadHotkeyRows(p.registryApi); });
    if (!p.CreateTheWindow()) return false;
    p.form.Form_Load(FromHwnd(p.hwnd));
    p.WatchDesktop();
    return true;
}

void Form1Window::Unload() { parts_->Unload(); }

void Form1Window::SetOnDestroyed(std::function<void()> handler) {
    parts_->onDestroyed = std::move(handler);
}

HWND Form1Window::hwnd() const { return parts_->hwnd; }
HMENU Form1Window::popupMenu() const { return parts_->op; }
HWND Form1Window::picture2() const { return parts_->picture2; }
HBITMAP Form1Window::image1() const { return parts_->image1.get(); }
HICON Form1Window::imgIcon() const { return parts_->icon.get(); }
Form1& Form1Window::form() { return parts_->form; }
HOTKEYmod& Form1Window::hotkeys() { return parts_->hotkeys; }
UINT Form1Window::taskbarCreatedMessage() const { return parts_->taskbarCreated; }
WNDPROC Form1Window::OwnWindowProc() { return Form1Proc; }

}  // namespace mevra
