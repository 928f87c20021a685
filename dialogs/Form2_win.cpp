#include "dialogs/Form2_win.h"

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "base/Dpi_win.h"
#include "base/LateBound_win.h"
#include "base/Raii_win.h"
#include "base/Report.h"

namespace mevra {

static_assert(kShowMinimized == SW_SHOWMINIMIZED);

namespace {

constexpr char kAboutClassName[] = "MevraAboutBox";
constexpr char kStaticClass[] = "STATIC";
constexpr char kButtonClass[] = "BUTTON";
// A fixed frame with a close box, like a small dialog.
constexpr DWORD kAboutStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kAboutExStyle = 0;
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr UINT kWinExecFirstSuccess = 32;  // WinExec returns 31 or less on failure
constexpr ColorRef kLinkTextColor = Rgb(0, 0, 255);

class WinExecLauncher : public ProcessLauncher {
public:
    bool Start(const std::string& commandLine, int showCommand) override {
        return WinExec(commandLine.c_str(), static_cast<UINT>(showCommand)) >= kWinExecFirstSuccess;
    }
};

// Everything one loaded box holds, kept in the box's GWLP_USERDATA. Destroyed in the
// box's WM_NCDESTROY, after its children are gone, so the fonts are no longer
// selected into any control.
struct AboutBox {
    HWND window = nullptr;
    HWND label1 = nullptr;
    HWND label2 = nullptr;
    HWND command1 = nullptr;
    HWND tooltip = nullptr;
    HBITMAP background = nullptr;  // Image1's picture: borrowed, never deleted here
    int dpi = kDesignDpi;          // the DPI the box is laid out for
    UniqueBitmap scaledBackground; // the picture at its size for dpi, unless that is its own
    UniqueFont controlFont;        // the controls' font at dpi, when not the system's
    UniqueFont linkFont;           // Label2's underlined font, made on the first mouse move
    WndProcSubclass label2Proc;
    bool loaded = false;
};

// The open box, for the message loop's IsDialogMessage; its state is in the window.
HWND g_openBox = nullptr;
WinExecLauncher g_winExec;
ProcessLauncher* g_launcher = &g_winExec;
std::function<void()> g_closedHandler;

HFONT ControlFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

HFONT ControlFontOf(const AboutBox& box) {
    return box.controlFont ? box.controlFont.get() : ControlFont();
}

// Repaints the background under a transparent label, then the label itself.
void RedrawUnder(HWND parent, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// Label2_MouseMove: the link becomes underlined and stays so while the box is open.
void UnderlineLink(AboutBox& box) {
    if (box.linkFont) return;
    LOGFONTA lf{};
    if (!GetObjectA(ControlFontOf(box), sizeof lf, &lf)) return;
    lf.lfUnderline = TRUE;
    box.linkFont.reset(CreateFontIndirectA(&lf));
    if (!box.linkFont) return;
    SendMessageA(box.label2, WM_SETFONT, reinterpret_cast<WPARAM>(box.linkFont.get()), FALSE);
    RedrawUnder(box.window, box.label2);
}

bool IsMouseMessage(UINT msg) {
    switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP:
        return true;
    default:
        return false;
    }
}

AboutBox* BoxOf(HWND hwnd) {
    return hwnd ? reinterpret_cast<AboutBox*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)) : nullptr;
}

LRESULT Label2Message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    AboutBox* box = BoxOf(GetParent(hwnd));
    WNDPROC prev = box ? box->label2Proc.previous() : nullptr;
    if (!prev) return DefWindowProcA(hwnd, msg, wp, lp);
    if (IsMouseMessage(msg) && box->tooltip) {
        // The tip sees the label's mouse through us rather than by subclassing it too.
        MSG relayed{hwnd, msg, wp, lp, static_cast<DWORD>(GetMessageTime()), {}};
        SendMessageA(box->tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    if (msg == WM_MOUSEMOVE) UnderlineLink(*box);
    if (msg == WM_NCDESTROY) box->label2Proc.Restore();
    return CallWindowProcA(prev, hwnd, msg, wp, lp);
}

LRESULT CALLBACK Label2Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return AtBoundary("About box link", LRESULT{0},
                      [&] { return Label2Message(hwnd, msg, wp, lp); });
}

// The picture for the box's DPI, scaled once and kept while the DPI holds.
HBITMAP BackgroundAtDpi(AboutBox& box) {
    const SIZE own = BitmapSize(box.background);
    const SIZE want{ScaleForDpi(own.cx, box.dpi), ScaleForDpi(own.cy, box.dpi)};
    if (want.cx == own.cx && want.cy == own.cy) return box.background;
    if (BitmapSize(box.scaledBackground.get()).cx != want.cx || !box.scaledBackground)
        box.scaledBackground.reset(ScaledBitmap(box.background, want.cx, want.cy));
    return box.scaledBackground ? box.scaledBackground.get() : box.background;
}

bool PaintBackground(AboutBox& box, HDC dc) {
    RECT client{};
    GetClientRect(box.window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (!box.background) return true;
    HBITMAP picture = BackgroundAtDpi(box);
    const SIZE size = BitmapSize(picture);
    UniqueMemDc mem(CreateCompatibleDC(dc));
    if (!mem) return true;
    SelectGuard select(mem.get(), picture);
    // Drawn from the top-left corner, as a form's picture is, at its size for the DPI.
    BitBlt(dc, 0, 0, size.cx, size.cy, mem.get(), 0, 0, SRCCOPY);
    return true;
}

// Client size, controls and fonts for box.dpi; the frame keeps its top-left corner.
void LayOut(AboutBox& box) {
    const int dpi = box.dpi;
    box.controlFont.reset();
    const int systemDpi = SystemDpi();
    LOGFONTA lf{};
    if (dpi != systemDpi && GetObjectA(ControlFont(), sizeof lf, &lf)) {
        lf.lfHeight = MulDiv(lf.lfHeight, dpi, systemDpi);  // the stock font is at the system DPI
        box.controlFont.reset(CreateFontIndirectA(&lf));
    }
    const bool underlined = static_cast<bool>(box.linkFont);
    box.linkFont.reset();
    const std::pair<HWND, const TwipsBox*> controls[] = {
        {box.label1, &kLabel1Twips}, {box.label2, &kLabel2Twips}, {box.command1, &kCommand1Twips}};
    for (const auto& [control, twips] : controls) {
        if (!control) continue;
        const Rect r = TwipsBoxToPixels(*twips, dpi, dpi);
        MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFontOf(box)), FALSE);
    }
    if (underlined) UnderlineLink(box);
    InvalidateRect(box.window, nullptr, TRUE);
}

// Outer size that gives the box its client size at its DPI, measured on the real frame.
SIZE FrameFor(const AboutBox& box) {
    RECT window{}, client{};
    GetWindowRect(box.window, &window);
    GetClientRect(box.window, &client);
    return {window.right - window.left + TwipsToPixels(kAboutClientWidthTwips, box.dpi) -
                client.right,
            window.bottom - window.top + TwipsToPixels(kAboutClientHeightTwips, box.dpi) -
                client.bottom};
}

// The box has moved onto a monitor of another DPI: Windows' rectangle, then our layout.
LRESULT OnDpiChanged(AboutBox& box, WPARAM wp, LPARAM lp) {
    box.dpi = SaneDpi(HIWORD(wp));
    const RECT* suggested = reinterpret_cast<const RECT*>(lp);
    if (suggested)
        SetWindowPos(box.window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    const SIZE frame = FrameFor(box);
    SetWindowPos(box.window, nullptr, 0, 0, frame.cx, frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut(box);
    return 0;
}

LRESULT OnCommand(AboutBox& box, WPARAM wp) {
    const int id = LOWORD(wp);
    const int code = HIWORD(wp);
    if (id == kAboutCommand1Id && code == BN_CLICKED) {
        DestroyWindow(box.window);  // Command1_Click unloads the box
    } else if (id == kAboutLabel2Id && code == STN_CLICKED) {
        OpenArtworkLink(*g_launcher);
    }
    return 0;
}

LRESULT AboutMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        // The box takes its state over from LoadAboutBox here and frees it in WM_NCDESTROY.
        auto* owner = static_cast<std::unique_ptr<AboutBox>*>(
            reinterpret_cast<const CREATESTRUCTA*>(lp)->lpCreateParams);
        if (owner && *owner) {
            AboutBox* created = owner->release();
            created->window = hwnd;
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        }
    }
    AboutBox* box = BoxOf(hwnd);
    if (!box) return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_ERASEBKGND:
        return PaintBackground(*box, reinterpret_cast<HDC>(wp)) ? 1 : 0;
    case WM_CTLCOLORSTATIC: {
        // Labels are drawn straight onto the picture.
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkMode(dc, TRANSPARENT);
        const bool link = reinterpret_cast<HWND>(lp) == box->label2;
        SetTextColor(dc, link ? kLinkTextColor : kPlaybackDesktopColor);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    case WM_COMMAND:
        return OnCommand(*box, wp);
    case kWmDpiChanged:
        return OnDpiChanged(*box, wp, lp);
    case DM_GETDEFID:
        return MAKELRESULT(kAboutCommand1Id, DC_HASDEFID);
    case WM_SETFOCUS:
        if (box->command1) SetFocus(box->command1);
        return 0;
    case WM_NCDESTROY: {
        const bool wasLoaded = box->loaded;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        if (g_openBox == hwnd) g_openBox = nullptr;
        delete box;  // the children are gone by now, so their fonts can go too
        if (wasLoaded && g_closedHandler) {
            auto handler = g_closedHandler;  // it may show a new box or change the handler
            handler();
        }
        break;
    }
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK AboutWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return AtBoundary("About box", LRESULT{0}, [&] { return AboutMessage(hwnd, msg, wp, lp); });
}

bool RegisterAboutClass(HINSTANCE inst) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(inst, kAboutClassName, &wc)) return true;
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = AboutWndProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kAboutClassName;
    return RegisterClassExA(&wc) != 0;
}

// Made at no size: LayOut places it.
HWND MakeControl(const AboutBox& box, HINSTANCE inst, const char* cls, const std::string& text,
                 DWORD style, int id) {
    return CreateWindowExA(0, cls, text.c_str(), style, 0, 0, 0, 0, box.window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
}

HWND MakeTooltip(const AboutBox& box, HINSTANCE inst) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    static const auto init = LateBound<InitFn>("comctl32.dll", "InitCommonControlsEx");
    if (init) init(&icc);
    HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               box.window, nullptr, inst, nullptr);
    if (!tip) return nullptr;
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;  // the size every comctl32 version accepts
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = box.window;
    ti.uId = reinterpret_cast<UINT_PTR>(box.label2);
    ti.lpszText = const_cast<char*>(kArtworkLinkTip);
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    return tip;
}

// Form_Load: the window at its size and place, the picture, the icon and the controls.
HWND LoadAboutBox(HINSTANCE inst, HBITMAP background, HICON icon) {
    if (!RegisterAboutClass(inst)) return nullptr;
    // First sized for the primary monitor, where it is centred; then for its own DPI.
    const int primaryDpi = DpiForMonitor(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY));
    const int clientW = TwipsToPixels(kAboutClientWidthTwips, primaryDpi);
    const int clientH = TwipsToPixels(kAboutClientHeightTwips, primaryDpi);
    RECT frame{0, 0, clientW, clientH};
    AdjustWindowRectEx(&frame, kAboutStyle, FALSE, kAboutExStyle);

    auto owned = std::make_unique<AboutBox>();
    owned->background = background;
    HWND hwnd = CreateWindowExA(kAboutExStyle, kAboutClassName, kAboutCaption, kAboutStyle, 0, 0,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, inst, &owned);
    AboutBox* created = BoxOf(hwnd);
    if (!created) {
        if (hwnd) DestroyWindow(hwnd);
        return nullptr;
    }
    AboutBox& box = *created;
    box.dpi = DpiForWindow(box.window);
    // Should the frame estimate be off (themes, a window manager), size by the real client.
    const SIZE size = FrameFor(box);
    const Origin at = CenteredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                     size.cx, size.cy);
    SetWindowPos(box.window, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);

    if (icon) {
        SendMessageA(box.window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(box.window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    box.label1 = MakeControl(box, inst, kStaticClass, AboutText(), kLabelStyle, kAboutLabel1Id);
    box.label2 = MakeControl(box, inst, kStaticClass, kArtworkCredit, kLabelStyle | SS_NOTIFY,
                             kAboutLabel2Id);
    box.command1 = MakeControl(box, inst, kButtonClass, kAboutCloseText, kButtonStyle,
                               kAboutCommand1Id);
    LayOut(box);
    if (box.label2) {
        box.tooltip = MakeTooltip(box, inst);
        box.label2Proc = WndProcSubclass(box.label2, Label2Proc);
    }
    box.loaded = true;
    g_openBox = box.window;
    return box.window;
}

void BringToFront(HWND hwnd) {
    if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    BringWindowToTop(hwnd);
    SetForegroundWindow(hwnd);
}

}  // namespace

HWND ShowAboutBox(HINSTANCE inst, HBITMAP background, HICON icon) {
    HWND hwnd = AboutBoxWindow();
    if (!hwnd) hwnd = LoadAboutBox(inst, background, icon);
    if (!hwnd) return nullptr;
    BringToFront(hwnd);
    UpdateWindow(hwnd);
    return hwnd;
}

HWND AboutBoxWindow() { return g_openBox; }

bool AboutBoxOpen() { return AboutBoxWindow() != nullptr; }

HWND AboutBoxTooltip() {
    const AboutBox* box = BoxOf(g_openBox);
    return box ? box->tooltip : nullptr;
}

bool IsAboutBoxMessage(MSG& msg) {
    HWND box = AboutBoxWindow();
    if (!box || !(msg.hwnd == box || IsChild(box, msg.hwnd))) return false;
    return IsDialogMessageA(box, &msg) != FALSE;
}

void SetAboutBoxClosedHandler(std::function<void()> handler) {
    g_closedHandler = std::move(handler);
}

void SetAboutLauncher(ProcessLauncher* launcher) {
    g_launcher = launcher ? launcher : &g_winExec;
}

}  // namespace mevra
