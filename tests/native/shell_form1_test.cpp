// The main window's command logic, run as sequences of commands against the
// recording fakes: playback state machine, loop timer, wallpaper, start-up and
// shutdown order, tray notifications and the desktop and settings toggles.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include "base/Report.h"
#include "desktop/DesktopLayer.h"
#include "desktop/DesktopMod.h"
#include "desktop/RegistryMod.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSystemSettings.h"
#include "fakes/FakeWindowTree.h"
#include "fakes/ShellFakes.h"
#include "shell/Form1.h"

namespace mevra {
namespace {

constexpr Hwnd kSelf = 0x5150;
constexpr char kFilm[] = "C:\\Films\\clip.avi";
constexpr char kOther[] = "C:\\Films\\other.mpg";

// A Form1 wired to fakes of everything it drives, all writing to one journal.
struct ShellRig {
    fake::Journal j;
    fake::FakeRegistry reg;
    fake::FakeSystemSettings sys;
    RegistryMod registry{reg, sys};
    DesktopMod desktop{sys};
    fake::RecordingPlayer media{j};
    fake::FakeTrayApi trayApi{j};
    Systray tray{trayApi};
    fake::FakeTimer timer{j};
    fake::FakeMenu menu{j};
    fake::FakeUi ui{j};
    fake::FakeDialog dialog{j};
    fake::FakeHotkeyApi hotkeyApi{j};
    HOTKEYmod hotkeys{hotkeyApi};
    fake::FakeWindowTree tree;
    fake::FakeDesktopHost host{tree};
    DesktopLayer layer{tree, host};
    Hwnd progman = tree.Add(0, "Progman", "Program Manager");
    Form1 form{Form1Parts{media, registry, desktop, tray, timer, menu, ui, dialog, hotkeys, layer}};

    ShellRig() {
        // Each open gives the film a window of Mevra's own on its parent.
        media.onOpen = [this](Hwnd parent) {
            for (Hwnd h : tree.Children(parent))
                if (tree.Get(h)->own) tree.Remove(h);
            tree.Add(parent, "MCIQTZ_Window", "", {320, 240}, true);
        };
    }
};

// A wallpaper to save and give back, and the keys the settings live under.
void AddUserDesktop(ShellRig& r) {
    r.reg.PutString(kHkeyCurrentUser, "Control Panel\\Desktop", "Wallpaper", "C:\\pic.bmp");
    r.reg.PutString(kHkeyCurrentUser, "Control Panel\\Desktop", "WallpaperStyle", "2");
    r.reg.AddKey(kHkeyClassesRoot, "lnkfile");
    r.reg.AddKey(kHkeyClassesRoot, "piffile");
    r.reg.AddKey(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon");
}

class Form1Test : public ::testing::Test, public ShellRig {
protected:
    Form1Test() { AddUserDesktop(*this); }

    void Start() {
        ASSERT_TRUE(form.Form_Initialize());
        form.Form_Load(kSelf);
        j.clear();
        sys.wallpapers.clear();
        sys.shows.clear();
        trayApi.sent.clear();
        trayApi.timers.clear();
    }
    // Open, accepting path in the dialog (nullopt cancels).
    void Open(std::optional<std::string> path) {
        dialog.choices.push_back(std::move(path));
        form.mnuFName_Click();
    }
    std::size_t Count(const std::string& entry) const {
        return static_cast<std::size_t>(std::count(j.begin(), j.end(), entry));
    }
    // The entries of the journal that start with prefix, in order.
    std::vector<std::string> Only(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& e : j)
            if (e.rfind(prefix, 0) == 0) out.push_back(e);
        return out;
    }
    std::string Wallpaper() const {
        return reg.Bytes(kHkeyCurrentUser, "Control Panel\\Desktop", "Wallpaper");
    }
    // The picture last handed to Windows as the wallpaper ("<none>" if none was).
    std::string Applied() const {
        return sys.wallpapers.empty() ? std::string("<none>") : sys.wallpapers.back().path;
    }

};

// --- start-up and shutdown ---------------------------------------------------

TEST_F(Form1Test, SecondInstanceTouchesNothing) {
    ui.otherInstance = true;
    registry.WallpaperCleared = true;
    EXPECT_FALSE(form.Form_Initialize());
    EXPECT_TRUE(sys.screen_savers.empty());
    EXPECT_TRUE(registry.WallpaperCleared);
    EXPECT_EQ(j, fake::Journal{"ui: instance check"});
}

TEST_F(Form1Test, InitializeClearsStateAndSwitchesScreenSaverOff) {
    registry.WallpaperCleared = true;
    ASSERT_TRUE(form.Form_Initialize());
    EXPECT_FALSE(registry.WallpaperCleared);
    ASSERT_EQ(sys.screen_savers.size(), 1u);
    EXPECT_FALSE(sys.screen_savers[0].active);
    EXPECT_EQ(sys.screen_savers[0].flags, 0u);
}

TEST(Form1ScreenSaver, ASecureScreenSaverIsLeftAloneAnOtherIsBackAtExit) {
    constexpr char kPolicy[] = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
    struct Case {
        const char* name;
        std::optional<bool> active, secure;  // what Windows answers; nullopt: no answer
        const char* secure_key;              // where "ScreenSaverIsSecure" = "1" is, if anywhere
        bool logoff;
        std::vector<bool> want;  // the switches made, start to end
    } cases[] = {
        {"not secure, exit", true, false, nullptr, false, {false, true}},
        {"not secure, logoff", true, false, nullptr, true, {false, true}},
        {"secure", true, true, nullptr, false, {}},
        {"secure by policy", true, false, kPolicy, false, {}},
        {"secure, Windows too old to say", true, std::nullopt, "Control Panel\\Desktop", false, {}},
        {"already off", false, false, nullptr, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto rig = std::make_unique<ShellRig>();
        ShellRig& r = *rig;
        AddUserDesktop(r);
        r.sys.saver_active = c.active;
        r.sys.saver_secure = c.secure;
        if (c.secure_key) r.reg.PutString(kHkeyCurrentUser, c.secure_key, "ScreenSaverIsSecure", "1");
        ASSERT_TRUE(r.form.Form_Initialize());
        r.form.Form_Load(kSelf);
        if (c.logoff) r.form.Form_EndSession();
        r.form.Form_QueryUnload();
        r.form.Form_Unload();
        std::vector<bool> made;
        for (const auto& s : r.sys.screen_savers) {
            made.push_back(s.active);
            EXPECT_EQ(s.flags, 0u);  // this logon only
        }
        EXPECT_EQ(made, c.want);
    }
}

TEST_F(Form1Test, InitializeAppliesALeftoverJournalUnlessAnotherInstanceRuns) {
    {
        // An earlier run cleared the wallpaper for a film and died.
        RegistryMod crashed(reg, sys);
        crashed.ManageWallpaper(kWallpaperSaveAndClear);
    }
    ASSERT_EQ(Wallpaper(), " ");
    sys.wallpapers.clear();
    ui.otherInstance = true;  // that instance's film still plays
    EXPECT_FALSE(form.Form_Initialize());
    EXPECT_EQ(Wallpaper(), " ");

    ui.otherInstance = false;
    ASSERT_TRUE(form.Form_Initialize());
    EXPECT_EQ(Wallpaper(), std::string("C:\\pic.bmp") + '\0');
    EXPECT_EQ(Applied(), "C:\\pic.bmp");
    EXPECT_FALSE(reg.HasKey(kHkeyCurrentUser, "Software\\Mevra"));
}

TEST_F(Form1Test, LoadRunsItsStepsInOrder) {
    ASSERT_TRUE(form.Form_Initialize());
    j.clear();
    form.Form_Load(kSelf);
    const fake::Journal expected{
        "media: hwndParent 256", "ui: menu style", "tray: add",
        "tray: modify Mevratop", "tray: timer 1000", "dialog: preview",
        "ui: install proc", "hotkey: register 1", "hotkey: register 2", "hotkey: register 3",
        "hotkey: register 4", "hotkey: register 5", "hotkey: register 6", "hotkey: register 7",
        "hotkey: register 8", "hotkey: register 9", "menu: check 4 on", "menu: check 6 off"};
    EXPECT_EQ(j, expected);
    EXPECT_EQ(form.m_hwndDesktop, progman);
    EXPECT_EQ(dialog.preview, ui.banner);
    EXPECT_EQ(dialog.previewLeft, 6);
    EXPECT_EQ(dialog.previewTop, 247);
    EXPECT_EQ(dialog.height, 307);
    EXPECT_FALSE(form.LoopTimerOn());
    EXPECT_TRUE(form.Checked(MenuItem::mnuloop));
}

TEST_F(Form1Test, LoadGoesOnWithoutADesktopWindow) {
    tree.Remove(progman);
    Start();
    EXPECT_EQ(form.m_hwndDesktop, 0);
    EXPECT_EQ(media.hwndParent(), 0);
    EXPECT_EQ(hotkeys.m_lngHotKeyCount, 9);
}

std::vector<std::string> g_debugLines;

TEST_F(Form1Test, AFailedLoadStepIsReportedAndSkipped) {
    // No more hotkey ids to take: every AddHotKey throws.
    hotkeys.m_lngHotKeyCount = std::numeric_limits<std::int32_t>::max();
    g_debugLines.clear();
    const DebugSink previous =
        SetDebugSink([](const std::string& line) { g_debugLines.push_back(line); });
    Start();
    SetDebugSink(previous);
    EXPECT_TRUE(hotkeyApi.registerCalls.empty());
    EXPECT_TRUE(form.Checked(MenuItem::mnuArrow)) << "the steps after the hotkeys still ran";
    ASSERT_EQ(g_debugLines.size(), kHotkeyTable.size());
    EXPECT_EQ(g_debugLines[0], "Mevra: add a hotkey failed: arithmetic overflow");
}

TEST_F(Form1Test, TheUsersKeysAreRegisteredAndTheHeldOnesNamedInOneBalloon) {
    hotkeys.m_keys[6] = {kModControl | kModAlt, 'S', HotkeyAction::Stop};
    hotkeys.m_keys[7] = {0, 0, HotkeyAction::Mute};  // switched off
    hotkeyApi.heldElsewhere.insert({kModShift, kVkDelete});
    hotkeyApi.heldElsewhere.insert({kModControl | kModAlt, 'S'});
    ASSERT_TRUE(form.Form_Initialize());
    form.Form_Load(kSelf);
    // Ids keep their rows: 2 and 7 failed, 8 was never asked for.
    EXPECT_EQ(hotkeys.m_lngHotKeyCount, 9);
    EXPECT_EQ(hotkeyApi.registerCalls.size(), 8u);
    for (std::int32_t id : {2, 7, 8}) EXPECT_EQ(hotkeyApi.registered.count(id), 0u) << id;
    ASSERT_EQ(hotkeyApi.registered.count(9), 1u);
    EXPECT_EQ(hotkeyApi.registered[9], (fake::FakeHotkeyApi::Combo{kModControl, kVkSpace}));
    EXPECT_EQ(trayApi.Balloons(),
              (std::vector<std::string>{"Mevratop", "In use by another program: HideDesktop (Shift+Del), "
                                                    "Stop (Ctrl+Alt+S)"}));
    // The tips name the keys in force; the others stay as the resources have them.
    trayApi.sent.clear();
    for (int i = 0; i < 8; ++i) form.Form_MouseMove(kWmLButtonUp);
    EXPECT_EQ(trayApi.Balloons(),
              (std::vector<std::string>{"tip101", "tip102", "tip103    Ctrl+Alt+S", "tip104",
                                        "tip105    (no key)", "tip106", "tip107", "tip108"}));
}

TEST_F(Form1Test, EveryHotkeyPressCountsInOrder) {
    Start();
    Open(std::string(kFilm));
    HotkeyQueue queue;
    const auto run = [&](std::int32_t id) { DispatchHotkey(id, form, &media); };
    for (std::int32_t id : {9, 6, 9, 8, 8}) queue.Press(id, run);  // Pause, Play, Pause, Mute, Mute
    EXPECT_TRUE(form.m_blnPaused);
    EXPECT_FALSE(form.m_blnMuted);
    EXPECT_EQ(Count("media: SetAudioState 2 1"), 1u);
    EXPECT_EQ(Count("media: SetAudioState 2 0"), 1u);
}

TEST_F(Form1Test, ExitBeforeAnyFilmTouchesNoFilmOrWallpaper) {
    Start();
    form.Form_QueryUnload();
    form.Form_Unload();
    const fake::Journal expected{"ui: remove proc", "ui: unhook menus", "tray: timer off", "tray: delete",
                                 "hotkey: unregister 1", "hotkey: unregister 2",
                                 "hotkey: unregister 3", "hotkey: unregister 4",
                                 "hotkey: unregister 5", "hotkey: unregister 6",
                                 "hotkey: unregister 7", "hotkey: unregister 8",
                                 "hotkey: unregister 9"};
    EXPECT_EQ(j, expected);
    EXPECT_TRUE(sys.wallpapers.empty());
    EXPECT_EQ(trayApi.sent.back().record.hWnd, kSelf);
    EXPECT_EQ(trayApi.sent.back().record.uID, 1u);
}

TEST_F(Form1Test, ExitWhilePausedStopsClosesAndRestores) {
    Start();
    Open(std::string(kFilm));
    form.mnuPause_Click();
    j.clear();
    form.Form_Unload();
    EXPECT_EQ(Only("media: "), (fake::Journal{"media: setCommand 1", "media: setCommand 5"}));
    EXPECT_EQ(Applied(), "C:\\pic.bmp");
    EXPECT_FALSE(registry.WallpaperCleared);
    EXPECT_FALSE(timer.on);
}

TEST_F(Form1Test, SessionEndStopsTheFilmAndGivesTheWallpaperBackAtOnce) {
    Start();
    Open(std::string(kFilm));
    ASSERT_TRUE(reg.HasKey(kHkeyCurrentUser, "Software\\Mevra"));
    j.clear();
    form.Form_EndSession();
    EXPECT_EQ(Only("media: "), (fake::Journal{"media: setCommand 1", "media: setCommand 5"}));
    EXPECT_EQ(Applied(), "C:\\pic.bmp");
    EXPECT_FALSE(reg.HasKey(kHkeyCurrentUser, "Software\\Mevra"));
    EXPECT_FALSE(timer.on);
    // The unload that follows has nothing more to stop.
    j.clear();
    form.Form_QueryUnload();
    form.Form_Unload();
    EXPECT_TRUE(Only("media: ").empty());
}

TEST_F(Form1Test, ExitLeavesAHiddenDesktopHidden) {
    Start();
    form.mnuHD_Click();
    sys.shows.clear();
    form.Form_QueryUnload();
    form.Form_Unload();
    EXPECT_TRUE(sys.shows.empty());
}

// --- playback ----------------------------------------------------------------

TEST_F(Form1Test, PlayBeforeAnyFileDoesNothing) {
    Start();
    form.mnuPlay_Click();
    EXPECT_TRUE(j.empty());
    EXPECT_FALSE(form.m_blnPlaying);
}

TEST_F(Form1Test, OpenAcceptedPlaysTheFilm) {
    Start();
    Open(std::string(kFilm));
    EXPECT_EQ(dialog.filter, kMovieFilter);
    EXPECT_EQ(dialog.title, "  OPEN MEDIA FILE");
    EXPECT_EQ(dialog.owner, kSelf);
    const fake::Journal expected{"timer: stop", "dialog: show", "media: Filename C:\\Films\\clip.avi",
                                 "ui: repaint", "media: hwndParent 256", "media: PlayMEDIAFILE 0", "tray: modify clip.avi",
                                 "tray: timer 1500", "timer: start 500"};
    EXPECT_EQ(j, expected);
    EXPECT_TRUE(form.m_blnPlaying);
    EXPECT_TRUE(registry.WallpaperCleared);
    EXPECT_EQ(Wallpaper(), " ");  // cleared (an empty text is stored as a blank)
    ASSERT_EQ(sys.sys_colors.size(), 1u);
    EXPECT_EQ(sys.sys_colors[0].color, Rgb(16, 0, 16));
}

TEST_F(Form1Test, OpenThenCancelWhilePlayingRestartsTheSameFile) {
    Start();
    Open(std::string(kFilm));
    j.clear();
    Open(std::nullopt);
    const fake::Journal expected{
        "timer: stop", "media: setCommand 1", "media: setCommand 5", "timer: stop",
        "dialog: show", "media: Filename C:\\Films\\clip.avi", "ui: repaint",
        "media: hwndParent 256", "media: PlayMEDIAFILE 0", "tray: modify clip.avi", "tray: timer 1500",
        "timer: start 500"};
    EXPECT_EQ(j, expected);
    EXPECT_EQ(form.filmname, kFilm);
    EXPECT_TRUE(form.m_blnPlaying);
}

TEST_F(Form1Test, OpenThenCancelWithNoFileEverChosenStaysStopped) {
    Start();
    Open(std::nullopt);
    EXPECT_EQ(j, (fake::Journal{"timer: stop", "dialog: show"}));
    EXPECT_FALSE(form.m_blnPlaying);
    EXPECT_TRUE(sys.wallpapers.empty());
}

TEST_F(Form1Test, OpenAnotherFileStopsTheFirstAndPlaysTheSecond) {
    Start();
    Open(std::string(kFilm));
    Open(std::string(kOther));
    EXPECT_EQ(form.filmname, kOther);
    EXPECT_EQ(media.Filename(), kOther);
    EXPECT_EQ(trayApi.Balloons().back(), "other.mpg");
    // The first film's clear is undone before the second one clears again.
    std::vector<std::string> applied;
    for (const auto& w : sys.wallpapers) applied.push_back(w.path);
    EXPECT_EQ(applied, (std::vector<std::string>{"", "C:\\pic.bmp", ""}));
    EXPECT_TRUE(registry.WallpaperCleared);
}

TEST_F(Form1Test, OpenWhileTheDialogIsUpIsIgnored) {
    Start();
    dialog.whileOpen = [&] { form.OPENVIDEO(); };  // Ctrl+O pressed again
    Open(std::string(kFilm));
    EXPECT_EQ(Count("dialog: show"), 1u);
    EXPECT_EQ(Count("media: PlayMEDIAFILE 0"), 1u);
    dialog.whileOpen = nullptr;
    Open(std::nullopt);  // and the guard is down again afterwards
    EXPECT_EQ(Count("dialog: show"), 2u);
}

TEST_F(Form1Test, ExitWhileTheDialogIsUpPlaysNothingAfterwards) {
    Start();
    dialog.whileOpen = [&] {
        form.Form_QueryUnload();
        form.Form_Unload();
    };
    Open(std::string(kFilm));
    EXPECT_EQ(Count("media: PlayMEDIAFILE 0"), 0u);
    EXPECT_FALSE(form.m_blnPlaying);
    EXPECT_FALSE(timer.on);
}

TEST_F(Form1Test, FilmStartedWhileTheDialogIsUpMakesWayForTheChosenOne) {
    Start();
    Open(std::string(kFilm));
    dialog.whileOpen = [&] { form.Play(); };  // Ctrl+P while choosing
    Open(std::string(kOther));
    EXPECT_EQ(media.loaded, kOther);
    EXPECT_EQ(trayApi.Balloons().back(), "other.mpg");
    EXPECT_TRUE(form.m_blnPlaying);
    EXPECT_TRUE(timer.on);
    EXPECT_TRUE(registry.WallpaperCleared);
}

TEST_F(Form1Test, PauseStopPlayStartsFromTheBeginning) {
    Start();
    Open(std::string(kFilm));
    form.mnuPause_Click();
    EXPECT_TRUE(form.m_blnPaused);
    form.mnuStop_Click();
    EXPECT_FALSE(form.m_blnPaused);
    EXPECT_FALSE(timer.on);
    EXPECT_FALSE(form.m_blnPlaying);  // stopped for good
    j.clear();
    form.mnuPlay_Click();
    EXPECT_EQ(Only("media: "), (fake::Journal{"media: Filename C:\\Films\\clip.avi",
                                              "media: hwndParent 256", "media: PlayMEDIAFILE 0"}));
    EXPECT_TRUE(timer.on);
}

TEST_F(Form1Test, PauseThenPlayOnlyResumes) {
    Start();
    Open(std::string(kFilm));
    form.mnuPause_Click();
    j.clear();
    form.mnuPlay_Click();
    EXPECT_EQ(j, (fake::Journal{"media: setCommand 7"}));
    EXPECT_FALSE(form.m_blnPaused);
}

TEST_F(Form1Test, PauseWhileNothingPlaysLeavesTheNextOpenOrPlayToPlay) {
    struct Case {
        const char* name;
        bool played_before;  // a film was played and stopped first
        bool open;           // Open chooses the film; else Play with the last one
    } cases[] = {
        {"nothing ever played, then Open", false, true},
        {"after Stop, then Open", true, true},
        {"after Stop, then Play", true, false},
    };
    Start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.played_before) {
            Open(std::string(kOther));
            form.mnuStop_Click();
        }
        j.clear();
        form.mnuPause_Click();
        EXPECT_EQ(j, (fake::Journal{"media: setCommand 6"}));  // still sent
        EXPECT_FALSE(form.m_blnPaused);
        if (c.open)
            Open(std::string(kFilm));
        else
            form.mnuPlay_Click();
        EXPECT_EQ(Count("media: PlayMEDIAFILE 0"), 1u);
        EXPECT_EQ(Count("media: setCommand 7"), 0u);
        EXPECT_TRUE(form.m_blnPlaying);
        form.mnuStop_Click();
    }
}

TEST_F(Form1Test, StopWithoutAFilmDoesNothing) {
    Start();
    form.mnuStop_Click();
    EXPECT_TRUE(j.empty());
}

TEST(Form1Stop, AfterStopTheWallpaperTheUserSetSinceStays) {
    // Ctrl+S is global: a Stop can come from any program's save.
    struct Case {
        const char* name;
        std::function<void(ShellRig&)> then;
        std::size_t stops;  // stop commands sent in all
    } cases[] = {
        {"stop again", [](ShellRig& r) { r.form.mnuStop_Click(); }, 1},
        {"exit", [](ShellRig& r) { r.form.Form_QueryUnload(); r.form.Form_Unload(); }, 1},
        {"logoff", [](ShellRig& r) { r.form.Form_EndSession(); r.form.Form_Unload(); }, 1},
        // A cancelled dialog plays the last film again, over the new wallpaper.
        {"open cancelled, then stop",
         [](ShellRig& r) {
             r.dialog.choices.push_back(std::nullopt);
             r.form.mnuFName_Click();
             r.form.mnuStop_Click();
         },
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto rig = std::make_unique<ShellRig>();
        ShellRig& r = *rig;
        AddUserDesktop(r);
        ASSERT_TRUE(r.form.Form_Initialize());
        r.form.Form_Load(kSelf);
        r.dialog.choices.push_back(std::string(kFilm));
        r.form.mnuFName_Click();
        r.form.mnuStop_Click();
        ASSERT_EQ(r.sys.wallpapers.back().path, "C:\\pic.bmp");
        r.reg.PutString(kHkeyCurrentUser, "Control Panel\\Desktop", "Wallpaper", "C:\\new.bmp");
        r.sys.wallpapers.clear();
        c.then(r);
        const std::string applied = r.sys.wallpapers.empty() ? "<none>" : r.sys.wallpapers.back().path;
        EXPECT_EQ(applied, c.stops == 1 ? "<none>" : "C:\\new.bmp");
        EXPECT_EQ(r.reg.Bytes(kHkeyCurrentUser, "Control Panel\\Desktop", "Wallpaper"),
                  std::string("C:\\new.bmp") + '\0');
        EXPECT_EQ(std::count(r.j.begin(), r.j.end(), "media: setCommand 5"), static_cast<long>(c.stops));
    }
}

TEST(Form1Stop, AFailedRestoreOrAnUnwritableJournalLosesNothing) {
    constexpr char kDesk[] = "Control Panel\\Desktop";
    const std::string pic = std::string("C:\\pic.bmp") + '\0';
    struct Case {
        const char* name;
        bool refuse_at_stop, journal_locked;
        std::string wallpaper_while_playing;
        bool journal_after_stop;  // and still counted as cleared, so no new save
        std::size_t debug_lines;  // about the journal, over two plays
    } cases[] = {
        {"restore refused", true, false, " ", true, 1},
        {"journal unwritable", false, true, pic, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto rig = std::make_unique<ShellRig>();
        ShellRig& r = *rig;
        AddUserDesktop(r);
        if (c.journal_locked) r.reg.MakeReadOnly(kHkeyCurrentUser, kJournalKey);
        ASSERT_TRUE(r.form.Form_Initialize());
        r.form.Form_Load(kSelf);
        r.dialog.choices.push_back(std::string(kFilm));
        r.form.mnuFName_Click();
        EXPECT_EQ(r.reg.Bytes(kHkeyCurrentUser, kDesk, "Wallpaper"), c.wallpaper_while_playing);
        EXPECT_TRUE(r.form.m_blnPlaying);  // the film plays either way
        r.sys.refuse_wallpapers = c.refuse_at_stop;
        r.form.mnuStop_Click();
        EXPECT_EQ(r.registry.WallpaperCleared, c.journal_after_stop);
        EXPECT_EQ(r.reg.Find(kHkeyCurrentUser, kJournalKey, kJournalValue) != nullptr,
                  c.journal_after_stop);

        // Play again, then Stop with Windows willing: the first save is what comes back.
        r.sys.refuse_wallpapers = false;
        r.form.mnuPlay_Click();
        r.form.mnuStop_Click();
        EXPECT_EQ(r.reg.Bytes(kHkeyCurrentUser, kDesk, "Wallpaper"), pic);
        EXPECT_EQ(r.reg.Find(kHkeyCurrentUser, kJournalKey, kJournalValue), nullptr);
        std::size_t lines = 0;
        for (const auto& line : r.sys.debug_lines) lines += line.find("journal") != std::string::npos;
        EXPECT_EQ(lines, c.debug_lines);
    }
}

TEST_F(Form1Test, EndOfFilmWithLoopRestartsQuietly) {
    Start();
    Open(std::string(kFilm));
    EXPECT_EQ(trayApi.Balloons(), std::vector<std::string>{"clip.avi"});
    media.endAnswers = {false, true, true};
    j.clear();
    trayApi.sent.clear();
    form.tmrLoop_Timer();
    EXPECT_EQ(j, (fake::Journal{"media: THE_ENDOFSONG 0"}));
    form.tmrLoop_Timer();
    form.tmrLoop_Timer();
    EXPECT_EQ(Count("media: PlayMEDIAFILE 0"), 2u);
    EXPECT_EQ(Count("media: setCommand 5"), 0u);
    EXPECT_TRUE(timer.on);
    EXPECT_TRUE(form.m_blnPlaying);
    // The file name was shown when the user started the film; a restart shows nothing.
    EXPECT_TRUE(trayApi.Balloons().empty());
    // A Play of the user's own after the restarts names the film again.
    form.mnuStop_Click();
    form.mnuPlay_Click();
    EXPECT_EQ(trayApi.Balloons(), std::vector<std::string>{"clip.avi"});
}

// The player may pass the loop timer's tick on while it opens a film: that tick must not
// start the film again inside its own open, however often it comes.
TEST_F(Form1Test, ATickInsideAFilmCommandDoesNothing) {
    Start();
    int nested = 0;
    media.endAnswers = {true, true, true};
    media.onOpen = [&](Hwnd) {
        ++nested;
        form.tmrLoop_Timer();
    };
    Open(std::string(kFilm));
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(Count("media: THE_ENDOFSONG 0"), 0u);
    EXPECT_EQ(Count("media: PlayMEDIAFILE 0"), 1u);
    // Outside a command the tick acts: the end restarts the film.
    media.onOpen = nullptr;
    form.tmrLoop_Timer();
    EXPECT_EQ(Count("media: PlayMEDIAFILE 0"), 2u);
}

TEST_F(Form1Test, EndOfFilmWithoutLoopClosesAndRestores) {
    Start();
    form.mnuloop_Click();
    EXPECT_FALSE(form.Checked(MenuItem::mnuloop));
    EXPECT_FALSE(menu.checked[MenuItem::mnuloop]);
    Open(std::string(kFilm));
    media.endAnswers = {true};
    j.clear();
    form.tmrLoop_Timer();
    EXPECT_EQ(Only("media: "), (fake::Journal{"media: THE_ENDOFSONG 0", "media: setCommand 1",
                                              "media: setCommand 5"}));
    EXPECT_FALSE(timer.on);
    EXPECT_EQ(Applied(), "C:\\pic.bmp");
    form.mnuloop_Click();
    EXPECT_TRUE(form.Checked(MenuItem::mnuloop));
}

// --- covered desktop ------------------------------------------------------------

struct FakeCover final : CoverWatch {
    bool covered = false;
    bool DesktopCovered() override { return covered; }
};

// Each step: what the user does (or nothing), whether the desktop is covered at the tick
// after it, then the film commands of the step and the state after the tick.
TEST_F(Form1Test, CoveredDesktopPausesTheFilmApartFromTheUsersPause) {
    enum class Do { Nothing, Pause, Play, Forward, Stop };
    struct Step {
        const char* name;
        Do act;
        bool covered;
        fake::Journal film;  // setCommand and THE_ENDOFSONG entries
        bool coverPaused, userPaused;
    };
    const Step steps[] = {
        {"visible: only the end check", Do::Nothing, false, {"THE_ENDOFSONG 0"}, false, false},
        {"covered: pause, no end check", Do::Nothing, true, {"setCommand 6"}, true, false},
        {"still covered: nothing at all", Do::Nothing, true, {}, true, false},
        {"shows again: resume", Do::Nothing, false, {"setCommand 7", "THE_ENDOFSONG 0"}, false, false},
        {"covered again", Do::Nothing, true, {"setCommand 6"}, true, false},
        {"the user's Pause meanwhile", Do::Pause, true, {"setCommand 6", "THE_ENDOFSONG 0"}, false, true},
        {"shows again: stays paused", Do::Nothing, false, {"THE_ENDOFSONG 0"}, false, true},
        {"Play resumes, covered: paused again", Do::Play, true, {"setCommand 7", "setCommand 6"}, true, false},
        {"FForward plays on, then paused again", Do::Forward, true, {"FForward 5", "setCommand 6"}, true, false},
        {"Stop closes; no more ticks matter", Do::Stop, true, {"setCommand 1", "setCommand 5"}, false, false},
    };
    FakeCover cover;
    form.SetCoverWatch(&cover);
    Start();
    Open(std::string(kFilm));
    for (const Step& st : steps) {
        j.clear();
        cover.covered = st.covered;
        switch (st.act) {
            case Do::Nothing: break;
            case Do::Pause: form.mnuPause_Click(); break;
            case Do::Play: form.mnuPlay_Click(); break;
            case Do::Forward: form.mnuFF_Click(); break;
            case Do::Stop: form.mnuStop_Click(); break;
        }
        if (form.LoopTimerOn()) form.tmrLoop_Timer();
        fake::Journal film;
        for (const auto& e : Only("media: "))
            if (e.find("setCommand") != std::string::npos || e.find("END") != std::string::npos ||
                e.find("FForward") != std::string::npos)
                film.push_back(e.substr(7));
        EXPECT_EQ(film, st.film) << st.name;
        EXPECT_EQ(form.CoverPaused(), st.coverPaused) << st.name;
        EXPECT_EQ(form.m_blnPaused, st.userPaused) << st.name;
    }
}

TEST_F(Form1Test, WallpaperIsSavedOnlyOnceAcrossRestarts) {
    Start();
    Open(std::string(kFilm));
    form.mnuPlay_Click();  // restart while playing
    media.endAnswers = {true};
    form.tmrLoop_Timer();  // loop restart
    EXPECT_EQ(sys.sys_colors.size(), 1u);
    EXPECT_EQ(Count("ui: repaint"), 1u);
    form.mnuStop_Click();
    // The picture from before the first Play, not the blank of the clear.
    EXPECT_EQ(Applied(), "C:\\pic.bmp");
    ASSERT_FALSE(sys.wallpapers.empty());
    EXPECT_EQ(sys.wallpapers.back().path, "C:\\pic.bmp");
}

TEST_F(Form1Test, ARefusedMuteLeavesTheSoundStateAsItWas) {
    Start();
    media.audio_applies = false;
    form.mnuM_Click();
    EXPECT_FALSE(form.m_blnMuted);
    media.audio_applies = true;
    form.mnuM_Click();
    EXPECT_TRUE(form.m_blnMuted);
}

TEST_F(Form1Test, MuteTwiceGivesSoundBackAndIsNotResentForANewFilm) {
    Start();
    form.mnuM_Click();
    EXPECT_TRUE(form.m_blnMuted);
    form.mnuM_Click();
    EXPECT_FALSE(form.m_blnMuted);
    EXPECT_EQ(j, (fake::Journal{"media: SetAudioState 2 1", "media: SetAudioState 2 0"}));
    form.mnuM_Click();
    Open(std::string(kFilm));
    form.mnuStop_Click();
    Open(std::string(kOther));
    EXPECT_TRUE(form.m_blnMuted);
    EXPECT_EQ(Only("media: SetAudio").size(), 3u);
}

TEST_F(Form1Test, MenuSeeksUseFiveSeconds) {
    Start();
    form.mnuFF_Click();
    form.mnuFR_Click();
    EXPECT_EQ(j, (fake::Journal{"media: FForward 5", "media: FRewind 5"}));
}

TEST_F(Form1Test, UnplayableFileIsNotTreatedAsPlaying) {
    Start();
    media.nextOpen = OpenResult{263, "The specified device is not open or is not recognized by MCI."};
    Open(std::string("C:\\Films\\broken.avi"));
    EXPECT_FALSE(form.m_blnPlaying);
    EXPECT_FALSE(timer.on);
    EXPECT_FALSE(registry.WallpaperCleared);
    EXPECT_EQ(Applied(), "C:\\pic.bmp");
    ASSERT_EQ(trayApi.Balloons().size(), 1u);
    EXPECT_EQ(trayApi.Balloons().back(),
              "broken.avi: The specified device is not open or is not recognized by MCI.");
    // Nothing to stop afterwards, and the timer never asks about the film.
    j.clear();
    form.mnuStop_Click();
    EXPECT_TRUE(j.empty());
    // A playable file afterwards plays normally.
    media.nextOpen = OpenResult{};
    Open(std::string(kFilm));
    EXPECT_TRUE(form.m_blnPlaying);
    EXPECT_TRUE(timer.on);
}

TEST_F(Form1Test, FilmWhoseFileVanishedIsClosedWhenItsRestartFails) {
    Start();
    Open(std::string(kFilm));
    ASSERT_TRUE(media.openHoldsAlias);
    // The file is deleted while it plays: at its end the restart's open names no file
    // and MCI refuses it before it looks at the alias, which still holds the old film.
    media.openFailsEvenIfHeld = true;
    media.nextOpen = OpenResult{263, "The specified device is not open or is not recognized by MCI."};
    media.endAnswers = {true};
    form.tmrLoop_Timer();
    EXPECT_FALSE(media.openHoldsAlias) << "the old film was left loaded under the alias";
    EXPECT_FALSE(form.m_blnPlaying);
    EXPECT_FALSE(timer.on);
    EXPECT_EQ(Applied(), "C:\\pic.bmp");
    // The next film chosen is the one that plays.
    media.openFailsEvenIfHeld = false;
    media.nextOpen = OpenResult{};
    Open(std::string(kOther));
    EXPECT_EQ(media.loaded, std::string(kOther));
    EXPECT_TRUE(form.m_blnPlaying);
}

TEST_F(Form1Test, RestartOfTheLoadedFilmIsNotAFailure) {
    Start();
    Open(std::string(kFilm));
    ASSERT_TRUE(media.openHoldsAlias);
    form.mnuPlay_Click();
    EXPECT_TRUE(form.m_blnPlaying);
    EXPECT_TRUE(timer.on);
    EXPECT_EQ(trayApi.Balloons().back(), "clip.avi");
}

TEST_F(Form1Test, FailureBalloonTextIsCutToItsField) {
    Start();
    media.nextOpen = OpenResult{275, std::string(400, 'x')};
    Open(std::string(kFilm));
    const auto balloons = trayApi.Balloons();
    ASSERT_FALSE(balloons.empty());
    EXPECT_EQ(balloons.back().size(), kInfoChars - 1);
}

// A name the code page lost characters of ('?' in the dialog's answer) is shown as the wide
// API finds it, through the wide form; every other name stays on the ANSI form as it was.
TEST_F(Form1Test, BalloonNamesTheFileTheWideApiFindsOnlyForALossyName) {
    const std::string lossy = "C:\\Films\\????? ??.avi";
    const std::string real = "C:\\Films\\\xd0\xa4\xd0\xb8\xd0\xbb\xd1\x8c\xd0\xbc \xe6\x98\xa0\xe7\x94\xbb.avi";
    const std::string realName = real.substr(real.rfind('\\') + 1);
    const OpenResult refused{263, "not recognized"};
    const struct {
        const char* what;
        std::string path, realPath;
        OpenResult open;
        std::string wideName, ansiText;  // wideName "" for the ANSI form
    } rows[] = {
        {"lossy, plays", lossy, real, OpenResult{}, realName, ""},
        {"lossy, refused", lossy, real, refused, realName, ": not recognized"},
        {"lossy, no single match", lossy, "", refused, "", "????? ??.avi: not recognized"},
        {"a '?' only in a folder", "C:\\??\\clip.avi", "C:\\x\\clip.avi", OpenResult{}, "", "clip.avi"},
        {"plain", std::string(kFilm), std::string(kFilm), refused, "", "clip.avi: not recognized"},
    };
    Start();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        form.mnuStop_Click();
        trayApi.sent.clear();
        trayApi.timers.clear();
        media.realPath = row.realPath;
        media.nextOpen = row.open;
        Open(row.path);
        // The balloon and its 1.5 s; when they are up, the clearing call on the ANSI form.
        ASSERT_EQ(trayApi.sent.size(), 1u);
        const auto& shown = trayApi.sent[0];
        EXPECT_EQ(shown.name, row.wideName);
        EXPECT_STREQ(shown.record.szInfo, row.ansiText.c_str());
        EXPECT_STREQ(shown.record.szInfoTitle, kBalloonTitle);
        EXPECT_EQ(shown.record.dwInfoFlags, kBalloonInfoFlags);
        EXPECT_EQ(trayApi.timers, std::vector<std::uint32_t>{1500});
        tray.BalloonTimeUp();
        ASSERT_EQ(trayApi.sent.size(), 2u);
        EXPECT_EQ(trayApi.sent[1].name, "");
        EXPECT_STREQ(trayApi.sent[1].record.szInfo, "");
    }
}

// --- tray ----------------------------------------------------------------------

TEST_F(Form1Test, NineLeftClicksCycleTheTips) {
    Start();
    for (int i = 0; i < 9; ++i) form.Form_MouseMove(kWmLButtonUp);
    const std::vector<std::string> expected{"tip101", "tip102", "tip103", "tip104", "tip105",
                                            "tip106", "tip107", "tip108", "tip101"};
    EXPECT_EQ(trayApi.Balloons(), expected);
    EXPECT_EQ(form.m_lngTipIndex, 1);
    EXPECT_EQ(trayApi.timers.back(), 1500u);
}

TEST_F(Form1Test, RightClickOpensThePopupOtherMessagesDoNothing) {
    Start();
    for (std::uint32_t msg : {0x200u, 0x201u, 0x203u, 0x204u, 0x206u}) form.Form_MouseMove(msg);
    EXPECT_TRUE(j.empty());
    EXPECT_EQ(form.m_lngTrayMessage, 0x206);
    form.Form_MouseMove(kWmRButtonUp);
    EXPECT_EQ(j, (fake::Journal{"ui: popup"}));
    EXPECT_FALSE(form.m_blnTrayBusy);
}

TEST_F(Form1Test, NotificationsWhileBusyAreIgnored) {
    Start();
    form.m_blnTrayBusy = true;  // as while the popup menu's own loop runs
    form.Form_MouseMove(kWmRButtonUp);
    form.Form_MouseMove(kWmLButtonUp);
    EXPECT_TRUE(j.empty());
    EXPECT_EQ(form.m_lngTipIndex, 0);
    EXPECT_EQ(form.m_lngTrayMessage, static_cast<std::int32_t>(kWmLButtonUp));
}

// A film plays on the desktop (hidden with Hide Desktop, paused or not) when the
// desktop changes under it; what Mevra then sends the player, and whether the
// Hide Desktop toggle starts over. "NEW" stands for the new desktop window.
TEST_F(Form1Test, DesktopChangesUnderAPlayingFilm) {
    using Rig = ShellRig;
    auto nothing = [](Rig&) {};
    auto restart = [](Rig& r) {
        r.tree.Remove(r.progman);
        r.progman = r.tree.Add(0, "Progman", "Program Manager");
    };
    auto tick = [](Rig& r) { r.form.tmrLoop_Timer(); };
    auto taskbar = [](Rig& r) { r.form.OnTaskbarCreated(); };
    struct Case {
        const char* name;
        bool paused;
        std::function<void(Rig&)> change, event;
        fake::Journal sent;  // the player's part of the journal
        bool toggleReset;
    };
    const Case cases[] = {
        {"Explorer announces itself, same desktop, paused", true, nothing, taskbar, {}, false},
        {"a tick, same desktop", false, nothing, tick, {"media: THE_ENDOFSONG 0"}, false},
        {"resized", false, [](Rig& r) { r.tree.Get(r.progman)->size = {1280, 1024}; },
         [](Rig& r) { r.form.OnDisplayChange(); }, {"media: PutWindow 1280 1024"}, false},
        {"gone", false, [](Rig& r) { r.tree.Remove(r.progman); }, tick,
         {"media: THE_ENDOFSONG 0"}, false},
        {"gone, back on a later tick", false, [](Rig& r) { r.tree.Remove(r.progman); },
         [&](Rig& r) {
             tick(r);
             r.progman = r.tree.Add(0, "Progman", "Program Manager");
             tick(r);
         },
         {"media: THE_ENDOFSONG 0", "media: PositionMs", "media: hwndParent NEW",
          "media: ReopenAt 4200", "media: THE_ENDOFSONG 0"},
         true},
        {"gone while the film ends and Loop restarts it, back with Explorer", false,
         [](Rig& r) { r.tree.Remove(r.progman); },
         [&](Rig& r) {
             tick(r);
             r.media.endAnswers = {true};
             tick(r);
             r.progman = r.tree.Add(0, "Progman", "Program Manager");
             taskbar(r);
         },
         {"media: THE_ENDOFSONG 0", "media: THE_ENDOFSONG 0", "media: Filename C:\\Films\\clip.avi",
          "media: hwndParent OLD", "media: PlayMEDIAFILE 0", "media: PositionMs",
          "media: hwndParent NEW", "media: ReopenAt 4200"},
         true},
        {"replaced, playing", false, restart, taskbar,
         {"media: PositionMs", "media: hwndParent NEW", "media: ReopenAt 4200"}, true},
        {"replaced, paused", true, restart, [](Rig& r) { r.form.OnResume(); },
         {"media: PositionMs", "media: hwndParent NEW", "media: ReopenAt 4200 paused"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        AddUserDesktop(r);
        ASSERT_TRUE(r.form.Form_Initialize());
        r.form.Form_Load(kSelf);
        r.dialog.choices.push_back(std::string(kFilm));
        r.form.mnuFName_Click();
        if (c.paused) r.form.mnuPause_Click();
        r.form.mnuHD_Click();
        r.media.position = 4200;
        const Hwnd old = r.progman;
        const std::size_t wallpapers = r.sys.wallpapers.size();
        c.change(r);
        r.j.clear();
        c.event(r);

        fake::Journal sent;
        for (const std::string& e : r.j)
            if (e.rfind("media: ", 0) == 0) sent.push_back(e);
        fake::Journal expected = c.sent;
        for (std::string& e : expected)
            if (e == "media: hwndParent NEW") e = "media: hwndParent " + std::to_string(r.progman);
            else if (e == "media: hwndParent OLD") e = "media: hwndParent " + std::to_string(old);
        EXPECT_EQ(sent, expected);
        EXPECT_EQ(r.media.hwndParent(), r.progman);
        EXPECT_TRUE(r.timer.on);
        EXPECT_TRUE(r.form.m_blnPlaying);
        EXPECT_EQ(r.form.m_blnPaused, c.paused);
        EXPECT_EQ(r.sys.wallpapers.size(), wallpapers) << "the wallpaper came back meanwhile";
        EXPECT_EQ(r.form.m_blnDesktopHidden, !c.toggleReset);
        EXPECT_EQ(r.form.Checked(MenuItem::mnuHD), !c.toggleReset);
        EXPECT_EQ(r.form.m_hwndDesktop, r.progman);
    }
}

TEST_F(Form1Test, ShellThatNeverComesBackLeavesTheFilmOnAHostOfItsOwn) {
    Start();
    Open(std::string(kFilm));
    media.position = 1500;
    tree.Remove(progman);
    for (int i = 1; i < kShellReturnChecks; ++i) form.tmrLoop_Timer();
    EXPECT_EQ(host.created, 0) << "no waiting for the shell";
    j.clear();
    form.tmrLoop_Timer();
    const Hwnd own = host.Window();
    ASSERT_NE(own, 0);
    EXPECT_EQ(Only("media: "),
              (fake::Journal{"media: PositionMs", "media: hwndParent " + std::to_string(own),
                             "media: ReopenAt 1500", "media: PutDestination 1024 740",
                             "media: THE_ENDOFSONG 0"}));
    EXPECT_EQ(form.m_hwndDesktop, own);
    form.mnuStop_Click();
    EXPECT_EQ(host.Window(), 0);
    EXPECT_EQ(Applied(), "C:\\pic.bmp");
}

TEST_F(Form1Test, ExplorerRestartWithNoFilmRunningOnlyReconnects) {
    Start();
    Open(std::string(kFilm));
    form.mnuStop_Click();
    j.clear();
    form.OnTaskbarCreated();
    EXPECT_EQ(Count("media: PlayMEDIAFILE 0"), 0u);
    EXPECT_EQ(Count("tray: add"), 1u);
    EXPECT_FALSE(timer.on);
}

// --- desktop and settings toggles ------------------------------------------

TEST_F(Form1Test, HideDesktopTwiceHidesThenShows) {
    Start();
    form.mnuHD_Click();
    EXPECT_TRUE(form.m_blnDesktopHidden);
    EXPECT_TRUE(menu.checked[MenuItem::mnuHD]);
    form.mnuHD_Click();
    EXPECT_FALSE(menu.checked[MenuItem::mnuHD]);
    ASSERT_EQ(sys.shows.size(), 2u);
    EXPECT_EQ(sys.shows[0].window, progman);
    EXPECT_EQ(sys.shows[0].command, kSwHide);
    EXPECT_EQ(sys.shows[1].command, kSwShow);
}

TEST_F(Form1Test, ShowDesktopDoesNotResetTheHideToggle) {
    Start();
    form.mnuHD_Click();  // hide
    form.mnuSD_Click();  // show; toggle still says hidden
    EXPECT_TRUE(form.m_blnDesktopHidden);
    EXPECT_TRUE(form.Checked(MenuItem::mnuHD));
    EXPECT_TRUE(form.Enabled(MenuItem::mnuHD));
    EXPECT_FALSE(form.Enabled(MenuItem::mnuSD));
    EXPECT_EQ(Count("ui: repaint"), 1u);
    form.mnuHD_Click();  // only unchecks; the desktop stays shown
    EXPECT_FALSE(form.Checked(MenuItem::mnuHD));
    form.mnuHD_Click();  // hides again
    std::vector<std::int32_t> commands;
    for (const auto& s : sys.shows) commands.push_back(s.command);
    EXPECT_EQ(commands, (std::vector<std::int32_t>{kSwHide, kSwShow, kSwShow, kSwHide}));
    EXPECT_TRUE(form.Checked(MenuItem::mnuHD));
}

TEST_F(Form1Test, StartUpAbsentAtStartIsWrittenThenRemoved) {
    Start();
    EXPECT_FALSE(form.Checked(MenuItem::mnuSt));
    form.mnuSt_Click();
    EXPECT_TRUE(form.Checked(MenuItem::mnuSt));
    EXPECT_TRUE(menu.checked[MenuItem::mnuSt]);
    EXPECT_TRUE(registry.IsStartupSet());
    form.mnuSt_Click();
    EXPECT_FALSE(form.Checked(MenuItem::mnuSt));
    EXPECT_FALSE(registry.IsStartupSet());
    const std::string shell = reg.Bytes(kHkeyLocalMachine, kWinlogonKey, "Shell");
    EXPECT_EQ(shell.rfind("explorer.exe", 0), 0u);
}

TEST_F(Form1Test, StartUpPresentAtStartIsCheckedAndAClickRemovesIt) {
    registry.SetStartup(true);
    Start();
    EXPECT_TRUE(form.Checked(MenuItem::mnuSt));
    EXPECT_TRUE(menu.checked[MenuItem::mnuSt]);
    form.mnuSt_Click();
    EXPECT_FALSE(form.Checked(MenuItem::mnuSt));
    EXPECT_FALSE(registry.IsStartupSet());
}

TEST_F(Form1Test, HideShortcutArrowFollowsTheStateReadAtStart) {
    struct Case {
        bool lnk, pif;         // IsShortcut present under lnkfile / piffile at start
        bool checkedAtStart;   // arrow hidden means checked
    };
    for (const Case c : {Case{true, true, false}, Case{false, false, true}, Case{true, false, true},
                         Case{false, true, false}}) {
        SCOPED_TRACE(testing::Message() << "lnk " << c.lnk << " pif " << c.pif);
        ShellRig rig;
        auto& r = rig.reg;
        auto& rm = rig.registry;
        auto& mn = rig.menu;
        auto& f = rig.form;
        r.AddKey(kHkeyClassesRoot, "lnkfile");
        r.AddKey(kHkeyClassesRoot, "piffile");
        if (c.lnk) r.PutRaw(kHkeyClassesRoot, "lnkfile", "IsShortcut", kRegSz, {0});
        if (c.pif) r.PutRaw(kHkeyClassesRoot, "piffile", "IsShortcut", kRegSz, {0});
        ASSERT_TRUE(f.Form_Initialize());
        f.Form_Load(kSelf);
        EXPECT_EQ(f.Checked(MenuItem::mnuArrow), c.checkedAtStart);
        EXPECT_EQ(mn.checked[MenuItem::mnuArrow], c.checkedAtStart);

        f.mnuArrow_Click();
        const bool hidden = !c.checkedAtStart;
        EXPECT_EQ(f.Checked(MenuItem::mnuArrow), hidden);
        EXPECT_EQ(rm.ArrowHidden, hidden);
        for (const char* key : {"lnkfile", "piffile"})
            EXPECT_EQ(r.Find(kHkeyClassesRoot, key, "IsShortcut") == nullptr, hidden) << key;
    }
}

// A click ticks or unticks only what Windows took; otherwise the mark stays and a
// balloon says why.
TEST(Form1Settings, CheckMarksFollowWhatWindowsHolds) {
    enum class Lock { none, readOnly, virtualised, missing };
    struct Case { const char* name; Lock lock; const char* balloon; } cases[] = {
        {"written", Lock::none, nullptr},
        {"access denied", Lock::readOnly, " needs administrator rights."},
        {"virtual store, real path unchanged", Lock::virtualised, " needs administrator rights."},
        {"key missing", Lock::missing, " could not be changed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShellRig rig;
        AddUserDesktop(rig);
        auto& r = rig.reg;
        r.PutRaw(kHkeyClassesRoot, "piffile", "IsShortcut", kRegSz, {0});
        for (auto [hive, key] : {std::pair{kHkeyClassesRoot, "lnkfile"}, {kHkeyClassesRoot, "piffile"},
                                 {kHkeyLocalMachine, kWinlogonKey}}) {
            if (c.lock == Lock::readOnly) r.MakeReadOnly(hive, key);
            if (c.lock == Lock::virtualised) r.Virtualise(hive, key);
        }
        ASSERT_TRUE(rig.form.Form_Initialize());
        rig.form.Form_Load(kSelf);
        ASSERT_FALSE(rig.menu.checked[MenuItem::mnuArrow]);
        ASSERT_FALSE(rig.menu.checked[MenuItem::mnuSt]);
        if (c.lock == Lock::missing) {
            r.Remove(kHkeyClassesRoot, "lnkfile");
            r.Remove(kHkeyLocalMachine, kWinlogonKey);
        }
        rig.trayApi.sent.clear();

        rig.form.mnuArrow_Click();
        rig.form.mnuSt_Click();
        const bool written = c.balloon == nullptr;
        EXPECT_EQ(rig.menu.checked[MenuItem::mnuArrow], written);
        EXPECT_EQ(rig.menu.checked[MenuItem::mnuSt], written);
        std::vector<std::string> want;
        if (!written) want = {std::string("Hide Shortcut Arrow") + c.balloon, std::string("StartUp") + c.balloon};
        EXPECT_EQ(rig.trayApi.Balloons(), want);
    }
}

TEST_F(Form1Test, AboutAndExitGoThroughTheWindowServices) {
    Start();
    EXPECT_TRUE(form.OnMenuCommand(MenuItem::mnuAbout));
    EXPECT_TRUE(form.OnMenuCommand(MenuItem::mnuExit));
    EXPECT_FALSE(form.OnMenuCommand(MenuItem::mnuCon));
    EXPECT_EQ(j, (fake::Journal{"ui: about", "ui: close"}));
}

}  // namespace
}  // namespace mevra
