# A desktop nobody can see plays no film: a maximised window over it pauses the film and
# closing the window resumes it where it was; a user's Pause meanwhile stays a pause; a
# locked session pauses it too, and unlocking resumes it.
source "$(dirname "$0")/lib.bash"

cover_up() {
  # A start Wine loses now and then under load gets a second try before the verdict.
  local try
  for try in 1 2; do
    wstart "$E2E_BUILD/bench-programs/benchcover.exe"
    wait_until 30 has_window_class BenchCover && return 0
    note "the covering window did not open (try $try)"
  done
  fail "the covering window did not open"
}
cover_down() {
  probe post "$(window_by_class BenchCover)" 0x10 >/dev/null
  wait_until 10 no_window_class BenchCover || fail "the covering window did not close"
}
# Position (ms) in the last status reply of the trace.
last_position() { mci_log | grep '^status MYPLAYER position\] -> 0' | tail -n 1 | sed 's/.*\[\([0-9]*\)\]$/\1/'; }

desktop_up
mevra_up
open_film "$E2E_FILMS/clip.avi"
wait_mci 20 'play MYPLAYER\]' || fail "the film did not start"
wait_mci 10 'status MYPLAYER position' 2 || fail "the loop timer does not run"

# 1. Covered, then shown again: paused within a tick, resumed at the same place.
cover_up
wait_mci 5 'pause MYPLAYER wait' || fail "a maximised window over the desktop did not pause the film"
before=$(last_position)
ticks=$(mci_count 'status MYPLAYER position')
sleep 2
[ "$(mci_count 'status MYPLAYER position')" -eq "$ticks" ] || fail "the end check went on while the film was paused"
cover_down
wait_mci 3 'resume MYPLAYER' || fail "the film did not resume when the desktop showed again"
wait_mci 5 'status MYPLAYER position' $((ticks + 1)) || fail "the loop timer stopped after the resume"
after=$(last_position)
note "paused at ${before:-?} ms, went on at ${after:-?} ms"
# The same place, give or take a tick; the 6 s film may have looped just after.
[ -n "$before" ] && [ -n "$after" ] &&
  { { [ "$after" -ge "$before" ] && [ $((after - before)) -lt 1500 ]; } || { [ "$before" -gt 4500 ] && [ "$after" -lt 1500 ]; }; } ||
  fail "the film did not go on from where it paused (${before:-?} -> ${after:-?} ms)"

# 2. The user's Pause while covered stays a pause when the desktop shows again.
cover_up
wait_mci 5 'pause MYPLAYER wait' 2 || fail "the second cover did not pause the film"
key ctrl+space
wait_mci 5 'pause MYPLAYER wait' 3 || fail "Ctrl+Space sent no pause"
cover_down
sleep 2
[ "$(mci_count 'resume MYPLAYER')" -eq 1 ] || fail "the user's Pause was undone when the desktop showed"
key ctrl+p
wait_mci 5 'resume MYPLAYER' 2 || fail "Play did not resume after the user's Pause"

# 3. A locked session pauses; unlocking resumes (WM_WTSSESSION_CHANGE, lock 7, unlock 8).
probe post "$MEVRA_HWND" 0x2B1 7 >/dev/null
wait_mci 5 'pause MYPLAYER wait' 4 || fail "locking the session did not pause the film"
probe post "$MEVRA_HWND" 0x2B1 8 >/dev/null
wait_mci 5 'resume MYPLAYER' 3 || fail "unlocking the session did not resume the film"
note "ok: covered and locked desktops pause the film; the user's Pause stays"
