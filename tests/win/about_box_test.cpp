// The About box as a real window under Wine: texts, size and place, one instance,
// the link's underline, tip and launch, closing, and what it leaves behind.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/Report.h"
#include "dialogs/Form2_win.h"

namespace {

using namespace mevra;

constexpr ColorRef kPictureColor = Rgb(0, 128, 0);

class RecordingLauncher : public ProcessLauncher {
public:
    bool Start(const std::string& commandLine, int showCommand) override {
        starts.emplace_back(commandLine, showCommand);
        return true;
    }
    std::vector<std::pair<std::string, int>> starts;
};

void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

std::string TextOf(HWND h) {
    char buf[512] = {};
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

std::string ClassOf(HWND h) {
    char buf[64] = {};
    GetClassNameA(h, buf, sizeof buf);
    return buf;
}

RECT RectInParent(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool Underlined(HWND h) {
    HFONT f = reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0));
    LOGFONTA lf{};
    EXPECT_NE(GetObjectA(f ? f : GetStockObject(SYSTEM_FONT), sizeof lf, &lf), 0);
    return lf.lfUnderline != 0;
}

BOOL CALLBACK CollectAboutBox(HWND h, LPARAM lp) {
    if (ClassOf(h) == "MevraAboutBox") reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

std::vector<HWND> AboutBoxesOfThisThread() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectAboutBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Runs a message loop the way the shell does once its main window is gone: until the
// box's closing posts WM_QUIT. False when that has not happened within 5 s.
bool LoopUntilQuit() {
    const UINT_PTR guard = SetTimer(nullptr, 0, 5000, nullptr);
    MSG m{};
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        if (m.message == WM_TIMER && m.hwnd == nullptr) break;
        if (!IsAboutBoxMessage(m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    const bool quit = m.message == WM_QUIT;
    KillTimer(nullptr, guard);
    return quit;
}

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Image1's picture stand-in: a 201 x 250 plain green bitmap.
        HDC screen = GetDC(nullptr);
        picture_ = CreateCompatibleBitmap(screen, 201, 250);
        HDC mem = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(mem, picture_);
        HBRUSH green = CreateSolidBrush(kPictureColor);
        RECT all{0, 0, 201, 250};
        FillRect(mem, &all, green);
        DeleteObject(green);
        SelectObject(mem, old);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
        ASSERT_NE(picture_, nullptr);
        icon_ = LoadIconA(nullptr, IDI_APPLICATION);
        SetAboutLauncher(&launcher_);
    }
    void TearDown() override {
        if (HWND box = AboutBoxWindow()) DestroyWindow(box);
        Pump();
        SetAboutBoxClosedHandler({});
        SetAboutLauncher(nullptr);
        DeleteObject(picture_);
    }
    HWND Show() {
        HWND box = ShowAboutBox(GetModuleHandleA(nullptr), picture_, icon_);
        Pump();
        return box;
    }
    HWND Item(int id) { return GetDlgItem(AboutBoxWindow(), id); }

    HBITMAP picture_ = nullptr;
    HICON icon_ = nullptr;
    RecordingLauncher launcher_;
};

TEST_F(AboutBoxTest, ShowsItsTextsIconAndHoverTip) {
    HWND box = Show();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(AboutBoxOpen());
    EXPECT_EQ(AboutBoxWindow(), box);
    EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    EXPECT_EQ(GetParent(box), nullptr);

    struct Expect { HWND h; const char* cls; std::string text; } items[] = {
        {box, "MevraAboutBox", "About"},
        {Item(kAboutLabel1Id), "Static",
         "Mevra version " MEVRA_VERSION_TEXT "\r\n\r\n\r\nPublished by the Mevra developers"},
        {Item(kAboutLabel2Id), "Static", "Art: Mevra team"},
        {Item(kAboutCommand1Id), "Button", "Close"},
    };
    for (const auto& e : items) {
        ASSERT_NE(e.h, nullptr) << e.text;
        EXPECT_STRCASEEQ(ClassOf(e.h).c_str(), e.cls);
        EXPECT_EQ(TextOf(e.h), e.text);
    }
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(box, WM_GETICON, ICON_BIG, 0)), icon_);

    // The one-line link must fit its label, or the credit wraps and is cut off.
    HWND link = Item(kAboutLabel2Id);
    RECT linkRect{};
    GetClientRect(link, &linkRect);
    HDC dc = GetDC(link);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(link, WM_GETFONT, 0, 0)));
    SIZE extent{};
    const std::string credit = TextOf(link);
    GetTextExtentPoint32A(dc, credit.c_str(), static_cast<int>(credit.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(link, dc);
    EXPECT_LE(extent.cx, linkRect.right) << credit;

    HWND tip = AboutBoxTooltip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(GetWindow(tip, GW_OWNER), box);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    char tipText[80] = {};
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.hwnd = box;
    ti.uId = reinterpret_cast<UINT_PTR>(Item(kAboutLabel2Id));
    ti.lpszText = tipText;
    SendMessageA(tip, TTM_GETTEXTA, sizeof tipText, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(tipText, "Click to Visit");
}

TEST_F(AboutBoxTest, ClientSizeControlsAndCentredPlaceFollowTheTwips) {
    HWND box = Show();
    ASSERT_NE(box, nullptr);
    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);

    RECT client{};
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, TwipsToPixels(2985, dpiX));
    EXPECT_EQ(client.bottom, TwipsToPixels(3720, dpiY));
    if (dpiX == 96 && dpiY == 96) {
        EXPECT_EQ(client.right, 199);
        EXPECT_EQ(client.bottom, 248);
        struct Place { int id; RECT px; } places[] = {
            {kAboutLabel1Id, {24, 8, 193, 97}},
            {kAboutLabel2Id, {104, 112, 193, 129}},
            {kAboutCommand1Id, {120, 200, 193, 241}},
        };
        for (const auto& p : places) {
            const RECT r = RectInParent(Item(p.id));
            EXPECT_TRUE(EqualRect(&r, &p.px)) << p.id << ": " << r.left << "," << r.top << ","
                                              << r.right << "," << r.bottom;
        }
    }

    RECT frame{};
    GetWindowRect(box, &frame);
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(frame.left + frame.right, screenW, 1);
    EXPECT_NEAR(frame.top + frame.bottom, screenH, 1);
}

TEST_F(AboutBoxTest, SecondShowBringsBackTheSameBox) {
    HWND first = Show();
    ASSERT_NE(first, nullptr);
    ShowWindow(first, SW_MINIMIZE);
    Pump();
    ASSERT_TRUE(IsIconic(first));

    HWND second = Show();
    EXPECT_EQ(second, first);
    EXPECT_EQ(AboutBoxesOfThisThread(), std::vector<HWND>{first});
    EXPECT_FALSE(IsIconic(first));
    EXPECT_TRUE(IsWindowVisible(first));
}

TEST_F(AboutBoxTest, MouseMoveUnderlinesTheLinkForTheRestOfTheBoxsLife) {
    ASSERT_NE(Show(), nullptr);
    HWND label1 = Item(kAboutLabel1Id), label2 = Item(kAboutLabel2Id);
    EXPECT_FALSE(Underlined(label2));

    SendMessageA(label2, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(Underlined(label2));
    HFONT linkFont = reinterpret_cast<HFONT>(SendMessageA(label2, WM_GETFONT, 0, 0));

    // Moving away, and on over the link again, changes nothing.
    SendMessageA(AboutBoxWindow(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageA(label2, WM_MOUSEMOVE, 0, MAKELPARAM(10, 4));
    Pump();
    EXPECT_TRUE(Underlined(label2));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(label2, WM_GETFONT, 0, 0)), linkFont);
    EXPECT_FALSE(Underlined(label1));

    // The underlined font goes with the box; a new box starts plain.
    DestroyWindow(AboutBoxWindow());
    EXPECT_EQ(GetObjectType(linkFont), 0u);
    ASSERT_NE(Show(), nullptr);
    EXPECT_FALSE(Underlined(Item(kAboutLabel2Id)));
}

TEST_F(AboutBoxTest, EachLinkClickStartsExplorerMinimised) {
    ASSERT_NE(Show(), nullptr);
    HWND label2 = Item(kAboutLabel2Id);
    for (int i = 0; i < 2; ++i) {
        SendMessageA(label2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        SendMessageA(label2, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        Pump();
    }
    const std::pair<std::string, int> expected{"explorer.exe http://www.example.org/mevra/art",
                                               SW_SHOWMINIMIZED};
    ASSERT_EQ(launcher_.starts.size(), 2u);
    EXPECT_EQ(launcher_.starts[0], expected);
    EXPECT_EQ(launcher_.starts[1], expected);
    EXPECT_TRUE(AboutBoxOpen());  // the link leaves the box open
}

std::vector<std::string> g_debugLines;

// An exception from a handler must stop at the box's procedure: unwinding through
// Windows' frames would end the program.
TEST_F(AboutBoxTest, AThrowingLinkStopsAtTheBoxAndIsReported) {
    struct ThrowingLauncher : ProcessLauncher {
        bool Start(const std::string&, int) override { throw std::runtime_error("no shell"); }
    } throwing;
    SetAboutLauncher(&throwing);
    ASSERT_NE(Show(), nullptr);
    g_debugLines.clear();
    const DebugSink previous =
        SetDebugSink([](const std::string& line) { g_debugLines.push_back(line); });
    SendMessageA(AboutBoxWindow(), WM_COMMAND, MAKEWPARAM(kAboutLabel2Id, STN_CLICKED),
                 reinterpret_cast<LPARAM>(Item(kAboutLabel2Id)));
    SetDebugSink(previous);
    EXPECT_TRUE(AboutBoxOpen());
    EXPECT_EQ(g_debugLines, std::vector<std::string>{"Mevra: About box failed: no shell"});
}

TEST_F(AboutBoxTest, CloseButtonUnloadsTheBoxAndLeavesThePictureAlone) {
    int closed = 0;
    SetAboutBoxClosedHandler([&] { ++closed; });
    HWND box = Show();
    ASSERT_NE(box, nullptr);
    SendMessageA(Item(kAboutLabel2Id), WM_MOUSEMOVE, 0, 0);
    HWND tip = AboutBoxTooltip();

    SendMessageA(Item(kAboutCommand1Id), BM_CLICK, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(box));
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_FALSE(AboutBoxOpen());
    EXPECT_EQ(AboutBoxWindow(), nullptr);
    EXPECT_EQ(closed, 1);
    BITMAP bm{};
    EXPECT_EQ(GetObjectA(picture_, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 201);

    // Loaded again after closing: a fresh window with its texts set again.
    HWND again = Show();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(TextOf(Item(kAboutLabel1Id)),
              "Mevra version " MEVRA_VERSION_TEXT "\r\n\r\n\r\nPublished by the Mevra developers");
}

// The shell's loop keeps running while only the box is left; closing the box, by its
// caption close control or by Enter on Close, is what ends it.
TEST_F(AboutBoxTest, ClosingEndsALoopThatWaitsForTheBox) {
    int closed = 0;
    SetAboutBoxClosedHandler([&] {
        ++closed;
        PostQuitMessage(0);
    });
    HWND box = Show();
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(LoopUntilQuit());
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(IsWindow(box));

    box = Show();
    ASSERT_NE(box, nullptr);
    HWND close = Item(kAboutCommand1Id);
    SetFocus(close);
    ASSERT_EQ(GetFocus(), close);
    PostMessageA(close, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(close, WM_KEYUP, VK_RETURN, 0xC0000001);
    EXPECT_TRUE(LoopUntilQuit());
    EXPECT_EQ(closed, 2);
    EXPECT_FALSE(IsWindow(box));
}

TEST_F(AboutBoxTest, LabelsAreDrawnOverThePicture) {
    HWND box = Show();
    ASSERT_NE(box, nullptr);
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC dc = GetDC(box);
    const RECT label1 = RectInParent(Item(kAboutLabel1Id));
    // Off the labels, and inside Label1 on its empty lines: the picture shows.
    EXPECT_EQ(GetPixel(dc, 4, 4), kPictureColor);
    EXPECT_EQ(GetPixel(dc, label1.right - 3, label1.bottom - 40), kPictureColor);
    // On Label1's first line some pixels are text, none are a filled background.
    int text = 0, picture = 0;
    for (int x = label1.left; x < label1.left + 60; ++x) {
        for (int y = label1.top; y < label1.top + 12; ++y) {
            const COLORREF c = GetPixel(dc, x, y);
            (c == kPictureColor ? picture : text) += 1;
        }
    }
    ReleaseDC(box, dc);
    EXPECT_GT(text, 0);
    EXPECT_GT(picture, text);
}

}  // namespace
