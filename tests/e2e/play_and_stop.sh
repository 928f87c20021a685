# The main use from end to end: Ctrl+O, a film chosen in the open dialog (whose DLL is
# unloaded once it closes), the film on the desktop with the wallpaper gone, Ctrl+Right
# moving it on, Ctrl+S bringing the user's tiled wallpaper and desktop colour back, and
# Exit from the tray menu removing the icon and giving the screen saver back. Between the
# two, another program's new wallpaper outlives a second Ctrl+S, a Pause with nothing
# playing, and a cancelled Open, which plays the last film again.
source "$(dirname "$0")/lib.bash"

# The user's wallpaper: a 64-pixel tile, blue left half and sand right half. Tiled, the
# pixels at x = 400 and x = 432 fall in different halves; stretched, in the same one.
convert -size 32x64 xc:'#3a6ea5' -size 32x64 xc:'#e0c080' +append BMP3:"$E2E_TMP/wall.bmp"
desk='HKCU\Control Panel\Desktop'
wall=$(winpath "$E2E_TMP/wall.bmp")
reg_set "$desk" Wallpaper "$wall"
reg_set "$desk" TileWallpaper 1
reg_set "$desk" WallpaperStyle 0

desktop_up
user_desk=$(probe desk)   # "colour=RRGGBB saver=0|1", as any program sees them
mevra_up
# Mevra's screen-saver switch is for this logon only (not written to the profile); Wine
# keeps such a switch inside the process, so another program still reads the user's.
[ "$(probe tray "$MEVRA_HWND")" = "tray=1" ] || fail "no tray icon after start"
before=$(shot desktop-before)
# The two halves of the tile show while the wallpaper is up.
[ "$(pixel "$before" 400 400)" != "$(pixel "$before" 432 400)" ] || fail "the wallpaper is not shown at start"

key ctrl+o
wait_until 15 has_window_title 'OPEN MEDIA FILE' ||
  { probe windows | grep -v -e WineDde -e IME; fail "Ctrl+O did not open the dialog"; }
sleep 1
shot open-dialog >/dev/null
mevra_maps comdlg32.dll || fail "comdlg32.dll is not seen in Mevra's process while the dialog is up"
type_text "$(winpath "$E2E_FILMS/clip.avi")"
key Return

wait_mci 20 'play MYPLAYER\]' || fail "no play command after choosing the film"
# The dialog's DLL is not kept once the dialog is gone: the film plays without it.
! mevra_maps comdlg32.dll || fail "comdlg32.dll stays loaded after the dialog"
progman=$(window_by_class Progman)
mci_log | grep -i -q "^open .*clip.avi type MPEGVideo Alias MYPLAYER parent $progman Style 1073741824\] -> 0" ||
  fail "the film was not opened on the desktop $progman: $(mci_log | grep '^open ' | tail -n 2)"
note "MCI: $(mci_log | grep -i -m1 'clip.avi')"
sleep 2
[ "$(reg_get "$desk" Wallpaper | tr -d ' ')" = "" ] || fail "the wallpaper value was not cleared: $(reg_get "$desk" Wallpaper)"
# The film's window is a child of the desktop window, asked to cover it (Wine accepts the
# size but does not apply it).
probe tree > "$E2E_TMP/tree.txt"
grep -q "^child .* parent=$progman .*class=MCIQTZ_Window" "$E2E_TMP/tree.txt" ||
  { cat "$E2E_TMP/tree.txt"; fail "no film window on the desktop"; }
read -r dl dt dr db < <(probe windows | grep "hwnd=$progman " | sed 's/.*rect=\([-0-9]*\),\([-0-9]*\),\([-0-9]*\),\([-0-9]*\).*/\1 \2 \3 \4/')
mci_log | grep -q "^put MYPLAYER window at 0 0 $((dr - dl)) $((db - dt))\] -> 0" ||
  fail "the film was not sized over the desktop ($((dr - dl)) x $((db - dt))): $(mci_log | grep '^put' | tail -n 1)"
playing=$(shot playing)
[ "$(pixel "$playing" 400 400)" = "$(pixel "$playing" 432 400)" ] || fail "the wallpaper still shows while the film plays"
note "film window: $(grep -m1 '^child' "$E2E_TMP/tree.txt")"

# Ctrl+Right: 10 seconds on from where the film is.
key ctrl+Right
wait_mci 10 'play MYPLAYER from' || fail "Ctrl+Right sent no seek"
note "Ctrl+Right: $(mci_log | grep 'play MYPLAYER from' | tail -n 1)"
mci_log | grep 'play MYPLAYER from' | tail -n 1 | grep -q 'from [0-9]\{5,\}' || fail "Ctrl+Right did not aim 10 s on"

key ctrl+s
wait_mci 10 'close MYPLAYER' || fail "Ctrl+S did not close the film"
sleep 1
[ "$(reg_get "$desk" Wallpaper)" = "$wall" ] || fail "wallpaper not restored: '$(reg_get "$desk" Wallpaper)'"
[ "$(reg_get "$desk" TileWallpaper)" = 1 ] || fail "tiling not restored"
[ "$(reg_get "$desk" WallpaperStyle)" = 0 ] || fail "style not restored"
after=$(shot desktop-after-stop)
[ "$(pixel "$after" 400 400)" != "$(pixel "$after" 432 400)" ] || fail "the wallpaper is not shown after Stop"
[ "$(probe desk | sed 's/ .*//')" = "${user_desk% *}" ] || fail "desktop colour after Stop: $(probe desk)"

convert -size 64x64 xc:'#80c040' BMP3:"$E2E_TMP/wall2.bmp"
wall2=$(winpath "$E2E_TMP/wall2.bmp")
probe setwall "$(utf16_hex "$wall2")" >/dev/null
opens=$(mci_count 'clip.avi type MPEGVideo')
key ctrl+s
key ctrl+space
key ctrl+o
wait_until 15 has_window_title 'OPEN MEDIA FILE' || fail "Ctrl+O did not open the dialog the second time"
sleep 1
key Escape
# The hotkeys come in order: once the film opens again, Stop and Pause were handled.
wait_until 20 eval '[ "$(mci_count "clip.avi type MPEGVideo")" -gt "$opens" ]' ||
  fail "Pause with nothing playing, then Open: the film did not play: $(mci_log | tail -n 3)"
[ "$(reg_get "$desk" Wallpaper | tr -d ' ')" = "" ] || fail "the film plays again over a wallpaper: $(reg_get "$desk" Wallpaper)"

# Exit from the tray menu: its last item.
read -r left top right bottom < <(tray_menu)
shot tray-menu >/dev/null
click $((left + 60)) $((bottom - 14))
wait_until 15 no_window_class MevraForm1 || fail "Exit did not end Mevra"
[ "$(probe tray "$MEVRA_HWND")" = "tray=0" ] || fail "the tray icon is still there after Exit"
[ "$(reg_get "$desk" Wallpaper)" = "$wall2" ] || fail "Exit did not leave the newer wallpaper: '$(reg_get "$desk" Wallpaper)'"
[ "$(probe desk)" = "$user_desk" ] || fail "after Exit the desktop is '$(probe desk)', the user's was '$user_desk'"
note "ok: played, moved on, stopped with the wallpaper back; a newer wallpaper outlived Stop, Pause and a cancelled Open; exited with the screen saver back"
