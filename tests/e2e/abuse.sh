# Abuse: 60 seconds of all nine hotkeys at 50 a second in random order, the tray menu
# opened and dismissed, the open dialog opened and cancelled, Play and Stop in bursts.
# Afterwards, once the film is stopped, Mevra answers within a second, its USER and GDI
# objects come back to where they settled before (see gdi_back for the one allowance),
# and the wallpaper values are byte for byte the user's. ABUSE_ROUNDS=N repeats the run,
# reporting the objects after each round.
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/soak_lib.bash"

ABUSE_SECONDS=${ABUSE_SECONDS:-60}   # shorter while developing
KEYS=(ctrl+o shift+Delete shift+Insert ctrl+Left ctrl+Right ctrl+p ctrl+s ctrl+m ctrl+space)

soak_films
user_wallpaper
desk_raw() { probe regraw 'Control Panel\Desktop' Wallpaper TileWallpaper WallpaperStyle; }
dialog_up() { has_window_title 'OPEN MEDIA FILE'; }
no_dialog() { ! dialog_up; }
menu_closed() { ! menu_open; }
cancel_dialog() {
  local w; w=$(window_by_title '  OPEN MEDIA FILE')   # the caption starts with two blanks
  if [ -n "$w" ]; then probe post "$w" 0x10 >/dev/null; fi   # WM_CLOSE: the dialog's cancel
  wait_until 10 no_dialog && return 0
  # A tray menu opened while the dialog was up runs its loop inside the dialog's, and the
  # dialog can only end after it; a window the storm brought up may have taken the click
  # that was to close it. Escape closes it, then the dialog must go.
  menu_open || fail "the open dialog did not close"
  note "a menu left open over the dialog kept it: closed with Escape"
  focus_desktop; xdotool key --delay 100 Escape Escape
  wait_until 10 no_dialog || fail "the open dialog did not close after its menu did"
}
desk_back() { [ "$(desk_raw)" = "$original" ]; }
counts_match() { [ "$(count_of gdi "$1")" = "$(count_of gdi "$2")" ] && [ "$(count_of user "$1")" = "$(count_of user "$2")" ]; }

desktop_up
# Read after the desktop is up: probe.exe is a Windows program, and the first one
# makes the desktop.
original=$(desk_raw)
soak_mevra_up
# Quiet: no dialog or menu left up, the film stopped. Presses of a storm that are still
# queued each run once afterwards, an Open among them bringing the dialog up again (a
# user's dialog: closed as a user would), so quiet is reached when a few seconds pass
# with nothing left to undo.
quiet() {
  local pass
  for pass in $(seq 10); do
    dialog_up && cancel_dialog
    menu_open && { xdotool key Escape; wait_until 5 menu_closed || true; }
    focus_desktop; hk ctrl+s
    wait_until 20 desk_back || return 1
    # The desktop shown again, as Hide Desktop may have left it.
    hk shift+Insert
    sleep 3
    ! dialog_up && ! menu_open && desk_back && return 0
  done
  return 1
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
types_settled=$(probe gditypes "$MEVRA_PID")
note "objects settled: $settled; GDI by type: $types_settled"

rounds=0; presses=0; menus=0; cut_short=0; dialogs=0; bursts=0
abuse_round() {
  end=$((SECONDS + ABUSE_SECONDS))
  while [ $SECONDS -lt $end ]; do
    rounds=$((rounds + 1))
    random_keys 50
    presses=$((presses + 50))
    case $((rounds % 4)) in
      # A dialog an Open of the storm brings up meanwhile may close the menu early.
      0) probe menucycle 1 1013 758 42 >/dev/null || cut_short=$((cut_short + 1)); menus=$((menus + 1)) ;;
      1) dialog_up || { focus_desktop; hk ctrl+o; wait_until 5 dialog_up || true; }
         dialog_up && { cancel_dialog; dialogs=$((dialogs + 1)); } ;;
      2) focus_desktop; xdotool key --delay 20 $(printf 'ctrl+p ctrl+s %.0s' $(seq 10)); bursts=$((bursts + 1)) ;;
      3) : ;;
    esac
    dialog_up && cancel_dialog
    [ -n "${ABUSE_TRACE_COUNTS:-}" ] && note "round $rounds ($((rounds % 4))): $(gui_counts "$MEVRA_PID")"
  done
  return 0
}
for round in $(seq "${ABUSE_ROUNDS:-1}"); do
  [ "$round" -gt 1 ] && { quiet || fail "round $((round - 1)) did not end with the user's wallpaper"
    note "objects after round $((round - 1)): $(gui_counts "$MEVRA_PID"); GDI by type: $(probe gditypes "$MEVRA_PID")"; }
  abuse_round
done
note "abuse: $presses random hotkeys in $rounds rounds, $menus menus ($cut_short cut short), $dialogs dialogs cancelled, $bursts Play/Stop bursts"

# The first answer may wait for the command still running (an open of the film).
# Once the film is stopped Mevra must answer within a second. On a loaded machine one
# round trip can take longer for want of a core, so the best of three counts.
answers_in_time() {
  local i
  for i in 1 2 3; do
    answer=$(probe answer "$MEVRA_HWND")
    [ "${answer#answer=}" != none ] && [ "${answer#answer=}" -lt 1000 ] && return 0
    sleep 1
  done
  return 1
}
answer=$(probe answer "$MEVRA_HWND")
note "first answer after the abuse: ${answer#answer=} ms"
drain_start=$SECONDS
quiet || fail "after Stop the wallpaper values are '$(desk_raw)', the user's were '$original'"
answers_in_time || fail "Mevra does not answer within a second: $answer"
note "answer after Stop: ${answer#answer=} ms"
balance=$(mci_balance)
[ "$(count_of open_at_end "$balance")" = 0 ] || fail "the film's device is still open after Stop: $balance"
objects_back() {
  now=$(gui_counts "$MEVRA_PID"); types_now=$(probe gditypes "$MEVRA_PID")
  [ "$(count_of user "$now")" = "$(count_of user "$settled")" ] &&
    [ "$(count_of windows "$now")" = "$(count_of windows "$settled")" ] && gdi_back "$types_settled" "$types_now"
}
objects_back || true; first=$now
limit=$((SECONDS + 20))
until objects_back || [ $SECONDS -ge $limit ]; do sleep 1; done
note "objects: settled $settled; after the abuse $first; $((SECONDS - drain_start)) s later $now"
note "GDI by type: settled $types_settled; now $types_now"
[ "$(count_of user "$now")" = "$(count_of user "$settled")" ] || fail "USER objects did not come back: $now, settled at $settled"
# A window left behind that nobody can see or close (a film's window without its film).
[ "$(count_of windows "$now")" = "$(count_of windows "$settled")" ] || fail "Mevra has windows left over: $now, settled at $settled"
gdi_back "$types_settled" "$types_now" || fail "GDI objects did not come back: $types_now, settled at $types_settled"
answers_in_time || fail "Mevra does not answer at the end: $answer"
note "ok: $balance; wallpaper values the user's; answers in ${answer#answer=} ms"
