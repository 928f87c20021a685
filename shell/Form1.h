#pragma once
// Form1: the hidden main window's state and command logic. It holds the
// playback state, runs the menu commands, the loop timer, the tray
// notifications and the start-up and shutdown sequences, and reaches Windows
// only through the parts it is given. The window itself is in Form1_win.cpp.
#include <cstdint>
#include <string>
#include "base/Types.h"
#include "shell/HOTKEYmod.h"
#include "shell/ShellPorts.h"

namespace mevra {

class MediaPlayer;
class RegistryMod;
enum class SettingChange;
class DesktopMod;
class DesktopLayer;
class Systray;
class OpenDialog;

constexpr std::uint32_t kLoopIntervalMs = 500;
constexpr std::uint32_t kWmLButtonUp = 0x202;
constexpr std::uint32_t kWmRButtonUp = 0x205;
constexpr std::int32_t kTipIdBase = 100;
constexpr std::int32_t kTipCount = 8;
constexpr char kStartBalloonText[] = "Mevratop";
// After a setting's caption, when Windows kept the setting as it was.
constexpr char kNeedsAdminText[] = " needs administrator rights.";
constexpr char kNotChangedText[] = " could not be changed.";
constexpr char kOpenDialogTitle[] = "  OPEN MEDIA FILE";
constexpr std::int32_t kBannerLeft = 6;
constexpr std::int32_t kBannerTop = 247;
constexpr std::int32_t kOpenDialogHeight = 307;
// The open dialog's filter: description / pattern pairs, each element NUL-ended.
extern const std::string kMovieFilter;

constexpr std::int32_t kMenuSeekSeconds = 5;

struct Form1Parts {
    MediaPlayer& media;  // m_objMedia, the film's player
    RegistryMod& registry;
    DesktopMod& desktop;
    Systray& tray;
    LoopTimer& timer;
    MenuChecks& menu;
    ShellUi& ui;
    OpenDialog& dialog;
    HOTKEYmod& hotkeys;
    DesktopLayer& layer;  // the window the film goes into
};

class Form1 final : public HotkeyTarget {
public:
    explicit Form1(const Form1Parts& parts);

    // Start-up: false when another instance runs (nothing has been touched then).
    bool Form_Initialize();
    void Form_Load(Hwnd self);
    // Shutdown, in this order.
    void Form_QueryUnload();
    void Form_Unload();
    // Logoff or shutdown is coming: the film stops and the wallpaper is back.
    void Form_EndSession();

    // Menu handlers.
    void mnuFName_Click();
    void mnuPlay_Click();
    void mnuPause_Click();
    void mnuStop_Click();
    void mnuFF_Click();
    void mnuFR_Click();
    void mnuM_Click();
    void mnuloop_Click();
    void mnuHD_Click();
    void mnuSD_Click();
    void mnuArrow_Click();
    void mnuSt_Click();
    void mnuAbout_Click();
    void mnuExit_Click();
    // Runs the handler of a menu item; false for items without a command.
    bool OnMenuCommand(MenuItem item);

    // Public methods, reached by the hotkeys.
    void OPENVIDEO() override { mnuFName_Click(); }
    void Play() override { mnuPlay_Click(); }
    void Paused() override { mnuPause_Click(); }
    void StopPlay() override { mnuStop_Click(); }
    void Mute() override { mnuM_Click(); }
    void HDesktop() override { mnuHD_Click(); }
    void SDesktop() override { mnuSD_Click(); }
    bool FilmBusy() const override { return filmBusy_; }

    void tmrLoop_Timer();
    // The tray icon's notification; mouseMessage is the icon's mouse message.
    void Form_MouseMove(std::uint32_t mouseMessage);
    // Explorer has restarted: the tray icon and the desktop windows are new.
    void OnTaskbarCreated();
    // The desktop may have changed under the film: each checks the film's window again.
    void OnDisplayChange();
    void OnWorkAreaChange();
    void OnResume();
    void OnSessionUnlock();

    // State, readable for the window glue and the tests.
    Hwnd hWnd() const { return hwnd_; }
    Hwnd m_hwndDesktop = 0;
    std::string filmname;
    bool m_blnPlaying = false;
    bool m_blnPaused = false;
    bool m_blnMuted = false;
    bool m_blnDesktopHidden = false;
    std::int32_t m_lngTrayMessage = 0;
    bool m_blnTrayBusy = false;
    std::int32_t m_lngTipIndex = 0;

    bool LoopTimerOn() const { return timerOn_; }
    // The desktop watch; without one the film never pauses for a covered desktop.
    void SetCoverWatch(CoverWatch* watch) { cover_ = watch; }
    // Paused because nobody can see the desktop (not the user's Pause).
    bool CoverPaused() const { return coverPaused_; }
    bool Checked(MenuItem item) const;
    bool Enabled(MenuItem item) const;

private:
    void StopFilm();
    // The film's desktop window: found before an open, checked while it plays.
    void UseLayerForPlay();
    void SettleFilm();
    void RevalidateLayer(bool full);
    void MoveFilmToLayer();
    void ResizeFilm();
    void FollowIconsWindow();
    void HideDesktopWindows(bool hide);
    void CheckCovered();
    void SetTimer(bool on);
    // The hotkey tip at index (1 to kTipCount), naming the key in force.
    std::string TipText(std::int32_t index);
    // The balloon about the film: its name, then rest.
    void ShowFilmBalloon(const std::string& rest);
    void SayUnchanged(const std::string& setting, SettingChange why);
    void SetChecked(MenuItem item, bool checked);
    void SetEnabled(MenuItem item, bool enabled);

    Form1Parts p_;
    Hwnd hwnd_ = 0;
    bool timerOn_ = false;
    CoverWatch* cover_ = nullptr;
    bool coverPaused_ = false;
    bool dialogOpen_ = false;  // the open dialog is up
    bool unloaded_ = false;    // the window is being taken down
    bool loopRestart_ = false;  // the loop timer is starting the film again
    bool filmBusy_ = false;     // a film command or a loop tick is running
    // Check marks and enabled states of the items that have them.
    bool hdChecked_ = false, arrowChecked_ = false, loopChecked_ = true, stChecked_ = false;
    bool hdEnabled_ = true, sdEnabled_ = false;
};

}  // namespace mevra
