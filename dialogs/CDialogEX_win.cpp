#include "dialogs/CDialogEX_win.h"

#include <dlgs.h>
#include <algorithm>
#include <cstring>
#include "base/Dpi_win.h"
#include "base/LateBound_win.h"
#include "base/Raii_win.h"
#include "base/Report.h"

namespace mevra {

static_assert(kOfnHideReadOnly == OFN_HIDEREADONLY && kOfnEnableHook == OFN_ENABLEHOOK &&
              kOfnFileMustExist == OFN_FILEMUSTEXIST && kOfnExplorer == OFN_EXPLORER);
static_assert(kFileBufferChars == MAX_PATH);
static_assert(kStc2TypeLabel == stc2 && kStc3NameLabel == stc3 && kStc4PlaceLabel == stc4);

// The adapter's state for one dialog at a time, on the UI thread. The hook's dialog
// and the subclassed Open button carry a pointer to it in their GWLP_USERDATA.
struct OpenDialogState {
    OPENFILENAMEA record{};  // kept after the dialog, for as long as the adapter
    char file[kFileBufferChars] = {};
    char fileTitle[kMaxFileTitle] = {};
    DialogLayout layout;
    LONG_PTR bannerId = 0;
    WndProcSubclass openButton;
    int height = 0;            // the dialog's outer height at its DPI
    SIZE bannerSize{};         // the banner's own size, given back with it
    HBITMAP bannerImage = nullptr;  // the banner's own picture while a scaled copy shows
    UniqueBitmap scaledBanner;
};

namespace {

constexpr char kOpenText[] = "Open";
constexpr int kClassNameChars = 128;

OpenDialogState* StateOf(HWND hwnd) {
    return reinterpret_cast<OpenDialogState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

HWND Banner(const OpenDialogState& s) { return ToHwnd(s.layout.banner); }

// Puts the banner back in the state it has between dialogs: hidden, without a
// parent, with its own id.
void ReturnBanner(OpenDialogState& s) {
    HWND banner = Banner(s);
    if (!banner || !IsWindow(banner)) return;
    if (GetWindowLongPtrA(banner, GWLP_ID) != kBannerControlId) return;  // already returned
    ShowWindow(banner, SW_HIDE);
    SetParent(banner, nullptr);
    SetWindowLongPtrA(banner, GWLP_ID, s.bannerId);
    if (s.bannerImage) {
        SendMessageA(banner, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(s.bannerImage));
        s.bannerImage = nullptr;
    }
    SetWindowPos(banner, nullptr, 0, 0, s.bannerSize.cx, s.bannerSize.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The banner at its size for dpi; a picture banner shows a smoothly scaled copy.
SIZE ScaleBanner(OpenDialogState& s, HWND banner, int dpi) {
    const SIZE size{ScaleForDpi(s.bannerSize.cx, dpi), ScaleForDpi(s.bannerSize.cy, dpi)};
    if (size.cx == s.bannerSize.cx && size.cy == s.bannerSize.cy) return size;
    const auto image =
        reinterpret_cast<HBITMAP>(SendMessageA(banner, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (image) {
        UniqueBitmap scaled(ScaledBitmap(image, size.cx, size.cy));
        if (scaled) {
            SendMessageA(banner, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled.get()));
            s.bannerImage = image;
            s.scaledBanner = std::move(scaled);  // the previous copy is no longer shown
        }
    }
    return size;
}

// The bottom of the lowest visible control of the dialog, from its outer top.
int ControlsBottom(HWND dialog, HWND hookChild, HWND banner) {
    RECT outer{};
    GetWindowRect(dialog, &outer);
    int bottom = 0;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (c == hookChild || c == banner || !IsWindowVisible(c)) continue;
        RECT r{};
        GetWindowRect(c, &r);
        bottom = std::max(bottom, static_cast<int>(r.bottom - outer.top));
    }
    return bottom;
}

void ReleaseOpenButton(OpenDialogState& s) { s.openButton.Restore(); }

// Gives the dialog its height and centres it by the twips rule, on the screen.
void SizeAndCentre(const OpenDialogState& s, HWND dialog) {
    RECT rc{};
    GetWindowRect(dialog, &rc);
    const int width = rc.right - rc.left;
    const int height = s.height > 0 ? s.height : ScaleForDpi(s.layout.height, DpiForWindow(dialog));
    MoveWindow(dialog, 0, 0, width, height, TRUE);

    int dpiX = 96, dpiY = 96;
    {
        WindowDc screen(nullptr);
        if (screen.get()) {
            dpiX = GetDeviceCaps(screen.get(), LOGPIXELSX);
            dpiY = GetDeviceCaps(screen.get(), LOGPIXELSY);
        }
    }
    try {
        const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
        const int x = KeptOnScreen(CentredCoordinate(cx, dpiX, width), width, cx);
        const int y = KeptOnScreen(CentredCoordinate(cy, dpiY, height), height, cy);
        SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } catch (const OverflowError&) {
        // A screen that size cannot exist; the dialog stays at the corner.
    }
}

void OnInitDialog(OpenDialogState& s, HWND hwnd) {
    HWND dialog = GetParent(hwnd);
    const int dpi = DpiForWindow(dialog);
    s.height = ScaleForDpi(s.layout.height, dpi);

    ReleaseOpenButton(s);
    if (HWND button = GetDlgItem(dialog, IDOK)) {
        SetWindowLongPtrA(button, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&s));
        s.openButton = WndProcSubclass(button, OpenButtonProc);
        SetWindowTextA(button, kOpenText);
    }

    HWND banner = Banner(s);
    if (banner && IsWindow(banner)) {
        SetParent(banner, dialog);
        s.bannerId = GetDlgCtrlID(banner);
        SetWindowLongPtrA(banner, GWLP_ID, kBannerControlId);
        // The dialog's outer corner in its client coordinates: zero or negative.
        RECT outer{};
        GetWindowRect(dialog, &outer);
        POINT frame{outer.left, outer.top};
        ScreenToClient(dialog, &frame);
        RECT own{};
        GetWindowRect(banner, &own);
        s.bannerSize = {own.right - own.left, own.bottom - own.top};
        const SIZE size = ScaleBanner(s, banner, dpi);
        const BannerPlacement at = PlaceBanner(s.layout, dpi, ControlsBottom(dialog, hwnd, banner),
                                               s.bannerSize.cy, size.cy);
        s.height = at.dialogHeight;
        MoveWindow(banner, at.left + frame.x, at.top + frame.y, size.cx, size.cy, TRUE);
        ShowWindow(banner, SW_SHOWNORMAL);
    }

    SetDlgItemTextA(dialog, IDCANCEL, "Cancel");
    SetDlgItemTextA(dialog, kStc4PlaceLabel, "Place:");
    SetDlgItemTextA(dialog, kStc3NameLabel, "Name of file:");
    SetDlgItemTextA(dialog, kStc2TypeLabel, "Type of file:");

    SizeAndCentre(s, dialog);
    AdjustDialogControls(hwnd);
}

UINT_PTR HookMessage(HWND hwnd, UINT msg, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        const auto* ofn = reinterpret_cast<const OPENFILENAMEA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, ofn->lCustData);
    }
    OpenDialogState* s = StateOf(hwnd);
    if (!s) return 0;
    switch (msg) {
        case WM_INITDIALOG: OnInitDialog(*s, hwnd); break;
        case WM_NOTIFY:
            // Some dialog versions lay themselves out after the hook's WM_INITDIALOG
            // and lose the height; once they are done, size and centre again.
            if (lParam && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_INITDONE)
                SizeAndCentre(*s, GetParent(hwnd));
            break;
        case WM_DESTROY:
            ReturnBanner(*s);
            ReleaseOpenButton(*s);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            break;
        default: break;
    }
    return 0;  // the dialog's own processing always follows
}

LRESULT OpenButtonMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // Whatever the dialog writes, the button keeps reading "Open".
    if (msg == WM_SETTEXT) lParam = reinterpret_cast<LPARAM>(kOpenText);
    const OpenDialogState* s = StateOf(hwnd);
    const WNDPROC previous = s ? s->openButton.previous() : nullptr;
    return previous ? CallWindowProcA(previous, hwnd, msg, wParam, lParam)
                    : DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

Win32FileDialogApi::Win32FileDialogApi() : state_(std::make_unique<OpenDialogState>()) {}
Win32FileDialogApi::~Win32FileDialogApi() = default;

bool Win32FileDialogApi::RunOpenDialog(OpenFileRecord& record, const DialogLayout& layout) {
    OpenDialogState& s = *state_;
    OPENFILENAMEA& r = s.record;
    // The Windows 2000 size of the record: the hook and Explorer style, nothing newer.
    r.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    r.hwndOwner = ToHwnd(record.hwndOwner);
    r.hInstance = GetModuleHandleA(nullptr);
    r.lpstrFilter = record.filter.c_str();
    r.nFilterIndex = record.nFilterIndex;
    std::memset(s.file, 0, sizeof s.file);
    std::memcpy(s.file, record.file.data(), std::min(record.file.size(), sizeof s.file - 1));
    r.lpstrFile = s.file;
    r.nMaxFile = std::min<DWORD>(record.nMaxFile, sizeof s.file);
    r.lpstrFileTitle = s.fileTitle;
    r.nMaxFileTitle = std::min<DWORD>(record.nMaxFileTitle, sizeof s.fileTitle);
    r.lpstrInitialDir = record.initialDir ? record.initialDir->c_str() : nullptr;
    r.lpstrTitle = record.title.c_str();
    r.Flags = record.flags;
    r.lpfnHook = OpenDialogHook;
    r.lCustData = reinterpret_cast<LPARAM>(&s);
    s.layout = layout;

    // comdlg32, and what it alone brought in (the print spooler among them), is loaded
    // for this dialog only and unloaded when the function returns, after the hook's
    // last clean-up; the hook and the button procedure are the program's own.
    using OpenFn = BOOL(WINAPI*)(LPOPENFILENAMEA);
    const UniqueModule comdlg(LoadSystemLibrary("comdlg32.dll"));
    const auto open = FunctionIn<OpenFn>(comdlg.get(), "GetOpenFileNameA");
    bool accepted = false;
    {
        // The dialog lays its controls out once, for the DPI it opens at, and never again:
        // it runs system-aware, so Windows scales it as a whole on a monitor of another DPI.
        SystemAwareScope systemAware;
        accepted = open && open(&r) != FALSE;
    }

    // The texts above belong to the caller; nothing may point at them later.
    r.lpstrFilter = nullptr;
    r.lpstrInitialDir = nullptr;
    r.lpstrTitle = nullptr;
    // In case the dialog went without its WM_DESTROY reaching the hook.
    ReturnBanner(s);
    ReleaseOpenButton(s);
    s.scaledBanner.reset();

    record.file.assign(s.file, sizeof s.file);
    record.nFilterIndex = r.nFilterIndex;
    return accepted;
}

const OPENFILENAMEA& Win32FileDialogApi::LastRecord() const { return state_->record; }

UINT_PTR CALLBACK OpenDialogHook(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
    return AtBoundary("open dialog hook", UINT_PTR{0},
                      [&] { return HookMessage(hwnd, msg, lParam); });
}

LRESULT CALLBACK OpenButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AtBoundary("Open button", LRESULT{0},
                      [&] { return OpenButtonMessage(hwnd, msg, wParam, lParam); });
}

void AdjustDialogControls(HWND hwnd) {
    HWND dialog = GetParent(hwnd);
    SetWindowStyleBits(dialog, true, WS_EX_TOOLWINDOW, true);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[kClassNameChars] = {};
        GetClassNameA(child, cls, kClassNameChars);
        if (std::strcmp(cls, "Button") != 0) continue;
        RECT rc{};
        GetWindowRect(child, &rc);
        POINT corner{rc.left + kButtonShift, rc.top};
        ScreenToClient(dialog, &corner);
        MoveWindow(child, corner.x, corner.y, (rc.right - 1) - rc.left, rc.bottom - rc.top, TRUE);
    }
}

void SetWindowStyleBits(HWND hwnd, bool extended, LONG_PTR bits, bool set) {
    const int index = extended ? GWL_EXSTYLE : GWL_STYLE;
    LONG_PTR style = GetWindowLongPtrA(hwnd, index);
    style = set ? (style | bits) : (style & ~bits);
    SetWindowLongPtrA(hwnd, index, style);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
}

}  // namespace mevra
