# Abuse: 60 seconds of all nine hotkeys at 50 a second in random order, the tray menu
# opened and dismissed, the open dialog opened and cancelled, Play and Stop in bursts.
# Afterwards, once the film is stopped, Mevra answers within a second, its USER object
# count comes back to where it settled before (GDI is reported; see soak.sh for what is
# counted), and the wallpaper values are byte for byte the user's.
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/soak_lib.bash"

ABUSE_SECONDS=${ABUSE_SECONDS:-60}   # shorter while developing
KEYS=(ctrl+o shift+Delete shift+Insert ctrl+Left ctrl+Right ctrl+p ctrl+s ctrl+m ctrl+space)

soak_films
user_wallpaper
desk_raw() { probe regraw 'Control Panel\Desktop' Wallpaper TileWallpaper WallpaperStyle; }
original=$(desk_raw)
dialog_up() { has_window_title 'OPEN MEDIA FILE'; }
no_dialog() { ! dialog_up; }
menu_closed() { ! menu_open; }
cancel_dialog() {
  local w; w=$(probe windows | grep -F 'OPEN MEDIA FILE' | head -n 1 | sed 's/^top hwnd=\([0-9]*\).*/\1/')
  if [ -n "$w" ]; then probe post "$w" 0x10 >/dev/null; fi   # WM_CLOSE: the dialog's cancel
  wait_until 10 no_dialog || fail "the open dialog did not close"
}
desk_back() { [ "$(desk_raw)" = "$original" ]; }
counts_match() { [ "$(count_of gdi "$1")" = "$(count_of gdi "$2")" ] && [ "$(count_of user "$1")" = "$(count_of user "$2")" ]; }

desktop_up
soak_mevra_up
# Quiet: no dialog or menu left up, the film stopped.
quiet() {
  dialog_up && cancel_dialog
  menu_open && { xdotool key Escape; wait_until 5 menu_closed || true; }
  focus_desktop; hk ctrl+s
  wait_until 20 desk_back || return 1
  # The desktop shown again, as Hide Desktop may have left it.
  hk shift+Insert
}
random_keys() {  # random_keys N: N of the nine hotkeys, 50 a second
  local batch=()
  for _ in $(seq "$1"); do batch+=("${KEYS[RANDOM % 9]}"); done
  focus_desktop
  xdotool key --delay 20 "${batch[@]}"
}
# Settled figures: every kind of use, over and over until a pass leaves the counts where
# the one before did (caches fill on first use; random keys take a few passes to try all).
warm_up() {
  open_film loop.avi
  random_keys 50
  sleep 3
  quiet || fail "the warm-up did not end with the user's wallpaper: $(desk_raw)"
  probe menucycle 2 1013 758 42 >/dev/null || fail "the tray menu did not open and close cleanly"
  focus_desktop; hk ctrl+o
  wait_until 20 dialog_up || fail "Ctrl+O did not open the dialog"
  cancel_dialog   # a cancel plays the film chosen before again
  sleep 2
  quiet || fail "the warm-up did not end with the user's wallpaper: $(desk_raw)"
}
warm_up
previous=$(gui_counts "$MEVRA_PID")
for pass in 2 3 4 5; do
  warm_up
  settled=$(gui_counts "$MEVRA_PID")
  counts_match "$settled" "$previous" && break
  note "objects after warm-up pass $pass: $settled (before: $previous)"
  previous=$settled
done
settled=$(gui_counts "$MEVRA_PID")
note "objects settled: $settled"

rounds=0; presses=0; menus=0; dialogs=0; bursts=0
end=$((SECONDS + ABUSE_SECONDS))
while [ $SECONDS -lt $end ]; do
  rounds=$((rounds + 1))
  random_keys 50
  presses=$((presses + 50))
  case $((rounds % 4)) in
    0) probe menucycle 1 1013 758 42 >/dev/null; menus=$((menus + 1)) ;;
    1) dialog_up || { focus_desktop; hk ctrl+o; wait_until 5 dialog_up || true; }
       dialog_up && { cancel_dialog; dialogs=$((dialogs + 1)); } ;;
    2) focus_desktop; xdotool key --delay 20 $(printf 'ctrl+p ctrl+s %.0s' $(seq 10)); bursts=$((bursts + 1)) ;;
    3) : ;;
  esac
  dialog_up && cancel_dialog
  [ -n "${ABUSE_TRACE_COUNTS:-}" ] && note "round $rounds ($((rounds % 4))): $(gui_counts "$MEVRA_PID")"
done
note "abuse: $presses random hotkeys in $rounds rounds, $menus menus, $dialogs dialogs cancelled, $bursts Play/Stop bursts"

# The first answer may wait for the command still running: a Play holds the thread for
# its 1.5-second balloon, as does each restart of a looping film. Once the film is
# stopped Mevra must answer within a second.
answer=$(probe answer "$MEVRA_HWND")
note "first answer after the abuse: ${answer#answer=} ms"
drain_start=$SECONDS
quiet || fail "after Stop the wallpaper values are '$(desk_raw)', the user's were '$original'"
answer=$(probe answer "$MEVRA_HWND")
note "answer after Stop: ${answer#answer=} ms"
[ "${answer#answer=}" != none ] && [ "${answer#answer=}" -lt 1000 ] || fail "Mevra does not answer within a second: $answer"
balance=$(mci_balance)
[ "$(count_of open_at_end "$balance")" = 0 ] || fail "the film's device is still open after Stop: $balance"
now=$(gui_counts "$MEVRA_PID"); first=$now
limit=$((SECONDS + 20))
until counts_match "$now" "$settled" || [ $SECONDS -ge $limit ]; do sleep 1; now=$(gui_counts "$MEVRA_PID"); done
note "objects: settled $settled; after the abuse $first; $((SECONDS - drain_start)) s later $now"
# USER objects must come back. GDI objects of this process grow by a few now and then
# under this run (menu and dialog opened while hotkeys keep coming; not from any single
# hotkey while a film plays): reported until it is tracked down, not failed on.
[ "$(count_of user "$now")" = "$(count_of user "$settled")" ] || fail "USER objects did not come back: $now, settled at $settled"
counts_match "$now" "$settled" || note "GDI objects not back: $(count_of gdi "$now"), settled at $(count_of gdi "$settled")"
answer=$(probe answer "$MEVRA_HWND")
[ "${answer#answer=}" != none ] && [ "${answer#answer=}" -lt 1000 ] || fail "Mevra does not answer at the end: $answer"
note "ok: $balance; wallpaper values the user's; answers in ${answer#answer=} ms"
