# Helpers of the long runs (soak, faults, formats), on top of lib.bash: Mevra started
# with time-stamped traces, hotkeys pressed without the settling pause of key(), trace
# counters that poll without starting a Windows program, and object counts.
# Source it after lib.bash.

# Mevra as mevra_up starts it, with Wine's timestamps on each trace line (seconds since
# the Wine session began) so that the timing of loops can be read back.
soak_mevra_up() {
  (cd "$E2E_FILMS" && WINEDEBUG=-all,+debugstr,+timestamp wine "$E2E_BUILD/Mevra.exe" </dev/null >/dev/null 2>>"$E2E_TRACE" &)
  wait_until 30 has_window_class MevraForm1 || fail "Mevra's main window did not appear"
  MEVRA_HWND=$(window_by_class MevraForm1)
  MEVRA_PID=$(pid_of_window "$MEVRA_HWND")
  [ -n "$MEVRA_PID" ] || fail "no process id for Mevra's window $MEVRA_HWND"
  # The start-up balloon holds the program for a second before it registers its hotkeys;
  # Ctrl+Space is the last of them.
  wait_until 15 hotkey_taken 2 0x20 || fail "Mevra did not register its hotkeys"
  [ "$(probe tray "$MEVRA_HWND")" = "tray=1" ] || fail "no tray icon after start"
}
hotkey_taken() { [ "$(probe hotkey "$1" "$2")" = "free=0" ]; }

# A hotkey press, straight to the virtual desktop that has the keyboard.
focus_desktop() {
  local w; w=$(x_desktop)
  [ -n "$w" ] && xdotool windowfocus --sync "$w" 2>/dev/null || true
}
hk() { xdotool key --delay 40 "$@"; }

# Trace counters: lines of the MCI trace matching an extended regular expression.
mci_n() { grep -a -c -E -- "Mevra: mci \[$1" "$E2E_TRACE" || true; }
# wait_mci_n SECONDS REGEX N: until N lines match; polls the file only.
wait_mci_n() {
  local end=$((SECONDS + $1))
  while [ "$(mci_n "$2")" -lt "$3" ]; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.1
  done
}
# The trace as "seconds command -> code [reply]" lines.
mci_timed() {
  grep -a 'Mevra: mci \[' "$E2E_TRACE" |
    sed 's/^\([0-9.]*\):.*Mevra: mci \[/\1 /; s/\\n"$//; s/"$//' || true
}

# The MCI device's life in the trace: every successful open must be closed before the
# next one. Prints "opens=N closes=N open_at_end=0|1 reopened=N".
mci_balance() {
  mci_log | awk '
    /^open .*\] -> 0/                   { if (isopen) reopened++; isopen = 1; opens++ }
    /^close MYPLAYER\] -> 0/            { isopen = 0; closes++ }
    END { printf "opens=%d closes=%d open_at_end=%d reopened=%d\n", opens, closes, isopen, reopened }'
}

# The positions the loop timer read back, in order, one per line (milliseconds).
mci_positions() { mci_log | sed -n 's/^status MYPLAYER position\] -> 0 \[\([0-9]*\)\]$/\1/p'; }

# "gdi=N user=N windows=N menus=N threads=N" of a process; see probe.cpp for what is counted.
gui_counts() { probe gui "$1"; }
count_of() { sed -n "s/.*\<$1=\([-0-9]*\).*/\1/p" <<<"$2"; }

# The three wallpaper values as one line, to compare with the user's originals.
wallpaper_values() {
  local desk='HKCU\Control Panel\Desktop'
  printf 'Wallpaper=%s|TileWallpaper=%s|WallpaperStyle=%s' \
    "$(reg_get "$desk" Wallpaper)" "$(reg_get "$desk" TileWallpaper)" "$(reg_get "$desk" WallpaperStyle)"
}

# A film chosen through Ctrl+O and the open dialog; waits for its play command.
open_film() {  # open_film NAME
  local plays; plays=$(mci_n 'play MYPLAYER\]')
  focus_desktop
  hk ctrl+o
  wait_until 20 has_window_title 'OPEN MEDIA FILE' || fail "Ctrl+O did not open the dialog"
  sleep 0.8
  type_text "$1"
  hk Return
  wait_mci_n 30 'play MYPLAYER\]' $((plays + 1)) || fail "no play command after choosing $1"
}

process_gone() { probe gui "$1" | grep -q 'no process'; }
