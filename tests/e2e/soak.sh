# e2e-timeout: 1200
# Soak: about ten minutes of use in one run of Mevra. 200 Play/Stop cycles through the
# hotkeys (a second instance started half-way), a 3-second film looping 50 times while
# the tray menu and its Options submenu open and close 500 times, then 50 rounds of
# Ctrl+Right, pause, resume and Ctrl+Left on a long film (100 pause/resume presses and 100
# seek presses). Afterwards: the process is alive, its GDI and USER object counts are
# where they stood once the first cycles had settled them, the wallpaper values are the
# user's after every Stop, and after Exit the film's device is closed and the process gone.
#
# Object counts come from probe.exe gui: GDI = live entries of the process's GDI handle
# table (bitmaps, DCs, fonts, brushes, pens, regions, stock objects); USER = the process's
# windows (top-level, their descendants, message-only ones) plus the menus attached to
# them. Menus inside menus, icons, cursors and hooks are kept by Wine in per-process tables
# that nothing outside the process can read, so they are not counted. All samples are
# taken with no film open, so that the film's own objects do not blur the comparison.
#
# SOAK_CYCLES, SOAK_MENUS, SOAK_LOOPS, SOAK_SEEKS shorten a run while developing.
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/soak_lib.bash"

CYCLES=${SOAK_CYCLES:-200}
MENU_ROUNDS=${SOAK_MENUS:-500}
LOOPS=${SOAK_LOOPS:-50}
SEEK_ROUNDS=${SOAK_SEEKS:-50}
SAMPLE_EVERY=50
LOOP_STALL_SECONDS=20   # a loop takes about 2.5 s

user_wallpaper

jumps() { mci_n 'play MYPLAYER from [0-9]+\] -> 0'; }
play_stop() {
  press ctrl+p 'play MYPLAYER\]' $(($(plays) + 1))
  stop_film
}
# Ctrl+Right, pause, resume, Ctrl+Left; each jump must be accepted (a target below 0
# would be refused, and shows as a missing line).
seek_round() {
  press ctrl+Right 'play MYPLAYER from [0-9]+\] -> 0' $(($(jumps) + 1))
  press ctrl+space 'pause MYPLAYER wait\] -> 0' $(($(mci_n 'pause MYPLAYER wait\] -> 0') + 1))
  press ctrl+p 'resume MYPLAYER\] -> 0' $(($(mci_n 'resume MYPLAYER\] -> 0') + 1))
  press ctrl+Left 'play MYPLAYER from [0-9]+\] -> 0' $(($(jumps) + 1))
}
# Compares a sample with the settled counts: GDI and USER exactly. The film's decoder
# threads wind down a moment after "close", so a count may lag for a few seconds; one
# that has not come back within 15 s is a leak.
# GDI may also differ by whole entries of Wine's window-DC cache (gdi_back).
counts_settled() {
  local now=$1
  [ "$(count_of user "$now")" = "$(count_of user "$settled")" ] || return 1
  [ "$(count_of gdi "$now")" = "$(count_of gdi "$settled")" ] ||
    gdi_back "$types_settled" "$(probe gditypes "$MEVRA_PID")"
}
check_counts() {  # check_counts WHEN
  local now first end=$((SECONDS + 15))
  first=$(gui_counts "$MEVRA_PID"); now=$first
  until counts_settled "$now"; do
    [ $SECONDS -ge $end ] && break
    sleep 1
    now=$(gui_counts "$MEVRA_PID")
  done
  if [ "$now" = "$first" ]; then note "objects $1: $now"
  else note "objects $1: $now (first look: $first)"; fi
  counts_settled "$now" ||
    fail "objects $1: $now, settled at $settled; GDI by type now $(probe gditypes "$MEVRA_PID"), settled $types_settled"
}
phase() { note "[$((SECONDS - t0)) s] $*"; }

soak_films
desktop_up
soak_mevra_up
focus_desktop
t0=$SECONDS
at_start=$(gui_counts "$MEVRA_PID")
note "objects at start: $at_start"
[ "$(count_of gdi "$at_start")" -gt 0 ] || fail "no GDI count for Mevra: $at_start"

# --- Warm-up: every kind of use, in the order the soak uses them, twice over. Caches fill
# on first use (the open dialog after the menus, for one), so the second pass is what
# "settled" means.
warm_up() {
  open_film long.avi
  wallpaper_cleared || fail "the wallpaper was not cleared while the film plays"
  for _ in 1 2 3; do seek_round; done
  stop_film
  wallpaper_is_users "after a Stop"
  open_film loop.avi
  stop_film
  for _ in 1 2 3 4 5; do play_stop; done
  # An opening by X clicks, as a user makes it, then the quick kind.
  tray_menu >/dev/null
  click 600 758   # the bare taskbar closes it
  wait_until 5 bash -c "! wine '$E2E_BUILD/probe.exe' menus </dev/null 2>/dev/null | grep -q rect" ||
    fail "the tray menu did not close"
  probe menucycle 20 1013 758 42 >/dev/null || fail "the tray menu did not open and close cleanly"
}
phase "warm-up"
warm_up
first_pass=$(gui_counts "$MEVRA_PID")
note "objects after one pass: $first_pass"
warm_up
settled=$(gui_counts "$MEVRA_PID")
types_settled=$(probe gditypes "$MEVRA_PID")
note "objects settled: $settled"

# --- Play/Stop cycles through the hotkeys; a second instance half-way through.
phase "$CYCLES Play/Stop cycles"
opens_before=$(mci_n 'open [^ ].* type MPEGVideo .*\] -> 0')
for i in $(seq "$CYCLES"); do
  play_stop
  if [ "$i" -eq $((CYCLES / 2)) ]; then
    second_log=$E2E_TMP/second.log
    ts=$SECONDS
    (cd "$E2E_FILMS" && WINEDEBUG=-all,+loaddll,+debugstr timeout 60 wine "$E2E_BUILD/Mevra.exe" \
      </dev/null >/dev/null 2>"$second_log") || fail "the second instance did not end by itself (rc $?)"
    grep -a -q 'Loaded L".*Mevra.exe"' "$second_log" || fail "the second instance did not start"
    ! grep -a -q 'Mevra: mci' "$second_log" || fail "the second instance sent MCI commands"
    [ "$(probe windows | grep -c 'class=MevraForm1')" = 1 ] || fail "a second main window exists"
    [ "$(window_by_class MevraForm1)" = "$MEVRA_HWND" ] || fail "the first instance's window changed"
    phase "a second instance started at cycle $i ended after $((SECONDS - ts)) s, having done nothing"
  fi
  if [ $((i % SAMPLE_EVERY)) -eq 0 ] || [ "$i" -eq "$CYCLES" ]; then
    wallpaper_is_users "after cycle $i"
    check_counts "after cycle $i ($((SECONDS - t0)) s)"
  fi
done
opened=$(($(mci_n 'open [^ ].* type MPEGVideo .*\] -> 0') - opens_before))
[ "$opened" -eq "$CYCLES" ] || fail "$CYCLES cycles opened the film $opened times"

# --- The loop, with the tray menu opened and closed all the while.
phase "looping $LOOPS times, the tray menu opened $MENU_ROUNDS times meanwhile"
loop_from=$(wc -l <"$E2E_TRACE")
p0=$(plays)
press ctrl+p 'play MYPLAYER\]' $((p0 + 1))
wine "$E2E_BUILD/probe.exe" menucycle "$MENU_ROUNDS" 1013 758 42 </dev/null >"$E2E_TMP/menus.out" 2>/dev/null &
menus_pid=$!
seen=$((p0 + 1)); seen_at=$SECONDS
while [ $(($(plays) - p0 - 1)) -lt "$LOOPS" ]; do
  n=$(plays)
  if [ "$n" -gt "$seen" ]; then seen=$n; seen_at=$SECONDS
  elif [ $((SECONDS - seen_at)) -gt $LOOP_STALL_SECONDS ]; then
    fail "the loop stalled after $((n - p0 - 1)) restarts; last positions: $(mci_positions | tail -n 6 | tr '\n' ' ')"
  fi
  sleep 0.5
done
loops_done=$(($(plays) - p0 - 1))
phase "$loops_done restarts by the loop timer"
wait "$menus_pid" || true
menus=$(tr -d '\r' <"$E2E_TMP/menus.out")
note "tray menu: $(tail -n 1 <<<"$menus")"
grep -q "^rounds=$MENU_ROUNDS ok=$MENU_ROUNDS failed=0 " <<<"$menus" || fail "tray menu rounds: $menus"
# How the ends were seen: for each run of the film, the looks the timer took and the
# position at which it called the end; a position that falls back without a restart is
# an end the timer missed.
loop_stats=$(tail -n +"$loop_from" "$E2E_TRACE" | grep -a 'Mevra: mci \[' | sed 's/.*Mevra: mci \[//' | awk '
  /^play MYPLAYER\]/ { if (runs && looks) { n++; sum += looks; if (looks > maxl) maxl = looks
                         if (!minp || last < minp) minp = last; if (last > maxp) maxp = last }
                       runs++; looks = 0; prev = -1; next }
  /^status MYPLAYER position\] -> 0 \[/ { v = $0; sub(/.*\[/, "", v); sub(/\].*/, "", v); v += 0
                       if (prev >= 0 && v < prev) missed++; prev = v; last = v; looks++ }
  END { printf "ends=%d missed=%d looks_per_run=%.1f max_looks=%d end_seen_at_ms=%d..%d\n",
               n, missed, n ? sum / n : 0, maxl, minp, maxp }')
note "loop timer: $loop_stats"
[ "$(count_of missed "$loop_stats")" = 0 ] || fail "the loop timer missed ends: $loop_stats"
stop_film
wallpaper_is_users "after the loop"
check_counts "after the loop and the menus ($((SECONDS - t0)) s)"

# --- Pause, resume and jumps on the long film.
phase "$SEEK_ROUNDS rounds of Ctrl+Right, Ctrl+Space, Ctrl+P, Ctrl+Left"
open_film long.avi
for _ in $(seq "$SEEK_ROUNDS"); do seek_round; done
# Still moving: the timer's looks at the position go on rising.
looks=$(mci_n 'status MYPLAYER position')
wait_mci_n 10 'status MYPLAYER position\] -> 0' $((looks + 4)) || fail "the loop timer stopped looking"
mci_positions | tail -n 4 | sort -n -c 2>/dev/null || fail "the film stands still: $(mci_positions | tail -n 4 | tr '\n' ' ')"
[ "$(mci_positions | tail -n 1)" -gt "$(mci_positions | tail -n 4 | head -n 1)" ] ||
  fail "the film stands still: $(mci_positions | tail -n 4 | tr '\n' ' ')"
stop_film
wallpaper_is_users "after the last Stop"
mevra_alive || fail "Mevra is gone"
[ "$(window_by_class MevraForm1)" = "$MEVRA_HWND" ] || fail "Mevra's main window was replaced"
[ "$(probe tray "$MEVRA_HWND")" = "tray=1" ] || fail "the tray icon is gone"
check_counts "at the end ($((SECONDS - t0)) s)"

# --- Exit from the tray menu while the film plays: the device is closed, the process ends.
phase "Exit"
press ctrl+p 'play MYPLAYER\]' $(($(plays) + 1))
sleep 2
read -r left top right bottom < <(tray_menu)
click $((left + 60)) $((bottom - 14))
wait_until 20 process_gone "$MEVRA_PID" || fail "Exit did not end Mevra"
[ "$(mci_log | grep -v -e '^status' -e 'time format' -e '^open  Type cdaudio' | tail -n 1)" = "close MYPLAYER] -> 0" ] ||
  fail "the last MCI command was not the film's close: $(mci_log | tail -n 3 | tr '\n' '|')"
balance=$(mci_balance)
note "MCI device: $balance"
[ "$(count_of open_at_end "$balance")" = 0 ] && [ "$(count_of reopened "$balance")" = 0 ] ||
  fail "the film's device was left open: $balance"
[ "$(probe tray "$MEVRA_HWND")" = "tray=0" ] || fail "the tray icon outlived Mevra"
wallpaper_is_users "after Exit"
phase "done: $CYCLES cycles, $loops_done loops, $MENU_ROUNDS menu rounds, $((SEEK_ROUNDS * 4)) pause/resume/seek presses; $PRESS_REPEATS presses repeated"
note "objects: start $(count_of gdi "$at_start")/$(count_of user "$at_start"), settled $(count_of gdi "$settled")/$(count_of user "$settled") (GDI/USER)"
