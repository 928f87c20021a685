// The open dialog's hook on real windows under Wine: the button shift and the
// tool-window caption on a hand-made dialog, then a real GetOpenFileNameA
// dialog inspected from a timer while it is open (texts, the fixed "Open"
// button, height, banner, centring), cancelled or accepted.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "base/Raii_win.h"
#include "dialogs/CDialogEX_win.h"
#include "shell/Form1.h"

namespace {

using namespace mevra;

constexpr char kTitle[] = "  OPEN MEDIA FILE";
constexpr int kFilterCombo = 1136;  // cmb1, the file-type box
constexpr int kNameCombo = 1148;    // cmb13, the file-name box of newer dialogs
constexpr int kNameEdit = 1152;     // edt1, the file-name box of older ones
constexpr int kBannerOwnId = 2;

std::string TextOf(HWND h) {
    char buf[512] = {};
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

RECT ClientRectOf(HWND child, HWND parent) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Windows path of a file in the generated test data.
std::string TestFile(const std::string& relative) {
    const char* data = std::getenv("MEVRA_TEST_DATA");
    std::string path = std::string("Z:") + (data ? data : "") + "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w,
           int h, int id = 0) {
    return CreateWindowExA(0, cls, text, WS_CHILD | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

TEST(AdjustDialogControls, ShiftsEveryButtonAndNothingElse) {
    HWND dialog = CreateWindowExA(0, "STATIC", "dialog", WS_OVERLAPPEDWINDOW, 100, 100, 400,
                                  300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(dialog, nullptr);
    HWND hookChild = Child(dialog, "STATIC", "", 0, 0, 0, 10, 10);
    struct Case {
        HWND hwnd;
        RECT before;
        bool isButton;
    };
    Case cases[] = {
        {Child(dialog, "BUTTON", "OK", WS_VISIBLE | BS_PUSHBUTTON, 20, 30, 75, 23), {20, 30, 95, 53}, true},
        // The hidden read-only check box is of class "Button" too.
        {Child(dialog, "BUTTON", "ro", BS_AUTOCHECKBOX, 20, 60, 100, 20), {20, 60, 120, 80}, true},
        {Child(dialog, "STATIC", "label", WS_VISIBLE, 20, 90, 50, 20), {20, 90, 70, 110}, false},
        {Child(dialog, "EDIT", "", WS_VISIBLE, 20, 120, 80, 20), {20, 120, 100, 140}, false},
    };
    AdjustDialogControls(hookChild);
    for (const Case& c : cases) {
        const RECT r = ClientRectOf(c.hwnd, dialog);
        const int shift = c.isButton ? 7 : 0;
        const int narrower = c.isButton ? 1 : 0;
        EXPECT_EQ(r.left, c.before.left + shift);
        EXPECT_EQ(r.top, c.before.top);
        EXPECT_EQ(r.right - r.left, c.before.right - c.before.left - narrower);
        EXPECT_EQ(r.bottom - r.top, c.before.bottom - c.before.top);
    }
    EXPECT_TRUE(GetWindowLongPtrA(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    DestroyWindow(dialog);
}

TEST(SetWindowStyleBits, SetsAndClearsOnlyTheGivenBits) {
    HWND w = CreateWindowExA(0, "STATIC", "w", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(w, nullptr);
    struct Case {
        bool extended;
        LONG_PTR bits;
    };
    for (const Case c : {Case{true, WS_EX_TOOLWINDOW}, Case{false, WS_TABSTOP}}) {
        const int index = c.extended ? GWL_EXSTYLE : GWL_STYLE;
        const LONG_PTR before = GetWindowLongPtrA(w, index);
        SetWindowStyleBits(w, c.extended, c.bits, true);
        EXPECT_EQ(GetWindowLongPtrA(w, index), before | c.bits);
        SetWindowStyleBits(w, c.extended, c.bits, false);
        EXPECT_EQ(GetWindowLongPtrA(w, index), before & ~c.bits);
    }
    DestroyWindow(w);
}

// --- a real dialog ----------------------------------------------------------

std::function<void(HWND)>& Action() {
    static std::function<void(HWND)> action;
    return action;
}

BOOL CALLBACK FindOpenDialog(HWND w, LPARAM out) {
    if (IsWindowVisible(w) && TextOf(w) == kTitle) {
        *reinterpret_cast<HWND*>(out) = w;
        return FALSE;
    }
    return TRUE;
}

// Runs the action once the dialog is up, from inside its modal loop.
VOID CALLBACK Inspect(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOpenDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, id);
    Action()(dialog);
}

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

class OpenDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "owner", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        banner = Child(owner, "STATIC", "banner", WS_VISIBLE, 0, 0, 407, 35, kBannerOwnId);
        ASSERT_NE(banner, nullptr);
        dlg.SetPreviewWindow(FromHwnd(banner), kBannerLeft, kBannerTop);
        dlg.SetDialogHeight(kOpenDialogHeight);
    }
    void TearDown() override {
        Action() = nullptr;
        if (IsWindow(banner)) DestroyWindow(banner);
        DestroyWindow(owner);
    }
    // Shows the dialog; action runs while it is open and must close it.
    void Show(std::function<void(HWND)> action) {
        Action() = std::move(action);
        SetTimer(nullptr, 0, 200, Inspect);
        dlg.SetFilter(kMovieFilter);
        dlg.ShowOpen(FromHwnd(owner), "", std::nullopt, kTitle);
    }

    HWND owner = nullptr, banner = nullptr;
    Win32FileDialogApi api;
    CDialogEX dlg{api};
};

TEST_F(OpenDialogTest, HookRestylesTheDialogAndGivesTheBannerBack) {
    struct Seen {
        bool ran = false;
        std::string open, openAfterSetText, cancel, place, name, type;
        RECT outer{};
        LONG_PTR exStyle = 0;
        HWND bannerParent = nullptr;
        LONG_PTR bannerId = 0;
        bool bannerVisible = false;
        RECT bannerInClient{};
        POINT expectedBanner{};
        int expectedX = 0, expectedY = 0;
    } seen;
    Show([&](HWND d) {
        seen.ran = true;
        HWND ok = GetDlgItem(d, IDOK);
        seen.open = TextOf(ok);
        SendMessageA(ok, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("&Save"));
        seen.openAfterSetText = TextOf(ok);
        seen.cancel = TextOf(GetDlgItem(d, IDCANCEL));
        seen.place = TextOf(GetDlgItem(d, kStc4PlaceLabel));
        seen.name = TextOf(GetDlgItem(d, kStc3NameLabel));
        seen.type = TextOf(GetDlgItem(d, kStc2TypeLabel));
        GetWindowRect(d, &seen.outer);
        seen.exStyle = GetWindowLongPtrA(d, GWL_EXSTYLE);
        seen.bannerParent = GetParent(banner);
        seen.bannerId = GetWindowLongPtrA(banner, GWLP_ID);
        seen.bannerVisible = IsWindowVisible(banner) != FALSE;
        seen.bannerInClient = ClientRectOf(banner, d);
        // The banner was placed while the dialog still had its normal caption.
        RECT frame{0, 0, 0, 0};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(d, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(seen.exStyle & ~WS_EX_TOOLWINDOW));
        seen.expectedBanner = {10 + frame.left, 270 + frame.top};
        HDC screen = GetDC(nullptr);
        const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        seen.expectedX = CentredCoordinate(GetSystemMetrics(SM_CXSCREEN), dpiX,
                                           seen.outer.right - seen.outer.left);
        seen.expectedY = CentredCoordinate(GetSystemMetrics(SM_CYSCREEN), dpiY, 307);
        Press(d, IDCANCEL);
    });
    ASSERT_TRUE(seen.ran);
    EXPECT_EQ(seen.open, "Open");
    EXPECT_EQ(seen.openAfterSetText, "Open");
    EXPECT_EQ(seen.cancel, "Cancel");
    EXPECT_EQ(seen.place, "Place:");
    EXPECT_EQ(seen.name, "Name of file:");
    EXPECT_EQ(seen.type, "Type of file:");
    EXPECT_EQ(seen.outer.bottom - seen.outer.top, 307);
    EXPECT_EQ(seen.outer.left, seen.expectedX);
    EXPECT_EQ(seen.outer.top, seen.expectedY);
    EXPECT_TRUE(seen.exStyle & WS_EX_TOOLWINDOW);
    EXPECT_NE(seen.bannerParent, owner);
    EXPECT_EQ(seen.bannerId, kBannerControlId);
    EXPECT_TRUE(seen.bannerVisible);
    EXPECT_EQ(seen.bannerInClient.left, seen.expectedBanner.x);
    EXPECT_EQ(seen.bannerInClient.top, seen.expectedBanner.y);
    EXPECT_EQ(seen.bannerInClient.right - seen.bannerInClient.left, 407);
    EXPECT_EQ(seen.bannerInClient.bottom - seen.bannerInClient.top, 35);

    // Between dialogs the banner is hidden, parentless and has its own id again.
    ASSERT_TRUE(IsWindow(banner));
    EXPECT_FALSE(IsWindowVisible(banner));
    EXPECT_EQ(GetAncestor(banner, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(GetDlgCtrlID(banner), kBannerOwnId);
    EXPECT_EQ(dlg.LastOpenedFile(), "");
    if (sizeof(void*) == 4) {
        EXPECT_EQ(api.LastRecord().lStructSize, 76u);
    }
    EXPECT_EQ(api.LastRecord().Flags & 0x81024u, 0x81024u);
}

TEST_F(OpenDialogTest, AcceptedPathAndFilterAreKeptCancelKeepsThePath) {
    const std::string chosen = TestFile("with blanks/my clip.avi");
    bool ran = false;
    Show([&](HWND d) {
        ran = true;
        HWND types = GetDlgItem(d, kFilterCombo);
        SendMessageA(types, CB_SETCURSEL, 1, 0);
        // As a choice made with the mouse: both notifications.
        for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
            SendMessageA(d, WM_COMMAND, MAKEWPARAM(kFilterCombo, code),
                         reinterpret_cast<LPARAM>(types));
        for (int id : {kNameCombo, kNameEdit})
            if (GetDlgItem(d, id)) SetDlgItemTextA(d, id, chosen.c_str());
        Press(d, IDOK);
    });
    ASSERT_TRUE(ran);
    EXPECT_EQ(CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, dlg.LastOpenedFile().c_str(),
                             -1, chosen.c_str(), -1),
              CSTR_EQUAL)
        << dlg.LastOpenedFile();
    EXPECT_EQ(dlg.Record().nFilterIndex, 2u);

    // The banner comes back for the second dialog too; the second filter is preselected.
    int selection = -1;
    bool bannerInside = false;
    Show([&](HWND d) {
        selection = static_cast<int>(SendDlgItemMessageA(d, kFilterCombo, CB_GETCURSEL, 0, 0));
        bannerInside = GetParent(banner) == d && IsWindowVisible(banner);
        Press(d, IDCANCEL);
    });
    EXPECT_EQ(selection, 1);
    EXPECT_TRUE(bannerInside);
    EXPECT_EQ(CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, dlg.LastOpenedFile().c_str(),
                             -1, chosen.c_str(), -1),
              CSTR_EQUAL);
}

}  // namespace
