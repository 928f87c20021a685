# Abuse: 60 seconds of all nine hotkeys at 50 a second in random order, the tray menu
# opened and dismissed, the open dialog opened and cancelled, Play and Stop in bursts.
# Afterwards Mevra answers within a second, its GDI and USER object counts come back to
# where they settled before (see soak.sh for what is counted), and after Stop the
# wallpaper values are byte for byte the user's.
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/soak_lib.bash"

ABUSE_SECONDS=${ABUSE_SECONDS:-60}
KEYS=(ctrl+o shift+Delete shift+Insert ctrl+Left ctrl+Right ctrl+p ctrl+s ctrl+m ctrl+space)

soak_films
user_wallpaper
desk_raw() { probe regraw 'Control Panel\Desktop' Wallpaper TileWallpaper WallpaperStyle; }
original=$(desk_raw)
dialog_up() { has_window_title 'OPEN MEDIA FILE'; }
no_dialog() { ! dialog_up; }
menu_closed() { ! menu_open; }
cancel_dialog() {
  local w; w=$(window_by_title 'OPEN MEDIA FILE')
  [ -n "$w" ] && probe post "$w" 0x10 >/dev/null   # WM_CLOSE: the dialog's cancel
  wait_until 10 no_dialog || fail "the open dialog did not close"
}
desk_back() { [ "$(desk_raw)" = "$original" ]; }
counts_match() { [ "$(count_of gdi "$1")" = "$(count_of gdi "$2")" ] && [ "$(count_of user "$1")" = "$(count_of user "$2")" ]; }

desktop_up
soak_mevra_up
# Settled figures: every kind of use once, twice over (caches fill on first use).
for _ in 1 2; do
  open_film loop.avi
  stop_film
  probe menucycle 2 1013 758 42 >/dev/null || fail "the tray menu did not open and close cleanly"
  focus_desktop; hk ctrl+o
  wait_until 20 dialog_up || fail "Ctrl+O did not open the dialog"
  p=$(plays)
  cancel_dialog   # a cancel plays the film chosen before again
  wait_mci_n 20 'play MYPLAYER\]' $((p + 1)) || fail "the cancelled dialog did not play the film again"
  stop_film
done
settled=$(gui_counts "$MEVRA_PID")
note "objects settled: $settled"

rounds=0; presses=0; menus=0; dialogs=0; bursts=0
end=$((SECONDS + ABUSE_SECONDS))
while [ $SECONDS -lt $end ]; do
  rounds=$((rounds + 1))
  batch=()
  for _ in $(seq 50); do batch+=("${KEYS[RANDOM % 9]}"); done
  focus_desktop
  xdotool key --delay 20 "${batch[@]}"
  presses=$((presses + 50))
  case $((rounds % 4)) in
    0) probe menucycle 1 1013 758 42 >/dev/null; menus=$((menus + 1)) ;;
    1) dialog_up || { focus_desktop; hk ctrl+o; wait_until 5 dialog_up || true; }
       dialog_up && { cancel_dialog; dialogs=$((dialogs + 1)); } ;;
    2) focus_desktop; xdotool key --delay 20 $(printf 'ctrl+p ctrl+s %.0s' $(seq 10)); bursts=$((bursts + 1)) ;;
    3) : ;;
  esac
  dialog_up && cancel_dialog
done
note "abuse: $presses random hotkeys in $rounds rounds, $menus menus, $dialogs dialogs cancelled, $bursts Play/Stop bursts"

# Quiet again: no dialog or menu left up, the film stopped.
dialog_up && cancel_dialog
menu_open && { xdotool key Escape; wait_until 5 menu_closed || true; }
drain_start=$SECONDS
answer=$(probe answer "$MEVRA_HWND")
note "first answer after the abuse: ${answer#answer=} ms"
[ "${answer#answer=}" != none ] && [ "${answer#answer=}" -lt 1000 ] || fail "Mevra does not answer within a second: $answer"
focus_desktop; hk ctrl+s
wait_until 20 desk_back ||
  fail "after Stop the wallpaper values are '$(desk_raw)', the user's were '$original'"
balance=$(mci_balance)
[ "$(count_of open_at_end "$balance")" = 0 ] || fail "the film's device is still open after Stop: $balance"
now=$(gui_counts "$MEVRA_PID"); first=$now
limit=$((SECONDS + 20))
until counts_match "$now" "$settled" || [ $SECONDS -ge $limit ]; do sleep 1; now=$(gui_counts "$MEVRA_PID"); done
note "objects: settled $settled; after the abuse $first; $((SECONDS - drain_start)) s later $now"
counts_match "$now" "$settled" || fail "object counts did not come back: $now, settled at $settled"
answer=$(probe answer "$MEVRA_HWND")
[ "${answer#answer=}" != none ] && [ "${answer#answer=}" -lt 1000 ] || fail "Mevra does not answer at the end: $answer"
note "ok: $balance; wallpaper values the user's; answers in ${answer#answer=} ms"
