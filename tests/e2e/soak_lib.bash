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
  # The hotkeys are registered after the tray icon and its balloon; Ctrl+Space is the
  # last of them.
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

# press KEYS REGEX N [SECONDS]: presses a hotkey and waits until N trace lines match.
# Now and then Wine's X driver drops a key while its windows change focus; a press with
# no effect after SECONDS (8) is made once more, counted in PRESS_REPEATS, and a second
# miss fails the test.
PRESS_REPEATS=0
press() {
  local keys=$1 regex=$2 n=$3 limit=${4:-8}
  hk "$keys"
  wait_mci_n "$limit" "$regex" "$n" && return 0
  PRESS_REPEATS=$((PRESS_REPEATS + 1))
  note "no effect of $keys after ${limit} s: pressed again"
  focus_desktop
  hk "$keys"
  wait_mci_n "$limit" "$regex" "$n" || fail "$keys had no effect (waiting for '$regex' x$n)"
}

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

# GDI objects by type (probe gditypes) back where they settled, with one allowance: Wine's
# cache of window DCs (win32u dce.c, at most DCE_CACHE_SIZE = 64 entries, never freed) gains
# an entry - a DC, the surface every display DC carries and, while it serves a window, that
# window's visible region - whenever a window is painted and no entry is free, as happens
# when the menu and the dialog are up at once. So every other type exactly as settled, and
# DCs and surfaces grown alike, by whole entries, by no more than the cache holds.
gdi_back() {  # gdi_back SETTLED NOW
  local t grown
  for t in memdc bitmap font brush pen extpen palette other; do
    [ "$(count_of "$t" "$2")" = "$(count_of "$t" "$1")" ] || return 1
  done
  grown=$(( $(count_of surface "$2") - $(count_of surface "$1") ))
  [ "$grown" -ge 0 ] && [ "$grown" -le 64 ] &&
    [ $(( $(count_of dc "$2") - $(count_of dc "$1") )) = "$grown" ] &&
    [ $(( $(count_of region "$2") - $(count_of region "$1") )) -le "$grown" ]
}
# The three wallpaper values as one line, to compare with the user's originals.
wallpaper_values() {
  local desk='HKCU\Control Panel\Desktop'
  printf 'Wallpaper=%s|TileWallpaper=%s|WallpaperStyle=%s' \
    "$(reg_get "$desk" Wallpaper)" "$(reg_get "$desk" TileWallpaper)" "$(reg_get "$desk" WallpaperStyle)"
}

# A film chosen through Ctrl+O and the open dialog; waits for its play command. The full
# path is typed: the dialog may start in the folder it was last used in.
open_film() {  # open_film NAME (in the films folder)
  local plays; plays=$(mci_n 'play MYPLAYER\]')
  focus_desktop
  hk ctrl+o
  wait_until 20 has_window_title 'OPEN MEDIA FILE' || fail "Ctrl+O did not open the dialog"
  sleep 0.8
  type_text "$(winpath "$E2E_FILMS/$1")"
  hk Return
  wait_mci_n 30 'play MYPLAYER\]' $((plays + 1)) || fail "no play command after choosing $1"
}

# probe gui fails when the process is gone, so its answer is read, not its status.
process_gone() { [[ "$(probe gui "$1" || true)" == *"no process"* ]]; }

# The soak's own films beside the samples. loop.avi lasts 3 s: the loop timer looks every
# 500 ms from the start, the end counts from 2.5 s on (whole seconds, rounded) and Wine
# shows the last frame only about 0.5 s before it puts the position back to 0, so 3 s
# leaves a look or two inside that window.
# long.avi lasts 2 minutes, room for 10-second jumps both ways.
soak_films() {
  local entry name secs fps
  for entry in loop:3:25 long:120:10; do
    IFS=: read -r name secs fps <<<"$entry"
    [ -f "$E2E_FILMS/$name.avi" ] && continue
    ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=160x120:rate=$fps:duration=$secs" \
      -f lavfi -i "sine=frequency=440:sample_rate=8000:duration=$secs" -ac 1 \
      -c:v mpeg4 -c:a pcm_s16le "$E2E_TMP/$name.avi" && mv "$E2E_TMP/$name.avi" "$E2E_FILMS/$name.avi" ||
      fail "could not make $name.avi"
  done
}

# The user's wallpaper: a tiled 64-pixel tile, blue and sand. Sets WALLPAPER_ORIGINALS.
user_wallpaper() {
  # A journal left by an earlier test's Mevra would put its wallpaper back over this one.
  reg_del 'HKCU\Software\Mevra' WallpaperJournal
  convert -size 32x64 xc:'#3a6ea5' -size 32x64 xc:'#e0c080' +append BMP3:"$E2E_TMP/wall.bmp"
  local desk='HKCU\Control Panel\Desktop'
  reg_set "$desk" Wallpaper "$(winpath "$E2E_TMP/wall.bmp")"
  reg_set "$desk" TileWallpaper 1
  reg_set "$desk" WallpaperStyle 0
  WALLPAPER_ORIGINALS=$(wallpaper_values)
}
# The values come back just after the film's device closes, which is what the tests wait
# for: a few seconds are allowed (a Media Foundation player takes longer to close).
wallpaper_is_users() {  # wallpaper_is_users WHEN
  wait_until 5 wallpaper_back && return 0
  fail "wallpaper values $1: '$(wallpaper_values)', the user's were '$WALLPAPER_ORIGINALS'"
}
wallpaper_back() { [ "$(wallpaper_values)" = "$WALLPAPER_ORIGINALS" ]; }
wallpaper_cleared() { [ "$(reg_get 'HKCU\Control Panel\Desktop' Wallpaper | tr -d ' ')" = "" ]; }

plays() { mci_n 'play MYPLAYER\]'; }
closes() { mci_n 'close MYPLAYER\] -> 0'; }
stop_film() { press ctrl+s 'close MYPLAYER\] -> 0' $(($(closes) + 1)); }

# Ends Mevra with its Exit command and checks what it leaves: no process, no open device,
# the user's wallpaper. The next run's trace starts empty.
mevra_down() {
  probe post "$MEVRA_HWND" 0x111 1015 >/dev/null
  wait_until 20 process_gone "$MEVRA_PID" || fail "Exit did not end Mevra"
  local balance; balance=$(mci_balance)
  [ "$(count_of open_at_end "$balance")" = 0 ] || fail "Exit left the film's device open: $balance"
  wallpaper_is_users "after Exit"
  : >"$E2E_TRACE"
}

# The MCI trace is kept beside the screenshots, for reading after a failure.
trap 'cp "$E2E_TRACE" "$E2E_SHOTS/$E2E_NAME-trace.log" 2>/dev/null; e2e_end' EXIT
