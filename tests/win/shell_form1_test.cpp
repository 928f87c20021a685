// The main window as a real Win32 window under Wine: the tray record's layout,
// the hidden window and its menu, the procedure chain and its removal, the
// nine hotkeys and their ids, the single instance, the menu engine's settings,
// and playback on a stand-in desktop window with the real MCI player.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Raii_win.h"
#include "base/Report.h"
#include "desktop/DesktopMod.h"
#include "media/Korvane.h"
#include "media/MediaApiWin.h"
#include "menus/modmenu.h"
#include "resources/resource.h"
#include "shell/Form1_win.h"
#include "shell/HOTKEYmod_win.h"
#include "shell/Systray.h"
#include "shell/Systray_win.h"

namespace {

using namespace mevra;

void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// The film's window on the desktop; under load Wine's video renderer may create it a
// moment after the open returns, so this waits a few seconds for it.
HWND FilmWindowOf(HWND desktop) {
    for (int i = 0; i < 100 && !GetWindow(desktop, GW_CHILD); ++i) {
        Pump();
        Sleep(50);
    }
    return GetWindow(desktop, GW_CHILD);
}

std::string MenuText(HMENU menu, int position) {
    char buf[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), buf, sizeof buf, MF_BYPOSITION);
    return buf;
}

std::string TestFile(const std::string& relative) {
    const char* data = std::getenv("MEVRA_TEST_DATA");
    std::string path = std::string("Z:") + (data ? data : "") + "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// A stand-in desktop: a top-level window titled "Program Manager" in this process.
HWND MakeDesktop() {
    return CreateWindowExA(0, "STATIC", kDesktopWindowTitle, WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// A window to try the hotkey combinations from.
HWND MakeProbe() {
    return CreateWindowExA(0, "STATIC", "probe", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

TEST(TrayRecord, IsTheBalloonNotifyIconDataLayout) {
    if (sizeof(void*) != 4) GTEST_SKIP() << "the 488-byte form is the 32-bit one";
    EXPECT_EQ(kTrayRecordXpSize, 488u);
    EXPECT_EQ(kTrayRecordVistaSize, 508u);
    EXPECT_EQ(static_cast<std::size_t>(NOTIFYICONDATAA_V2_SIZE), 488u);
    const std::size_t offsets[][2] = {
        {offsetof(TrayIconRecord, cbSize), 0},         {offsetof(TrayIconRecord, hWnd), 4},
        {offsetof(TrayIconRecord, uID), 8},            {offsetof(TrayIconRecord, uFlags), 12},
        {offsetof(TrayIconRecord, uCallbackMessage), 16}, {offsetof(TrayIconRecord, hIcon), 20},
        {offsetof(TrayIconRecord, szTip), 24},         {offsetof(TrayIconRecord, dwState), 152},
        {offsetof(TrayIconRecord, dwStateMask), 156},  {offsetof(TrayIconRecord, szInfo), 160},
        {offsetof(TrayIconRecord, uTimeout), 416},     {offsetof(TrayIconRecord, szInfoTitle), 420},
        {offsetof(TrayIconRecord, dwInfoFlags), 484},  {offsetof(TrayIconRecord, guidItem), 488},
        {offsetof(TrayIconRecord, hBalloonIcon), 504},
    };
    for (const auto& o : offsets) EXPECT_EQ(o[0], o[1]);
}

std::vector<std::string> g_lines;

// The wide balloon is taken as the ANSI one is, and its trace spells the name in UTF-8:
// whole, or cut at the field's 255 UTF-16 units, never inside a surrogate pair.
TEST(TrayRecord, WideBalloonIsTakenAndItsTraceNamesTheFile) {
    const std::string film = "\xd0\xa4\xd0\xb8\xd0\xbb\xd1\x8c\xd0\xbc \xe6\x98\xa0\xe7\x94\xbb.avi";
    std::string cyrillic, emoji;  // 300 letters of one UTF-16 unit; 150 surrogate pairs
    for (int i = 0; i < 300; ++i) cyrillic += "\xd0\xa4";
    for (int i = 0; i < 150; ++i) emoji += "\xf0\x9f\x8e\xac";
    const struct {
        std::string name, rest, trace;
    } rows[] = {
        {film, ": the device said no", film + ": the device said no"},
        {cyrillic, ": cut", cyrillic.substr(0, 2 * 255)},
        {emoji, "", emoji.substr(0, 4 * 127)},
    };
    HWND owner = MakeProbe();
    ASSERT_NE(owner, nullptr);
    Win32TrayApi api;
    Systray tray{api};
    tray.SetOwner(reinterpret_cast<Hwnd>(owner));
    g_lines.clear();
    const DebugSink previous = SetDebugSink([](const std::string& line) { g_lines.push_back(line); });
    tray.SetTrayIcon(reinterpret_cast<std::intptr_t>(LoadIconA(nullptr, IDI_APPLICATION)), kTrayTip, false);
    for (const auto& row : rows) tray.ShowNamedBalloon(row.name, row.rest, kBalloonTitle, kBalloonInfoFlags, 0);
    tray.SetTrayIcon(0, kTrayTip, true);
    SetDebugSink(previous);
    DestroyWindow(owner);
    std::vector<std::string> expected;
    for (const auto& row : rows) expected.push_back("Mevra: balloon [" + row.trace + "]");
    EXPECT_EQ(g_lines, expected);  // and no failure of the shell calls among them
}

class Form1WindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(window.Load()); }
    void TearDown() override {
        window.Unload();
        Pump();
    }
    KORVANECLASS hotkeyMedia{Win32Mci(), Win32MediaSystem()};
    Form1Window window{GetModuleHandleA(nullptr), &hotkeyMedia};
};

TEST_F(Form1WindowTest, IsAHiddenToolWindowWithItsControls) {
    HWND h = window.hwnd();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(FindWindowA(kForm1ClassName, kForm1Title), h);
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_TRUE(GetWindowLongPtrA(h, GWL_STYLE) & WS_POPUP);
    EXPECT_TRUE(GetWindowLongPtrA(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindow(h, GW_OWNER), nullptr);

    HWND banner = window.picture2();
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(GetParent(banner), h);
    EXPECT_EQ(GetDlgCtrlID(banner), kPicture2Id);
    RECT r{};
    GetWindowRect(banner, &r);
    EXPECT_EQ(r.right - r.left, 407);
    EXPECT_EQ(r.bottom - r.top, 35);

    BITMAP bm{};
    ASSERT_NE(GetObjectA(window.image1(), sizeof bm, &bm), 0);
    EXPECT_EQ(bm.bmWidth, 201);
    EXPECT_EQ(bm.bmHeight, 250);
    EXPECT_NE(window.imgIcon(), nullptr);
}

TEST_F(Form1WindowTest, MenuTreeHasTheItemsInOrder) {
    HMENU bar = GetMenu(window.hwnd());
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 1);
    HMENU op = GetSubMenu(bar, 0);
    ASSERT_EQ(op, window.popupMenu());
    const char* items[] = {"Open\tCtrl+O", "Options", "", "Control", "", "Play", "Pause",
                           "FForward", "FRewind", "Stop", "Mute", "", "Exit"};
    ASSERT_EQ(GetMenuItemCount(op), 13);
    for (int i = 0; i < 13; ++i) EXPECT_EQ(MenuText(op, i), items[i]) << i;
    EXPECT_TRUE(GetMenuState(op, kMenuIdBase + static_cast<UINT>(MenuItem::mnuCon), MF_BYCOMMAND) &
                MF_GRAYED);

    HMENU dt = GetSubMenu(op, 1);
    ASSERT_NE(dt, nullptr);
    const char* options[] = {"Hide Desktop\tShift+Del", "Hide Shortcut Arrow", "Loop", "StartUp",
                             "", "About"};
    ASSERT_EQ(GetMenuItemCount(dt), 6);  // Show Desktop is never visible
    for (int i = 0; i < 6; ++i) EXPECT_EQ(MenuText(dt, i), options[i]) << i;
    EXPECT_TRUE(GetMenuState(dt, 2, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(dt, 0, MF_BYPOSITION) & MF_CHECKED);
    // The check marks follow the commands.
    SendMessageA(window.hwnd(), WM_COMMAND, kMenuIdBase + static_cast<UINT>(MenuItem::mnuloop), 0);
    EXPECT_FALSE(GetMenuState(dt, 2, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_FALSE(window.form().Checked(MenuItem::mnuloop));
}

TEST_F(Form1WindowTest, ProcedureChainIsHotkeysThenMenusThenOwnAndComesOffInReverse) {
    HWND h = window.hwnd();
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(h, GWLP_WNDPROC)), MainWindowProc);
    EXPECT_EQ(PreviousMainWindowProc(), MenuWindowProc);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetPropA(h, ORIG_PROC_PROPERTY)),
              Form1Window::OwnWindowProc());

    window.form().Form_QueryUnload();
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(h, GWLP_WNDPROC)),
              Form1Window::OwnWindowProc());
    EXPECT_EQ(GetPropA(h, ORIG_PROC_PROPERTY), nullptr);
    // Between the two unload steps a hotkey arrives but is not acted on.
    SendMessageA(h, WM_HOTKEY, 8, 0);
    EXPECT_FALSE(window.form().m_blnMuted);
}

TEST_F(Form1WindowTest, HotkeysHaveTheIdsOfTheirRowsAndGoAtUnload) {
    HWND h = window.hwnd();
    HWND probe = MakeProbe();
    EXPECT_EQ(window.hotkeys().m_lngHotKeyCount, 9);
    // While held, nobody else gets the combinations.
    for (std::size_t i = 0; i < kHotkeyTable.size(); ++i)
        EXPECT_FALSE(RegisterHotKey(probe, 100 + static_cast<int>(i), kHotkeyTable[i].modifiers,
                                    kHotkeyTable[i].key))
            << "row " << i;
    // Releasing id n frees exactly row n's combination.
    for (std::size_t i = 0; i < kHotkeyTable.size(); ++i) {
        ASSERT_TRUE(UnregisterHotKey(h, static_cast<int>(i) + 1)) << "id " << i + 1;
        EXPECT_TRUE(RegisterHotKey(probe, 100, kHotkeyTable[i].modifiers, kHotkeyTable[i].key))
            << "row " << i;
        UnregisterHotKey(probe, 100);
        if (i + 1 < kHotkeyTable.size()) {
            EXPECT_FALSE(RegisterHotKey(probe, 101, kHotkeyTable[i + 1].modifiers,
                                        kHotkeyTable[i + 1].key));
        }
    }
    // Put them back and let the unload take them away.
    window.hotkeys().RemoveHotKeys(FromHwnd(h));
    for (std::size_t i = 0; i < kHotkeyTable.size(); ++i)
        window.hotkeys().AddHotKey(FromHwnd(h), kHotkeyTable[i].modifiers, kHotkeyTable[i].key);
    window.Unload();
    for (const HotkeyRow& row : kHotkeyTable) {
        EXPECT_TRUE(RegisterHotKey(probe, 100, row.modifiers, row.key));
        UnregisterHotKey(probe, 100);
    }
    DestroyWindow(probe);
}

TEST_F(Form1WindowTest, HotkeyMessagesReachTheCommands) {
    HWND h = window.hwnd();
    SendMessageA(h, WM_HOTKEY, 8, 0);  // Ctrl+M
    EXPECT_TRUE(window.form().m_blnMuted);
    SendMessageA(h, WM_HOTKEY, 8, 0);
    EXPECT_FALSE(window.form().m_blnMuted);
    SendMessageA(h, WM_HOTKEY, 9, 0);  // Ctrl+Space with no film leaves nothing to resume
    EXPECT_FALSE(window.form().m_blnPaused);
    window.form().m_blnPlaying = true;  // as if a film played: Pause now holds it
    SendMessageA(h, WM_HOTKEY, 9, 0);
    EXPECT_TRUE(window.form().m_blnPaused);
    SendMessageA(h, WM_HOTKEY, 6, 0);  // Ctrl+P resumes
    EXPECT_FALSE(window.form().m_blnPaused);
    window.form().m_blnPlaying = false;
    SendMessageA(h, WM_HOTKEY, 2, 0);  // Shift+Del toggles
    EXPECT_TRUE(window.form().m_blnDesktopHidden);
    SendMessageA(h, WM_HOTKEY, 3, 0);  // Shift+Ins leaves the toggle alone
    EXPECT_TRUE(window.form().m_blnDesktopHidden);
    SendMessageA(h, WM_HOTKEY, 42, 0);  // no such row
}

TEST_F(Form1WindowTest, QueuedHotkeysEachRunInTheOrderPressed) {
    HWND h = window.hwnd();
    window.form().m_blnPlaying = true;  // Pause acts only on a film that plays
    for (WPARAM id : {2, 8, 8, 8, 2, 9, 6, 9}) PostMessageA(h, WM_HOTKEY, id, 0);
    Pump();
    EXPECT_FALSE(window.form().m_blnDesktopHidden);  // toggled twice
    EXPECT_TRUE(window.form().m_blnMuted);           // three times
    EXPECT_TRUE(window.form().m_blnPaused);          // Pause, Play, Pause
    window.form().m_blnPlaying = false;
}

// The user's keys: a changed one is registered in its default's place, an empty one not
// at all, and one another program holds is named in a balloon while the rest still work.
std::vector<std::string> g_keyLines;

TEST(UserHotkeys, RegistryValuesDecideTheKeys) {
    const char* kKey = "Software\\Mevra\\Hotkeys";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::pair<const char*, const char*> values[] = {{"Stop", "Ctrl+Alt+S"}, {"Mute", ""}, {"Pause", "ctrl+F7"}};
    for (const auto& v : values)
        RegSetValueExA(key, v.first, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.second),
                       static_cast<DWORD>(std::strlen(v.second) + 1));
    RegCloseKey(key);
    HWND holder = MakeProbe();  // another program's window holding Shift+Ins
    ASSERT_TRUE(RegisterHotKey(holder, 1, MOD_SHIFT, VK_INSERT));

    g_keyLines.clear();
    const DebugSink previous = SetDebugSink([](const std::string& line) { g_keyLines.push_back(line); });
    KORVANECLASS media{Win32Mci(), Win32MediaSystem()};
    Form1Window window{GetModuleHandleA(nullptr), &media};
    ASSERT_TRUE(window.Load());
    SetDebugSink(previous);
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);

    HWND probe = MakeProbe();
    const struct {
        UINT mods, vk;
        bool held;
    } chords[] = {
        {MOD_CONTROL | MOD_ALT, 'S', true}, {MOD_CONTROL, 'S', false},  // changed
        {MOD_CONTROL, 'M', false},                                       // switched off
        {MOD_CONTROL, VK_F7, true},         {MOD_CONTROL, VK_SPACE, false},
        {MOD_CONTROL, 'O', true},           {MOD_SHIFT, VK_DELETE, true},
        {MOD_CONTROL, VK_LEFT, true},       {MOD_CONTROL, VK_RIGHT, true}, {MOD_CONTROL, 'P', true},
    };
    for (const auto& c : chords) {
        const bool free = RegisterHotKey(probe, 7, c.mods, c.vk) != FALSE;
        if (free) UnregisterHotKey(probe, 7);
        EXPECT_EQ(free, !c.held) << c.mods << "+" << c.vk;
    }
    // The row keeps its id: Stop is still 7, and its new key is what id 7 holds.
    ASSERT_TRUE(UnregisterHotKey(window.hwnd(), 7));
    EXPECT_TRUE(RegisterHotKey(probe, 7, MOD_CONTROL | MOD_ALT, 'S'));
    UnregisterHotKey(probe, 7);
    const std::string balloon = "Mevra: balloon [In use by another program: ShowDesktop (Shift+Ins)]";
    EXPECT_EQ(std::count(g_keyLines.begin(), g_keyLines.end(), balloon), 1) << ::testing::PrintToString(g_keyLines);

    window.Unload();
    Pump();
    UnregisterHotKey(holder, 1);
    DestroyWindow(holder);
    DestroyWindow(probe);
}

TEST_F(Form1WindowTest, SecondInstanceIsRefusedAndTouchesNothing) {
    // The first instance switched the screen saver off; switch it on to see the
    // second one leave it alone.
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
    KORVANECLASS otherMedia{Win32Mci(), Win32MediaSystem()};
    {
        Form1Window second{GetModuleHandleA(nullptr), &otherMedia};
        EXPECT_FALSE(second.Load());
        EXPECT_EQ(second.hwnd(), nullptr);
    }
    BOOL active = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    EXPECT_TRUE(active);
    EXPECT_EQ(FindWindowExA(nullptr, window.hwnd(), kForm1ClassName, nullptr), nullptr);
}

TEST(SingleInstance, AMutexThisProcessMayNotOpenStillMeansAnotherInstance) {
    // As an instance started with more rights holds it: an empty access list.
    SECURITY_DESCRIPTOR sd{};
    ASSERT_TRUE(InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
    ACL acl{};
    ASSERT_TRUE(InitializeAcl(&acl, sizeof acl, ACL_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE));
    SECURITY_ATTRIBUTES sa{sizeof sa, &sd, FALSE};
    UniqueKernelHandle held(CreateMutexA(&sa, FALSE, kSingleInstanceMutex));
    ASSERT_TRUE(held);
    KORVANECLASS media{Win32Mci(), Win32MediaSystem()};
    Form1Window second{GetModuleHandleA(nullptr), &media};
    EXPECT_FALSE(second.Load());
    EXPECT_EQ(second.hwnd(), nullptr);
}

TEST_F(Form1WindowTest, MenuEngineGetsItsSettingsAndPictures) {
    const ModMenuState& m = modmenu();
    EXPECT_EQ(m.MenuBackPicture, window.image1());
    EXPECT_FALSE(m.MenuCustomStyle);
    EXPECT_EQ(m.MenuLeftMargin, 28);
    EXPECT_EQ(m.MenuColors.TextColor, Rgb(16, 0, 16));
    EXPECT_EQ(m.MenuCheckColor, 255u);
    EXPECT_EQ(m.MenuColors.SelectFill, Rgb(182, 189, 210));
    EXPECT_EQ(m.MenuColors.TextBackColor, Rgb(58, 110, 165));
    EXPECT_EQ(m.MenuColors.SelectTextColor, Rgb(0, 0, 255));
    EXPECT_EQ(m.MenuColors.BarTextColor, 0u);
    EXPECT_EQ(m.MenuSelectFrameColor, Rgb(10, 36, 106));
    EXPECT_EQ(m.MenuStyle, 1);
    const std::pair<const char*, int> expected[] = {{"Open", 101}, {"Mute", 105}, {"Play", 107},
                                                    {"Pause", 113}, {"FForward", 109},
                                                    {"FRewind", 111}, {"Tool", 115}, {"Stop", 121}};
    const auto& items = m.MenuBitmaps.Items();
    ASSERT_EQ(items.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(items[i].first, expected[i].first);
        EXPECT_EQ(items[i].second.image, expected[i].second);
        EXPECT_EQ(items[i].second.mask, expected[i].second + 1);
    }
}

TEST_F(Form1WindowTest, LeftClicksOnTheIconCycleTheTipIndex) {
    for (int i = 0; i < 2; ++i) SendMessageA(window.hwnd(), kTrayCallbackMessage, 0, kWmLButtonUp);
    EXPECT_EQ(window.form().m_lngTipIndex, 2);
    SendMessageA(window.hwnd(), kTrayCallbackMessage, 0, 0x201);  // button down: nothing
    EXPECT_EQ(window.form().m_lngTipIndex, 2);
    EXPECT_FALSE(window.form().m_blnTrayBusy);
}

TEST_F(Form1WindowTest, ExitFromTheMenuTakesTheWindowDown) {
    bool destroyed = false;
    window.SetOnDestroyed([&] { destroyed = true; });
    HWND h = window.hwnd();
    SendMessageA(h, WM_COMMAND, kMenuIdBase + static_cast<UINT>(MenuItem::mnuExit), 0);
    Pump();
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(window.hwnd(), nullptr);
}

// --- with a desktop window and the real player --------------------------------

class Form1OnDesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        desktop = MakeDesktop();
        ASSERT_NE(desktop, nullptr);
        ASSERT_TRUE(window.Load());
    }
    void TearDown() override {
        window.Unload();
        Pump();
        if (desktop) DestroyWindow(desktop);
    }
    HWND desktop = nullptr;
    KORVANECLASS hotkeyMedia{Win32Mci(), Win32MediaSystem()};
    Form1Window window{GetModuleHandleA(nullptr), &hotkeyMedia};
};

// What the player said, shown when a step of the film's test fails.
std::vector<std::string> g_filmLines;
std::string FilmTrace() {
    std::string all;
    for (const std::string& line : g_filmLines) all += line + "\n";
    return all;
}

TEST_F(Form1OnDesktopTest, FilmPlaysOnTheDesktopAndAnUnplayableOneDoesNot) {
    g_filmLines.clear();
    const DebugSink previous = SetDebugSink([](const std::string& line) { g_filmLines.push_back(line); });
    Form1& form = window.form();
    EXPECT_EQ(form.m_hwndDesktop, FromHwnd(desktop));

    form.filmname = TestFile("no such film.avi");
    form.mnuPlay_Click();
    EXPECT_FALSE(form.m_blnPlaying);
    EXPECT_FALSE(form.LoopTimerOn());
    EXPECT_EQ(GetWindow(desktop, GW_CHILD), nullptr);

    form.filmname = TestFile("clip.avi");
    form.mnuPlay_Click();
    EXPECT_TRUE(form.m_blnPlaying);
    EXPECT_TRUE(form.LoopTimerOn());
    EXPECT_NE(FilmWindowOf(desktop), nullptr);  // the film's window

    form.mnuPlay_Click();  // restart of the loaded film is no failure
    EXPECT_TRUE(form.LoopTimerOn()) << FilmTrace();

    form.mnuStop_Click();
    EXPECT_FALSE(form.LoopTimerOn());
    Pump();
    EXPECT_EQ(GetWindow(desktop, GW_CHILD), nullptr);
    SetDebugSink(previous);
}

TEST_F(Form1OnDesktopTest, ExplorerRestartFindsTheNewDesktop) {
    DestroyWindow(desktop);
    desktop = MakeDesktop();
    SendMessageA(window.hwnd(), window.taskbarCreatedMessage(), 0, 0);
    EXPECT_EQ(window.form().m_hwndDesktop, FromHwnd(desktop));

    window.form().filmname = TestFile("clip.avi");
    window.form().mnuPlay_Click();
    EXPECT_NE(FilmWindowOf(desktop), nullptr);
    window.form().mnuStop_Click();
}

}  // namespace
