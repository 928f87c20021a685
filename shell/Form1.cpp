#include "shell/Form1.h"

#include <exception>
#include "desktop/DesktopMod.h"
#include "desktop/RegistryMod.h"
#include "dialogs/CDialogEX.h"
#include "dialogs/StringMod.h"
#include "media/MediaPlayer.h"
#include "shell/Systray.h"

namespace mevra {

const std::string kMovieFilter = std::string("Movie (*.dat;*.mpg;*.avi;*.asf;*.wmv)") + '\0' +
                                 "*.dat;*.mpg;*.avi;*.wmv" + '\0' + "Other Mov(*.mov)" + '\0' +
                                 "*.mov" + '\0';

namespace {

// Start-up and Play run step by step: a step that fails is skipped.
template <typename F>
void Step(F&& f) {
    try {
        f();
    } catch (const std::exception&) {
    }
}

// Clears a flag on every way out of a scope.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace

Form1::Form1(const Form1Parts& parts) : p_(parts) {}

bool Form1::Form_Initialize() {
    if (p_.ui.AnotherInstanceRunning()) return false;
    m_blnPaused = false;
    m_blnMuted = false;
    p_.registry.WallpaperCleared = false;
    p_.desktop.SetScreenSaverActive(false);
    return true;
}

void Form1::Form_Load(Hwnd self) {
    hwnd_ = self;
    Step([&] { m_hwndDesktop = p_.ui.FindDesktopWindow(); });
    Step([&] { p_.media.SethwndParent(m_hwndDesktop); });
    Step([&] { p_.ui.SetupMenuStyle(); });
    Step([&] {
        p_.tray.SetOwner(hwnd_);
        p_.tray.SetTrayIcon(p_.ui.TrayIcon(), kTrayTip, false);
    });
    Step([&] {
        p_.tray.ShowTrayBalloon(kStartBalloonText, kBalloonTitle, kBalloonInfoFlags, true,
                                kStartBalloonMs);
    });
    Step([&] {
        p_.dialog.SetPreviewWindow(p_.ui.BannerWindow(), kBannerLeft, kBannerTop);
        p_.dialog.SetDialogHeight(kOpenDialogHeight);
    });
    Step([&] { p_.ui.InstallMainWindowProc(); });
    for (const HotkeyRow& row : kHotkeyTable)
        Step([&] { p_.hotkeys.AddHotKey(hwnd_, row.modifiers, row.key); });
    Step([&] {
        p_.registry.ReadArrowState();
        SetChecked(MenuItem::mnuArrow, p_.registry.ArrowHidden);
    });
    Step([&] { SetChecked(MenuItem::mnuSt, p_.registry.IsStartupSet()); });
}

void Form1::Form_QueryUnload() {
    unloaded_ = true;
    // The hotkey procedure went on last, so it comes off first.
    p_.ui.RemoveMainWindowProc();
    p_.ui.UnhookMenus();
}

void Form1::Form_Unload() {
    // Each part is taken down even if an earlier one fails.
    Step([&] { StopFilm(); });
    Step([&] {
        p_.tray.SetOwner(hwnd_);
        p_.tray.SetTrayIcon(p_.ui.TrayIcon(), kTrayTip, true);
    });
    Step([&] { p_.hotkeys.RemoveHotKeys(hwnd_); });
}

// --- playback -------------------------------------------------------------

void Form1::StopFilm() {
    // m_blnPlaying stays set: stopping again later only repeats harmless commands.
    if (!m_blnPlaying) return;
    coverPaused_ = false;
    p_.media.setCommand(kCmdStop);
    p_.media.setCommand(kCmdClose);
    p_.registry.ManageWallpaper(kWallpaperRestore);
    p_.registry.WallpaperCleared = false;
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
        p_.registry.WallpaperCleared = false;
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
        p_.registry.WallpaperCleared = false;
    }
    // After a cancel this is the file accepted earlier, which then plays again.
    filmname = p_.dialog.LastOpenedFile();
    if (!filmname.empty()) mnuPlay_Click();
}

void Form1::mnuPlay_Click() {
    // The user's commands win over a covered desktop; the next tick pauses again if need be.
    coverPaused_ = false;
    if (m_blnPaused) {
        Step([&] { p_.media.setCommand(kCmdResume); });
        m_blnPaused = false;
        return;
    }
    if (filmname.empty()) return;
    m_blnPaused = false;
    Step([&] { p_.media.SetFilename(filmname); });
    Step([&] {
        if (!p_.registry.WallpaperCleared) {
            p_.registry.ManageWallpaper(kWallpaperSaveAndClear);
            p_.ui.RepaintAll();
        }
    });
    OpenResult opened;
    Step([&] { opened = p_.media.PlayMEDIAFILE(); });
    if (opened.code != 0 && opened.code != kMciErrDuplicateAlias) {
        // Nothing is to play: a film still loaded under the alias (its file deleted
        // since, say) was just restarted by the commands after the open, so stop and
        // close it; then give the wallpaper back, keep the timer off and say why.
        Step([&] { p_.media.setCommand(kCmdStop); });
        Step([&] { p_.media.setCommand(kCmdClose); });
        Step([&] {
            if (p_.registry.WallpaperCleared) {
                p_.registry.ManageWallpaper(kWallpaperRestore);
                p_.registry.WallpaperCleared = false;
                p_.ui.RepaintAll();
            }
        });
        m_blnPlaying = false;
        SetTimer(false);
        Step([&] {
            p_.tray.ShowTrayBalloon(GetFileName(filmname, true) + ": " + opened.text,
                                    kBalloonTitle, kBalloonInfoFlags, true, kBalloonMs);
        });
        return;
    }
    Step([&] {
        p_.tray.ShowTrayBalloon(GetFileName(filmname, true), kBalloonTitle, kBalloonInfoFlags,
                                true, kBalloonMs);
    });
    m_blnPlaying = true;
    SetTimer(true);
}

void Form1::mnuPause_Click() {
    // Sent whatever the state, even with no film open.
    p_.media.setCommand(kCmdPause);
    m_blnPaused = true;
    coverPaused_ = false;
}

void Form1::mnuStop_Click() {
    if (m_blnPlaying) StopFilm();
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
    m_blnMuted = !m_blnMuted;
    p_.media.SetAudioState(kAudioAllChannels, m_blnMuted ? 1 : 0);
}

void Form1::mnuloop_Click() { SetChecked(MenuItem::mnuloop, !loopChecked_); }

void Form1::tmrLoop_Timer() {
    CheckCovered();
    if (coverPaused_) return;  // a paused film cannot reach its end
    if (!p_.media.THE_ENDOFSONG(0)) return;
    if (loopChecked_)
        mnuPlay_Click();
    else
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
        if (!m_blnPaused) p_.media.setCommand(kCmdResume);
    }
}

// --- desktop and settings -------------------------------------------------

void Form1::mnuHD_Click() {
    SetChecked(MenuItem::mnuHD, !hdChecked_);
    m_blnDesktopHidden = !m_blnDesktopHidden;
    p_.desktop.SetDesktopHidden(m_hwndDesktop, m_blnDesktopHidden);
}

void Form1::mnuSD_Click() {
    // Leaves the Hide Desktop toggle where it is, on purpose.
    p_.desktop.SetDesktopHidden(m_hwndDesktop, false);
    p_.ui.RepaintAll();
    SetEnabled(MenuItem::mnuHD, true);
    SetEnabled(MenuItem::mnuSD, false);
}

void Form1::mnuArrow_Click() {
    SetChecked(MenuItem::mnuArrow, !arrowChecked_);
    p_.registry.ArrowHidden = !p_.registry.ArrowHidden;
    p_.registry.ApplyArrowState();
}

void Form1::mnuSt_Click() {
    SetChecked(MenuItem::mnuSt, !stChecked_);
    p_.registry.SetStartup(stChecked_);
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
        p_.tray.ShowTrayBalloon(p_.ui.LoadTip(kTipIdBase + m_lngTipIndex), kBalloonTitle,
                                kBalloonInfoFlags, true, kBalloonMs);
        if (m_lngTipIndex == kTipCount) m_lngTipIndex = 0;
    } else if (mouseMessage == kWmRButtonUp) {
        p_.ui.ShowPopupMenu();
    }
}

void Form1::OnTaskbarCreated() {
    Step([&] {
        p_.tray.SetOwner(hwnd_);
        p_.tray.SetTrayIcon(p_.ui.TrayIcon(), kTrayTip, false);
    });
    Step([&] {
        m_hwndDesktop = p_.ui.FindDesktopWindow();
        p_.media.SethwndParent(m_hwndDesktop);
    });
    // The new desktop window starts out visible.
    if (m_blnDesktopHidden) {
        m_blnDesktopHidden = false;
        SetChecked(MenuItem::mnuHD, false);
    }
    // A running film's window went down with the old desktop: reopen it on the new one.
    if (timerOn_) {
        Step([&] { StopFilm(); });
        mnuPlay_Click();
    }
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
