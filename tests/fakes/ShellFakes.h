#pragma once
// Recording fakes for the main window's parts: the film's player, the tray,
// the loop timer, the menu, the window services, the open dialog and the
// hotkey registration. They all write into one shared journal, so a test can
// check the order of what the shell did across all of them.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>
#include "dialogs/CDialogEX.h"
#include "media/MediaPlayer.h"
#include "shell/HOTKEYmod.h"
#include "shell/ShellPorts.h"
#include "shell/Systray.h"

namespace mevra::fake {

using Journal = std::vector<std::string>;

class RecordingPlayer final : public MediaPlayer {
public:
    explicit RecordingPlayer(Journal& j) : j_(j) {}

    // Arranged by the test.
    std::deque<bool> endAnswers;  // THE_ENDOFSONG answers, false once used up
    OpenResult nextOpen;          // what the next PlayMEDIAFILE reports
    bool openHoldsAlias = false;  // true after a successful open until "close"
    std::string loaded;           // the file the device holds, "" when closed
    bool openFailsEvenIfHeld = false;  // the open is refused before the alias is looked at
    std::int32_t position = 0;         // what PositionMs answers
    std::function<void(Hwnd parent)> onOpen;  // a successful open made the film's window
    std::string realPath;              // what FilenameUtf8 answers

    std::string AliasName() const override { return alias_; }
    void SetAliasName(const std::string& a) override { alias_ = a; }
    Hwnd hwndParent() const override { return parent_; }
    void SethwndParent(Hwnd h) override {
        parent_ = h;
        Log("hwndParent " + std::to_string(h));
    }
    std::string Filename() const override { return file_; }
    void SetFilename(const std::string& f) override {
        file_ = f;
        Log("Filename " + f);
    }
    std::string FilenameUtf8() const override { return realPath; }
    bool setCommand(int cmd, const std::string& = "", std::int32_t = 0) override {
        Log("setCommand " + std::to_string(cmd));
        if (cmd == 5) {
            openHoldsAlias = false;
            loaded.clear();
        }
        return true;
    }
    OpenResult PlayMEDIAFILE(std::int32_t where = 0) override {
        Log("PlayMEDIAFILE " + std::to_string(where));
        // A loaded film keeps the alias: the open fails with 289 and the film restarts.
        if (openFailsEvenIfHeld) return nextOpen;
        if (openHoldsAlias) return OpenResult{kMciErrDuplicateAlias, "alias in use"};
        if (nextOpen.code == 0) {
            openHoldsAlias = true;
            loaded = file_;
            if (onOpen) onOpen(parent_);
        }
        return nextOpen;
    }
    std::int32_t PositionMs() override {
        Log("PositionMs");
        return position;
    }
    OpenResult ReopenAt(std::int32_t ms, bool paused) override {
        Log("ReopenAt " + std::to_string(ms) + (paused ? " paused" : ""));
        openHoldsAlias = false;
        if (nextOpen.code == 0) {
            openHoldsAlias = true;
            loaded = file_;
            if (onOpen) onOpen(parent_);
        }
        return nextOpen;
    }
    void PutWindow(std::int32_t w, std::int32_t h) override {
        Log("PutWindow " + std::to_string(w) + " " + std::to_string(h));
    }
    void PutDestination(std::int32_t w, std::int32_t h) override {
        Log("PutDestination " + std::to_string(w) + " " + std::to_string(h));
    }
    void FForward(std::int32_t n) override { Log("FForward " + std::to_string(n)); }
    void FRewind(std::int32_t n) override { Log("FRewind " + std::to_string(n)); }
    bool SetAudioState(std::int32_t ch, std::int32_t pos) override {
        Log("SetAudioState " + std::to_string(ch) + " " + std::to_string(pos));
        return audio_applies;
    }
    bool audio_applies = true;  // false: the player refuses the mute
    bool THE_ENDOFSONG(std::int32_t t) override {
        Log("THE_ENDOFSONG " + std::to_string(t));
        if (endAnswers.empty()) return false;
        const bool a = endAnswers.front();
        endAnswers.pop_front();
        return a;
    }

private:
    void Log(const std::string& s) { j_.push_back("media: " + s); }
    Journal& j_;
    std::string alias_ = "MYPLAYER";
    std::string file_;
    Hwnd parent_ = 0;
};

class FakeTrayApi final : public TrayApi {
public:
    explicit FakeTrayApi(Journal& j) : j_(j) {}
    struct Sent {
        std::uint32_t message;
        TrayIconRecord record;
        std::string name;  // the UTF-8 name in front of szInfo, for the wide form
    };
    std::vector<Sent> sent;
    std::vector<std::uint32_t> timers;  // each start of the balloon timer
    bool timerRunning = false;
    bool realtime = false;  // the shell is Vista's or later

    bool NotifyIcon(std::uint32_t message, const TrayIconRecord& record) override {
        sent.push_back({message, record});
        std::string what = message == kNimAdd ? "add" : message == kNimDelete ? "delete" : "modify";
        if (message == kNimModify) what += std::string(" ") + record.szInfo;  // up to the NUL
        j_.push_back("tray: " + what);
        return true;
    }
    bool NotifyIconNamed(std::uint32_t message, const TrayIconRecord& record,
                         const std::string& name) override {
        sent.push_back({message, record, name});
        j_.push_back("tray: modify wide " + name + record.szInfo);
        return true;
    }
    void StartBalloonTimer(Hwnd, std::uint32_t ms) override {
        timers.push_back(ms);
        timerRunning = true;
        j_.push_back("tray: timer " + std::to_string(ms));
    }
    void StopBalloonTimer(Hwnd) override {
        timerRunning = false;
        j_.push_back("tray: timer off");
    }
    bool RealtimeBalloons() override { return realtime; }
    // The balloon texts shown (clearing calls left out), a wide one's name in front.
    std::vector<std::string> Balloons() const {
        std::vector<std::string> out;
        for (const auto& s : sent)
            if (s.message == kNimModify && (s.record.szInfo[0] != '\0' || !s.name.empty()))
                out.push_back(s.name + s.record.szInfo);
        return out;
    }

private:
    Journal& j_;
};

class FakeTimer final : public LoopTimer {
public:
    explicit FakeTimer(Journal& j) : j_(j) {}
    bool on = false;
    std::uint32_t interval = 0;
    void Start(std::uint32_t ms) override {
        on = true;
        interval = ms;
        j_.push_back("timer: start " + std::to_string(ms));
    }
    void Stop() override {
        on = false;
        j_.push_back("timer: stop");
    }

private:
    Journal& j_;
};

class FakeMenu final : public MenuChecks {
public:
    explicit FakeMenu(Journal& j) : j_(j) {}
    std::map<MenuItem, bool> checked, enabled;
    void SetChecked(MenuItem item, bool c) override {
        checked[item] = c;
        j_.push_back("menu: check " + std::to_string(static_cast<int>(item)) + (c ? " on" : " off"));
    }
    void SetEnabled(MenuItem item, bool e) override {
        enabled[item] = e;
        j_.push_back("menu: enable " + std::to_string(static_cast<int>(item)) + (e ? " on" : " off"));
    }

private:
    Journal& j_;
};

class FakeUi final : public ShellUi {
public:
    explicit FakeUi(Journal& j) : j_(j) {}
    bool otherInstance = false;
    std::intptr_t icon = 0x777;
    Hwnd banner = 0x4242;

    bool AnotherInstanceRunning() override { return Log("instance check"), otherInstance; }
    void SetupMenuStyle() override { Log("menu style"); }
    void InstallMainWindowProc() override { Log("install proc"); }
    void RemoveMainWindowProc() override { Log("remove proc"); }
    void UnhookMenus() override { Log("unhook menus"); }
    void CloseMainWindow() override { Log("close"); }
    std::intptr_t TrayIcon() override { return icon; }
    Hwnd BannerWindow() override { return banner; }
    void RepaintAll() override { Log("repaint"); }
    void ShowPopupMenu() override { Log("popup"); }
    std::string LoadTip(std::int32_t id) override { return "tip" + std::to_string(id); }
    void ShowAbout() override { Log("about"); }

private:
    void Log(const std::string& s) { j_.push_back("ui: " + s); }
    Journal& j_;
};

// Answers each ShowOpen with the next scripted choice: a path, or nullopt for Cancel.
class FakeDialog final : public OpenDialog {
public:
    explicit FakeDialog(Journal& j) : j_(j) {}
    std::deque<std::optional<std::string>> choices;
    std::function<void()> whileOpen;  // runs inside ShowOpen, as messages do in its modal loop
    std::string filter, title;
    Hwnd owner = 0, preview = 0;
    std::int32_t previewLeft = 0, previewTop = 0, height = 0;

    void SetFilter(const std::string& f) override { filter = f; }
    void SetPreviewWindow(Hwnd w, std::int32_t l, std::int32_t t) override {
        preview = w;
        previewLeft = l;
        previewTop = t;
        j_.push_back("dialog: preview");
    }
    void SetDialogHeight(std::int32_t h) override { height = h; }
    void ShowOpen(Hwnd o, const std::string&, const std::optional<std::string>&,
                  const std::string& t) override {
        owner = o;
        title = t;
        j_.push_back("dialog: show");
        if (whileOpen) whileOpen();
        if (choices.empty()) return;
        if (choices.front()) last_ = *choices.front();
        choices.pop_front();
    }
    std::string LastOpenedFile() const override { return last_; }

private:
    Journal& j_;
    std::string last_;
};

class FakeHotkeyApi final : public HotkeyApi {
public:
    explicit FakeHotkeyApi(Journal& j) : j_(j) {}
    using Combo = std::pair<std::uint32_t, std::uint32_t>;
    std::set<Combo> heldElsewhere;  // combinations another program owns
    std::map<std::int32_t, Combo> registered;
    std::vector<std::tuple<Hwnd, std::int32_t, std::uint32_t, std::uint32_t>> registerCalls;
    std::vector<std::int32_t> unregisterCalls;

    bool Register(Hwnd h, std::int32_t id, std::uint32_t mods, std::uint32_t key) override {
        registerCalls.emplace_back(h, id, mods, key);
        j_.push_back("hotkey: register " + std::to_string(id));
        if (heldElsewhere.count({mods, key})) return false;
        registered[id] = {mods, key};
        return true;
    }
    bool Unregister(Hwnd, std::int32_t id) override {
        unregisterCalls.push_back(id);
        j_.push_back("hotkey: unregister " + std::to_string(id));
        return registered.erase(id) != 0;
    }

private:
    Journal& j_;
};

}  // namespace mevra::fake
