#include "shell/Form1.h"

#include <array>
#include "base/Report.h"
#include "desktop/DesktopLayer.h"
#include "desktop/DesktopMod.h"
#include "desktop/RegistryMod.h"
#include "dialogs/CDialogEX.h"
#include "dialogs/StringMod.h"
#include "media/MediaPlayer.h"
#include "shell/HotkeyKeys.h"
#include "shell/Systray.h"

namespace mevra {

const std::string kMovieFilter = std::string("Movie (*.dat;*.mpg;*.avi;*.asf;*.wmv)") + '\0' +
                                 "*.dat;*.mpg;*.avi;*.asf;*.wmv" + '\0' + "Other Mov(*.mov)" + '\0' +
                                 "*.mov" + '\0' + "Modern film (*.mp4;*.m4v;*.mkv;*.webm;*.mov;*.3gp)" + '\0' +
                                 "*.mp4;*.m4v;*.mkv;*.webm;*.mov;*.3gp" + '\0' + "All files (*.*)" + '\0' +
                                 "*.*" + '\0';

namespace {

// The hotkey row each tip (resource kTipIdBase + 1 on) names.
constexpr std::array<std::size_t, kTipCount> kTipRows{4, 3, 6, 5, 7, 0, 1, 2};

// Sets a flag for a scope and puts its old value back on every way out.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = old_; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
    const bool old_;
};

}  // namespace

Form1::Form1(const Form1Parts& parts) : p_(parts) {}

bool Form1::Form_Initialize() {
    if (p_.ui.AnotherInstanceRunning()) return false;
    m_blnPaused = false;
    m_blnMuted = false;
    p_.registry.WallpaperCleared = false;
    // A run that died with the wallpaper cleared left its journal: mend that first.
    Attempt("apply a leftover wallpaper journal", [&] { p_.registry.ApplyLeftoverJournal(); });
    Attempt("switch the screen saver off", [&] {
        p_.desktop.SuspendScreenSaver(p_.registry.ScreenSaverLocks());
    });
    return true;
}

void Form1::Form_Load(Hwnd self) {
    hwnd_ = self;
    Attempt("find the desktop layer", [&] { m_hwndDesktop = p_.layer.Find().icons; });
    Attempt("give the player its parent", [&] { p_.media.SethwndParent(p_.layer.Current().parent); });
    Attempt("hook the menus", [&] { p_.ui.SetupMenuStyle(); });
    Attempt("add the tray icon", [&] {
        p_.tray.SetOwner(hwnd_);
        p_.tray.SetTrayIcon(p_.ui.TrayIcon(), kTrayTip, false);
    });
    Attempt("show the start balloon", [&] {
        p_.tray.ShowTrayBalloon(kStartBalloonText, kBalloonTitle, kBalloonInfoFlags, true,
                                kStartBalloonMs);
    });
    Attempt("set up the open dialog", [&] {
        p_.dialog.SetPreviewWindow(p_.ui.BannerWindow(), kBannerLeft, kBannerTop);
        p_.dialog.SetDialogHeight(kOpenDialogHeight);
    });
    Attempt("install the hotkey procedure", [&] { p_.ui.InstallMainWindowProc(); });
    std::string held;
    for (std::size_t i = 0; i < p_.hotkeys.m_keys.size(); ++i) {
        const HotkeyRow& row = p_.hotkeys.m_keys[i];
        Attempt("add a hotkey", [&] {
            if (!p_.hotkeys.AddHotKey(hwnd_, row.modifiers, row.key))
                held += std::string(held.empty() ? "" : ", ") + kHotkeyValueNames[i] + " (" +
                        ChordText(row.modifiers, row.key) + ")";
        });
    }
    // Most often another program holds the key; the other keys still work.
    if (!held.empty())
        Attempt("show the keys in use elsewhere", [&] {
            p_.tray.ShowTrayBalloon("In use by another program: " + held, kBalloonTitle,
                                    kBalloonInfoFlags, true, kBalloonMs);
        });
    Attempt("read the shortcut arrow", [&] {
        p_.registry.ReadArrowState();
        SetChecked(MenuItem::mnuArrow, p_.registry.ArrowHidden);
    });
    Attempt("read the start-up entry",
            [&] { SetChecked(MenuItem::mnuSt, p_.registry.IsStartupSet()); });
}

void Form1::Form_QueryUnload() {
    unloaded_ = true;
    // The hotkey procedure went on last, so it comes off first.
    p_.ui.RemoveMainWindowProc();
    p_.ui.UnhookMenus();
}

void Form1::Form_Unload() {
    // Each part is taken down even if an earlier one fails.
    Attempt("stop the film", [&] { StopFilm(); });
    Attempt("remove the tray icon", [&] {
        p_.tray.SetOwner(hwnd_);
        p_.tray.SetTrayIcon(p_.ui.TrayIcon(), kTrayTip, true);
    });
    Attempt("remove the hotkeys", [&] { p_.hotkeys.RemoveHotKeys(hwnd_); });
    Attempt("give the screen saver back", [&] { p_.desktop.RestoreScreenSaver(); });
}

void Form1::Form_EndSession() {
    // Windows may end the process at any moment from here on: give the wallpaper back now.
    Attempt("session end: stop the film", [&] { StopFilm(); });
    Attempt("session end: give the screen saver back", [&] { p_.desktop.RestoreScreenSaver(); });
    // Stopped for good: the unload that follows has nothing left to do.
    m_blnPlaying = false;
}

// --- playback -------------------------------------------------------------

void Form1::StopFilm() {
    // A Play still opening its film has already taken the wallpaper: Stop gives it back.
    if (!m_blnPlaying && !p_.registry.WallpaperCleared) return;
    // Stopped for good: a later Stop, Open or Exit must not put the old wallpaper
    // back over one the user has chosen since.
    m_blnPlaying = false;
    coverPaused_ = false;
    p_.media.setCommand(kCmdStop);
    p_.media.setCommand(kCmdClose);
    p_.layer.FilmClosed();
    p_.registry.ManageWallpaper(kWallpaperRestore);
    m_blnPaused = false;
    SetTimer(false);
}

void Form1::mnuFName_Click() {
    // The dialog is modal, but hotkeys still arrive while it is open: a second
    // one would share (and spoil) the first one's record.
    if (dialogOpen_) return;
    SetTimer(false);
    if (m_blnPlaying) {
        StopFilm();
        m_blnPlaying = false;
    }
    p_.dialog.SetFilter(kMovieFilter);
    {
        FlagGuard open(dialogOpen_);
        p_.dialog.ShowOpen(hwnd_, "", std::nullopt, kOpenDialogTitle);
    }
    // Exit chosen from the tray while the dialog was open: nothing more to play.
    if (unloaded_) return;
    // A film started by a hotkey or the tray while the dialog was up holds the
    // device; the Play below would only restart it instead of the chosen file.
    if (m_blnPlaying) {
        StopFilm();
        m_blnPlaying = false;
    }
    // After a cancel this is the file accepted earlier, which then plays again.
    filmname = p_.dialog.LastOpenedFile();
    m_blnPaused = false;  // the chosen film plays, never a resume
    if (!filmname.empty()) mnuPlay_Click();
}

void Form1::mnuPlay_Click() {
    const FlagGuard busy(filmBusy_);
    // The user's commands win over a covered desktop; the next tick pauses again if need be.
    coverPaused_ = false;
    if (m_blnPaused) {
        bool going = true;
        Attempt("Play: resume", [&] { going = p_.media.setCommand(kCmdResume); });
        m_blnPaused = false;
        if (!going) StopFilm();  // the film is lost: the shell must not show it playing
        return;
    }
    if (filmname.empty()) return;
    m_blnPaused = false;
    Attempt("Play: set the file", [&] { p_.media.SetFilename(filmname); });
    Attempt("Play: clear the wallpaper", [&] {
        if (!p_.registry.WallpaperCleared) {
            p_.registry.ManageWallpaper(kWallpaperSaveAndClear);
            p_.ui.RepaintAll();
        }
    });
    // After the clear: a new wallpaper can bring a new desktop window with it.
    Attempt("Play: find the desktop layer", [&] { UseLayerForPlay(); });
    OpenResult opened;
    Attempt("Play: open the film", [&] { opened = p_.media.PlayMEDIAFILE(); });
    if (opened.code != 0 && opened.code != kMciErrDuplicateAlias) {
        // Nothing is to play: a film still loaded under the alias (its file deleted
        // since, say) was just restarted by the commands after the open, so stop and
        // close it; then give the wallpaper back, keep the timer off and say why.
        Attempt("Play: stop", [&] { p_.media.setCommand(kCmdStop); });
        Attempt("Play: close", [&] { p_.media.setCommand(kCmdClose); });
        Attempt("Play: release the film's layer", [&] { p_.layer.FilmClosed(); });
        Attempt("Play: restore the wallpaper", [&] {
            if (p_.registry.WallpaperCleared) {
                p_.registry.ManageWallpaper(kWallpaperRestore);
                p_.ui.RepaintAll();
            }
        });
        m_blnPlaying = false;
        SetTimer(false);
        Attempt("Play: show the failure", [&] { ShowFilmBalloon(": " + opened.text); });
        return;
    }
    Attempt("Play: place the film", [&] { SettleFilm(); });
    // Only when the user starts the film: the loop's restarts pass quietly.
    if (!loopRestart_) Attempt("Play: show the film's name", [&] { ShowFilmBalloon(""); });
    m_blnPlaying = true;
    SetTimer(true);
}

void Form1::ShowFilmBalloon(const std::string& rest) {
    const std::string name = GetFileName(filmname, true);
    // No file name holds a '?': here it stands for a character the code page lost, and
    // the name the user chose is the one the wide API finds.
    const std::string real =
        name.find('?') == std::string::npos ? std::string() : GetFileName(p_.media.FilenameUtf8(), true);
    if (real.empty())
        p_.tray.ShowTrayBalloon(name + rest, kBalloonTitle, kBalloonInfoFlags, true, kBalloonMs);
    else
        p_.tray.ShowNamedBalloon(real, rest, kBalloonTitle, kBalloonInfoFlags, kBalloonMs);
}

void Form1::mnuPause_Click() {
    // Sent whatever the state, even with no film open; but only a film can be
    // paused, or the next Open would resume nothing instead of playing.
    p_.media.setCommand(kCmdPause);
    m_blnPaused = m_blnPlaying;
    coverPaused_ = false;
}

void Form1::mnuStop_Click() {
    const FlagGuard busy(filmBusy_);
    StopFilm();
}

void Form1::mnuFF_Click() {
    coverPaused_ = false;
    p_.media.FForward(kMenuSeekSeconds);
}

void Form1::mnuFR_Click() {
    coverPaused_ = false;
    p_.media.FRewind(kMenuSeekSeconds);
}

void Form1::mnuM_Click() {
    // A player that refuses leaves the sound, and so the state, as it was.
    const bool muted = !m_blnMuted;
    if (p_.media.SetAudioState(kAudioAllChannels, muted ? 1 : 0)) m_blnMuted = muted;
}

void Form1::mnuloop_Click() { SetChecked(MenuItem::mnuloop, !loopChecked_); }

void Form1::tmrLoop_Timer() {
    // The player's calls may pass messages on while they wait, this timer's among them: a
    // tick inside a film command (or another tick) would open the film inside its own open.
    if (filmBusy_) return;
    const FlagGuard busy(filmBusy_);
    Attempt("loop: check the desktop layer", [&] { RevalidateLayer(false); });
    CheckCovered();
    if (coverPaused_) return;  // a paused film cannot reach its end
    if (!p_.media.THE_ENDOFSONG(0)) return;
    if (loopChecked_) {
        FlagGuard restart(loopRestart_);
        mnuPlay_Click();
    } else
        mnuStop_Click();
}

// Nobody sees a film behind a covered desktop: it pauses, and goes on where it was once
// the desktop shows again, unless the user paused it meanwhile.
void Form1::CheckCovered() {
    if (!cover_ || !m_blnPlaying) return;
    const bool covered = cover_->DesktopCovered();
    if (covered && !coverPaused_ && !m_blnPaused) {
        p_.media.setCommand(kCmdPause);
        coverPaused_ = true;
    } else if (!covered && coverPaused_) {
        coverPaused_ = false;
        if (!m_blnPaused && !p_.media.setCommand(kCmdResume)) StopFilm();
    }
}

// --- desktop and settings -------------------------------------------------

void Form1::mnuHD_Click() {
    SetChecked(MenuItem::mnuHD, !hdChecked_);
    m_blnDesktopHidden = !m_blnDesktopHidden;
    HideDesktopWindows(m_blnDesktopHidden);
}

void Form1::mnuSD_Click() {
    // Leaves the Hide Desktop toggle where it is, on purpose.
    HideDesktopWindows(false);
    p_.ui.RepaintAll();
    SetEnabled(MenuItem::mnuHD, true);
    SetEnabled(MenuItem::mnuSD, false);
}

void Form1::mnuArrow_Click() {
    p_.registry.ArrowHidden = !p_.registry.ArrowHidden;
    const SettingChange done = p_.registry.ApplyArrowState();
    if (done == SettingChange::written) SetChecked(MenuItem::mnuArrow, !arrowChecked_);
    else SayUnchanged("Hide Shortcut Arrow", done);
}

void Form1::mnuSt_Click() {
    const SettingChange done = p_.registry.SetStartup(!stChecked_);
    if (done == SettingChange::written) SetChecked(MenuItem::mnuSt, !stChecked_);
    else SayUnchanged("StartUp", done);
}

void Form1::SayUnchanged(const std::string& setting, SettingChange why) {
    // The check mark stays as it was: it shows what Windows holds.
    const std::string text = why == SettingChange::needsAdmin
                                 ? setting + kNeedsAdminText
                                 : setting + kNotChangedText;
    Attempt("say a setting was not changed", [&] {
        p_.tray.ShowTrayBalloon(text, kBalloonTitle, kBalloonInfoFlags, true, kBalloonMs);
    });
}

void Form1::mnuAbout_Click() { p_.ui.ShowAbout(); }

void Form1::mnuExit_Click() { p_.ui.CloseMainWindow(); }

bool Form1::OnMenuCommand(MenuItem item) {
    switch (item) {
        case MenuItem::mnuFName: mnuFName_Click(); return true;
        case MenuItem::mnuHD: mnuHD_Click(); return true;
        case MenuItem::mnuSD: mnuSD_Click(); return true;
        case MenuItem::mnuArrow: mnuArrow_Click(); return true;
        case MenuItem::mnuloop: mnuloop_Click(); return true;
        case MenuItem::mnuSt: mnuSt_Click(); return true;
        case MenuItem::mnuAbout: mnuAbout_Click(); return true;
        case MenuItem::mnuPlay: mnuPlay_Click(); return true;
        case MenuItem::mnuPause: mnuPause_Click(); return true;
        case MenuItem::mnuFF: mnuFF_Click(); return true;
        case MenuItem::mnuFR: mnuFR_Click(); return true;
        case MenuItem::mnuStop: mnuStop_Click(); return true;
        case MenuItem::mnuM: mnuM_Click(); return true;
        case MenuItem::mnuExit: mnuExit_Click(); return true;
        case MenuItem::mnuDT:
        case MenuItem::mnuCon: return false;
    }
    return false;
}

// --- tray -----------------------------------------------------------------

void Form1::Form_MouseMove(std::uint32_t mouseMessage) {
    m_lngTrayMessage = static_cast<std::int32_t>(mouseMessage);
    // The popup menu runs its own message loop; notifications meanwhile are dropped.
    if (m_blnTrayBusy) return;
    FlagGuard busy(m_blnTrayBusy);
    if (mouseMessage == kWmLButtonUp) {
        ++m_lngTipIndex;
        p_.tray.SetOwner(hwnd_);
        p_.tray.ShowTrayBalloon(TipText(m_lngTipIndex), kBalloonTitle, kBalloonInfoFlags, true,
                                kBalloonMs);
        if (m_lngTipIndex == kTipCount) m_lngTipIndex = 0;
    } else if (mouseMessage == kWmRButtonUp) {
        p_.ui.ShowPopupMenu();
    }
}

// The tip as the resource has it while its key is the default; otherwise the key in force.
std::string Form1::TipText(std::int32_t index) {
    std::string tip = p_.ui.LoadTip(kTipIdBase + index);
    if (index < 1 || index > kTipCount) return tip;
    const std::size_t row = kTipRows[static_cast<std::size_t>(index - 1)];
    const HotkeyRow& now = p_.hotkeys.m_keys[row];
    if (now.modifiers == kHotkeyTable[row].modifiers && now.key == kHotkeyTable[row].key) return tip;
    // The resource's label ends where its column of blanks begins.
    const std::size_t gap = tip.find("  ");
    if (gap != std::string::npos) tip.erase(gap);
    const std::string key = ChordText(now.modifiers, now.key);
    return tip + "    " + (key.empty() ? std::string("(no key)") : key);
}

void Form1::OnTaskbarCreated() {
    Attempt("add the tray icon again", [&] {
        p_.tray.SetOwner(hwnd_);
        p_.tray.SetTrayIcon(p_.ui.TrayIcon(), kTrayTip, false);
    });
    Attempt("TaskbarCreated: check the desktop layer", [&] { RevalidateLayer(true); });
}

// --- the film's desktop window ----------------------------------------------

void Form1::OnDisplayChange() {
    Attempt("display change: fit the host", [&] { p_.layer.FitHost(); });
    Attempt("display change: check the desktop layer", [&] { RevalidateLayer(true); });
}

void Form1::OnWorkAreaChange() { OnDisplayChange(); }

void Form1::OnResume() { Attempt("resume: check the desktop layer", [&] { RevalidateLayer(true); }); }

void Form1::OnSessionUnlock() { Attempt("unlock: check the desktop layer", [&] { RevalidateLayer(true); }); }

void Form1::UseLayerForPlay() {
    const Hwnd before = p_.media.hwndParent();
    const Layer& layer = p_.layer.FindForPlay();
    // A film still loaded on another window would only restart there.
    if (timerOn_ && layer.parent != before) Attempt("move the film: close it on the old layer", [&] { p_.media.setCommand(kCmdClose); });
    if (layer.layout != Layout::noShell) p_.layer.ReleaseHost();
    p_.media.SethwndParent(layer.parent);
    FollowIconsWindow();
}

void Form1::SettleFilm() {
    p_.layer.PlaceFilm();
    // Some drivers leave the picture at its own size in a window sized by "put window".
    if (p_.layer.Current().layout == Layout::noShell) {
        const Size size = p_.layer.FilmSize();
        p_.media.PutDestination(size.width, size.height);
    }
}

void Form1::RevalidateLayer(bool full) {
    if (!timerOn_) {
        // No film: only the window Hide Desktop acts on has to be the current one.
        if (!full) return;
        p_.media.SethwndParent(p_.layer.Find().parent);
        FollowIconsWindow();
        return;
    }
    switch (p_.layer.Revalidate(full)) {
        case DesktopLayer::Change::same: break;
        case DesktopLayer::Change::gone: break;  // no desktop for now: the next one gets the film
        case DesktopLayer::Change::resized: ResizeFilm(); break;
        case DesktopLayer::Change::replaced: MoveFilmToLayer(); break;
    }
    FollowIconsWindow();
}

void Form1::MoveFilmToLayer() {
    std::int32_t at = 0;
    Attempt("move the film: read its position", [&] { at = p_.media.PositionMs(); });
    p_.media.SethwndParent(p_.layer.Current().parent);
    OpenResult opened;
    Attempt("move the film: reopen it", [&] { opened = p_.media.ReopenAt(at, m_blnPaused || coverPaused_); });
    if (opened.code != 0) {
        // Its file gone meanwhile, say: as when a Play fails.
        Attempt("move the film: stop it", [&] { StopFilm(); });
        m_blnPlaying = false;
        Attempt("move the film: say why", [&] { ShowFilmBalloon(": " + opened.text); });
        return;
    }
    Attempt("move the film: place it", [&] { SettleFilm(); });
}

void Form1::ResizeFilm() {
    const Size size = p_.layer.FilmSize();
    p_.media.PutWindow(size.width, size.height);
    if (p_.layer.Current().layout == Layout::noShell)
        p_.media.PutDestination(size.width, size.height);
}

void Form1::FollowIconsWindow() {
    const Hwnd icons = p_.layer.Current().icons;
    if (icons == m_hwndDesktop) return;
    m_hwndDesktop = icons;
    // A new desktop window starts out shown.
    if (m_blnDesktopHidden) {
        m_blnDesktopHidden = false;
        SetChecked(MenuItem::mnuHD, false);
    }
}

void Form1::HideDesktopWindows(bool hide) {
    p_.desktop.SetDesktopHidden(m_hwndDesktop, hide);
    // In the classic layout the film has a window of its own, behind the icons' one.
    const Layer& layer = p_.layer.Current();
    if (layer.layout == Layout::classic && layer.parent != 0 && layer.parent != m_hwndDesktop)
        p_.desktop.SetDesktopHidden(layer.parent, hide);
}

// --- menu state -----------------------------------------------------------

void Form1::SetTimer(bool on) {
    timerOn_ = on;
    if (on)
        p_.timer.Start(kLoopIntervalMs);
    else
        p_.timer.Stop();
}

bool Form1::Checked(MenuItem item) const {
    switch (item) {
        case MenuItem::mnuHD: return hdChecked_;
        case MenuItem::mnuArrow: return arrowChecked_;
        case MenuItem::mnuloop: return loopChecked_;
        case MenuItem::mnuSt: return stChecked_;
        default: return false;
    }
}

bool Form1::Enabled(MenuItem item) const {
    switch (item) {
        case MenuItem::mnuHD: return hdEnabled_;
        case MenuItem::mnuSD: return sdEnabled_;
        case MenuItem::mnuCon: return false;
        default: return true;
    }
}

void Form1::SetChecked(MenuItem item, bool checked) {
    switch (item) {
        case MenuItem::mnuHD: hdChecked_ = checked; break;
        case MenuItem::mnuArrow: arrowChecked_ = checked; break;
        case MenuItem::mnuloop: loopChecked_ = checked; break;
        case MenuItem::mnuSt: stChecked_ = checked; break;
        default: return;
    }
    p_.menu.SetChecked(item, checked);
}

void Form1::SetEnabled(MenuItem item, bool enabled) {
    switch (item) {
        case MenuItem::mnuHD: hdEnabled_ = enabled; break;
        case MenuItem::mnuSD: sdEnabled_ = enabled; break;
        default: return;
    }
    p_.menu.SetEnabled(item, enabled);
}

}  // namespace mevra
