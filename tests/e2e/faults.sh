# Faults from outside: a hotkey another program already holds when Mevra starts, and the
# desktop shell closed and started again while a film plays (announcing itself with
# "TaskbarCreated", as Explorer does). Mevra must live through each, keep its tray icon,
# and leave the user's wallpaper and no open MCI device behind. (A second instance started
# mid-run is part of soak.sh; a film deleted while it plays is deleted_film.sh.)
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/soak_lib.bash"

user_wallpaper
desktop_visible() { probe windows | grep "hwnd=$1 " | grep -q 'visible=1'; }
desktop_hidden() { ! desktop_visible "$1"; }

desktop_up

# --- 1. Ctrl+P held by another program when Mevra starts: a balloon names it once, the
# other eight work, and the ones registered after it keep their places in the table.
wine "$E2E_BUILD/probe.exe" hold 2 0x50 300 </dev/null >"$E2E_TMP/hold.out" 2>/dev/null &
holder=$!
wait_until 20 grep -q 'held=1' "$E2E_TMP/hold.out" || fail "the holder could not take Ctrl+P: $(cat "$E2E_TMP/hold.out")"
soak_mevra_up
[ "$(probe tray "$MEVRA_HWND")" = "tray=1" ] || fail "no tray icon with Ctrl+P taken"
held_notice='Mevra: balloon \[In use by another program: Play (Ctrl+P)\]'
[ "$(grep -a -c "$held_notice" "$E2E_TRACE")" = 1 ] || fail "the taken Ctrl+P was not named once in a balloon"
open_film clip.avi   # Ctrl+O
mci_log | grep -q "^open .*clip.avi type MPEGVideo .*\] -> 0" || fail "Ctrl+O did not open the film"
sleep 1.5
press ctrl+space 'pause MYPLAYER wait\] -> 0' 1
hk ctrl+p
sleep 3
[ "$(mci_n 'resume MYPLAYER')" = 0 ] || fail "Ctrl+P reached Mevra although another program holds it"
press ctrl+m 'set MYPLAYER audio all off\] -> 0' 1
press ctrl+m 'set MYPLAYER audio all on\] -> 0' 1
press ctrl+Right 'play MYPLAYER from [0-9]+\] -> 0' 1
progman=$(window_by_class Progman)
hk shift+Delete; wait_until 8 desktop_hidden "$progman" || fail "Shift+Del did not hide the desktop"
hk shift+Insert; wait_until 8 desktop_visible "$progman" || fail "Shift+Ins did not show the desktop"
stop_film   # Ctrl+S, registered after the taken Ctrl+P
wallpaper_is_users "after Ctrl+S"
kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null || true
# Mevra does not try again later: the combination is nobody's now.
[ "$(probe hotkey 2 0x50)" = "free=1" ] || fail "Ctrl+P is still taken after its holder ended"
note "Ctrl+P held elsewhere: Ctrl+O, Ctrl+Space, Ctrl+M, Ctrl+Right, Shift+Del, Shift+Ins and Ctrl+S all worked; Ctrl+P did nothing"
mevra_down

# --- 2. The desktop shell restarts while a film plays.
soak_mevra_up
old=$(window_by_class Progman)
open_film clip.avi
mci_log | grep -q "^open .*clip.avi type MPEGVideo Alias MYPLAYER parent $old Style 1073741824\] -> 0" ||
  fail "the film was not opened on the desktop $old"
sleep 1.5
probe post "$old" 0x10 >/dev/null   # WM_CLOSE: the stand-in shell ends
wait_until 15 no_window_class Progman || fail "the old desktop did not close"
sleep 2
mevra_alive || fail "Mevra ended with the desktop"
opens=$(mci_n 'open [^ ].* type MPEGVideo .*\] -> 0')
wstart "$E2E_BUILD/progman.exe" --broadcast-taskbar-created
wait_until 30 has_window_class Progman || fail "the new desktop did not start"
new=$(window_by_class Progman)
[ "$new" != "$old" ] || fail "the desktop window kept its handle $old"
# The announcement makes Mevra reopen the running film on the new desktop.
wait_mci_n 20 'open [^ ].* type MPEGVideo .*\] -> 0' $((opens + 1)) || fail "the film was not reopened after TaskbarCreated"
mci_log | grep '^open [^ ].* type MPEGVideo .*\] -> 0' | tail -n 1 | grep -q " parent $new Style " ||
  fail "the film was reopened on another window than the new desktop $new: $(mci_log | grep '^open ' | tail -n 1)"
mevra_alive || fail "Mevra did not survive the desktop's restart"
[ "$(probe tray "$MEVRA_HWND")" = "tray=1" ] || fail "no tray icon after the desktop's restart"
note "desktop restart: $old closed, $new started; $(mci_log | grep -c "window at 0 0 0 0") placement(s) on no window meanwhile"
# The next Play, after a Stop, opens on the new desktop too, and the film window is its child.
stop_film
wallpaper_is_users "after Ctrl+S on the new desktop"
press ctrl+p 'play MYPLAYER\]' $(($(plays) + 1))
mci_log | grep '^open [^ ].* type MPEGVideo ' | tail -n 1 | grep -q " parent $new Style 1073741824\] -> 0" ||
  fail "Play after the restart did not open on $new: $(mci_log | grep '^open ' | tail -n 1)"
wait_until 10 bash -c "wine '$E2E_BUILD/probe.exe' tree </dev/null 2>/dev/null | tr -d '\r' | grep -q '^child .* parent=$new .*class=MCIQTZ_Window'" ||
  { probe tree; fail "no film window on the new desktop"; }
note "after the restart: $(probe tree | grep -m1 'class=MCIQTZ_Window')"
stop_film
mevra_down
note "ok: held hotkey, desktop restart"
