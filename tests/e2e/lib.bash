# Helpers for the end-to-end tests: the real Mevra.exe under Wine in a virtual desktop
# on Xvfb, driven with xdotool and observed from outside (probe.exe, registry, screenshots).
# Sourced by each tests/e2e/*.sh with the build folder as $1; scripts/test has already
# started Xvfb (DISPLAY) and the throwaway prefix (WINEPREFIX).

set -euo pipefail
E2E_BUILD=$(cd "${1:?build folder}" && pwd)
E2E_NAME=$(basename "$0" .sh)
E2E_SHOTS=${MEVRA_SHOTS:-$E2E_BUILD/e2e-shots}
E2E_TMP=$(mktemp -d /tmp/mevra-e2e.XXXXXX)
E2E_FILMS=$E2E_BUILD/testdata
mkdir -p "$E2E_SHOTS"
trap 'e2e_end' EXIT

fail() {
  echo "FAIL [$E2E_NAME]: $*" >&2
  [ -f "${E2E_TRACE:-}" ] && cp "$E2E_TRACE" "$E2E_SHOTS/FAIL-$E2E_NAME-trace.log" &&
    echo "  Mevra's trace: $E2E_SHOTS/FAIL-$E2E_NAME-trace.log" >&2
  import -window root "$E2E_SHOTS/FAIL-$E2E_NAME.png" 2>/dev/null && echo "  screen at failure: $E2E_SHOTS/FAIL-$E2E_NAME.png" >&2
  exit 1
}
note() { echo "  $*"; }

# Runs a Windows program to completion, stdin closed and output through a file: Wine's
# services must never inherit one of our pipes, or the reader waits for ever.
wrun() {
  local out=$E2E_TMP/out.$$
  wine "$@" </dev/null >"$out" 2>/dev/null || { local rc=$?; cat "$out"; return $rc; }
  cat "$out"
}

# Starts a Windows program in the background, fully detached.
wstart() { wine "$@" </dev/null >/dev/null 2>&1 & }

winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }

probe() { wrun "$E2E_BUILD/probe.exe" "$@" | tr -d '\r'; }

reg_get() {  # reg_get 'HKCU\Control Panel\Desktop' Wallpaper -> the data, or nothing
  wrun reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v v="$2" '$1 == v { sub(/^[ \t]*[^ \t]+[ \t]+REG_[A-Z_]+[ \t]*/, ""); print; found=1 } END { exit !found }'
}
reg_set() { wrun reg add "$1" /v "$2" /d "$3" /f >/dev/null; }
# A path as the wide calls take it: UTF-16LE, in hex (probe setwall).
utf16_hex() { printf '%s' "$1" | iconv -f utf-8 -t utf-16le | od -An -tx1 | tr -d ' \n'; }
reg_del() { wrun reg delete "$1" /v "$2" /f >/dev/null 2>&1 || true; }

# Polls a command until it succeeds: wait_until SECONDS COMMAND...
wait_until() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.3
  done
}

# Window lookups through probe.exe; print the first match's hwnd.
window_by_class() { probe windows | awk -v c="class=$1" '{ for (i = 1; i <= NF; i++) if ($i == c) { sub("hwnd=", "", $2); print $2; exit } }'; }
window_by_title() { probe windows | grep -F "title=$1" | head -n 1 | sed 's/^top hwnd=\([0-9]*\).*/\1/'; }
has_window_class() { [ -n "$(window_by_class "$1")" ]; }
has_window_title() { probe windows | grep "title=" | grep -qF -- "$1"; }
no_window_class() { ! has_window_class "$1"; }
menu_open() { probe menus | grep -q rect; }
pid_of_window() { probe windows | grep "hwnd=$1 " | sed 's/.* pid=\([0-9]*\).*/\1/'; }

# Every Wine program of the test runs in one virtual desktop of 1024 x 768.
desktop_up() {
  reg_set 'HKCU\Software\Wine\Explorer' Desktop Default
  reg_set 'HKCU\Software\Wine\Explorer\Desktops' Default 1024x768
  wstart "$E2E_BUILD/progman.exe" "$@"
  wait_until 30 has_window_class Progman || fail "the stand-in desktop did not start"
  # A Windows program started earlier in the test made Wine's desktop before the values
  # above were there: a desktop on the root window, with no taskbar and no tray.
  [ -n "$(x_desktop)" ] || fail "Wine's desktop is not the virtual one: a Windows program ran before desktop_up"
  sleep 1
}

# The X window of the virtual desktop, which takes the keys.
# A search that meets a window closing meanwhile finds nothing: asked again, briefly.
x_desktop() {
  local w _
  for _ in 1 2 3 4 5; do
    w=$(xdotool search --name 'Wine desktop' 2>/dev/null | head -n 1) || true
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.2
  done
}
key() {
  local w; w=$(x_desktop)
  [ -n "$w" ] && xdotool windowfocus --sync "$w" 2>/dev/null || true
  xdotool key --delay 80 "$@"
  sleep 0.5
}
click() {  # click X Y BUTTON
  xdotool mousemove --sync "$1" "$2" click "${3:-1}"
  sleep 0.5
}
type_text() { xdotool type --delay 40 "$1"; sleep 0.3; }

shot() {  # shot NAME: saves a screenshot of the whole display
  import -window root "$E2E_SHOTS/$1.png"
  echo "$E2E_SHOTS/$1.png"
}
pixel() {  # pixel FILE X Y -> "R,G,B"
  convert "$1" -format '%[fx:int(255*p{'"$2"','"$3"'}.r)],%[fx:int(255*p{'"$2"','"$3"'}.g)],%[fx:int(255*p{'"$2"','"$3"'}.b)]' info:; echo
}

e2e_end() {
  # Let a running Mevra shut down properly (its film closed, wallpaper back) before the
  # Wine server goes.
  local h; h=$(window_by_class MevraForm1 2>/dev/null || true)
  if [ -n "$h" ]; then
    probe post "$h" 0x10 >/dev/null 2>&1 || true
    wait_until 10 no_window_class MevraForm1 || true
  fi
  # Leave the prefix with the default hotkeys and without a virtual desktop, as the
  # Windows tier and the next test expect it.
  wrun reg delete 'HKCU\Software\Mevra\Hotkeys' /f >/dev/null 2>&1 || true
  wrun reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
  wineserver -k </dev/null >/dev/null 2>&1 || true
  rm -rf "$E2E_TMP"
}

# Each test starts from no running Windows program.
wineserver -k </dev/null >/dev/null 2>&1 || true
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

# Mevra itself: started from the films folder (where its Open dialog then looks first),
# with its debugger-channel trace of MCI commands captured in $E2E_TRACE.
E2E_TRACE=$E2E_TMP/trace.log
mevra_up() {  # mevra_up [EXE]: the built Mevra.exe unless told another
  local exe=${1:-$E2E_BUILD/Mevra.exe}
  (cd "$E2E_FILMS" && WINEDEBUG=-all,+debugstr wine "$exe" </dev/null >/dev/null 2>>"$E2E_TRACE" &)
  wait_until 30 has_window_class MevraForm1 || fail "Mevra's main window did not appear"
  MEVRA_HWND=$(window_by_class MevraForm1)
  MEVRA_PID=$(pid_of_window "$MEVRA_HWND")
  sleep 1.5   # the hotkeys come after the tray icon and its start-up balloon
}
# Chooses a film through Ctrl+O and the open dialog.
open_film() {
  key ctrl+o
  wait_until 15 has_window_title 'OPEN MEDIA FILE' || fail "Ctrl+O did not open the dialog"
  sleep 1
  type_text "$(winpath "$1")"
  key Return
}
mevra_alive() { [ -n "$(window_by_class MevraForm1)" ]; }
# Whether Mevra's Linux process (the Mevra.exe of this prefix) maps the file NAME now.
mevra_maps() {
  local p
  for p in $(pgrep -f 'Mevra\.exe'); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    grep -qi "/$1\$" "/proc/$p/maps" 2>/dev/null && return 0
  done
  return 1
}
# MCI commands Mevra sent, one per line, as "command -> code [reply]".
mci_log() { grep -a -o 'Mevra: mci \[.*' "$E2E_TRACE" | sed 's/^Mevra: mci \[//; s/\\n"$//; s/"$//' || true; }
mci_count() { mci_log | grep -c -- "$1" || true; }
wait_mci() {  # wait_mci SECONDS PATTERN [MIN_COUNT]: until the trace holds PATTERN
  local n=${3:-1}
  wait_until "$1" bash -c "[ \$(grep -a -c -- '$2' '$E2E_TRACE') -ge $n ]"
}

# The tray icon sits at the right end of Wine's taskbar.
tray_xy() { echo "1013 758"; }
# Opens the tray menu and prints its rectangle "left top right bottom".
tray_menu() {
  local xy; xy=$(tray_xy)
  xdotool mousemove --sync $xy click 3
  wait_until 10 menu_open || fail "the tray menu did not open"
  probe menus | head -n 1 | sed 's/.*rect=\([-0-9]*\),\([-0-9]*\),\([-0-9]*\),\([-0-9]*\).*/\1 \2 \3 \4/'
}

# The tray menu's geometry, as the menu engine measures it with Wine's menu font: items
# with a picture are 22 pixels high, items without one 21, separators 6; 3 of border.
ROOT_OPTIONS_DY=42   # centre of "Options", from the root menu's top
SUB_ROW=21           # submenu rows: Hide Desktop, Hide Shortcut Arrow, Loop, StartUp, -, About
sub_row_y() { case $2 in 0|1|2|3) echo $(($1 + 3 + SUB_ROW * $2 + 10)) ;; about) echo $(($1 + 3 + SUB_ROW * 4 + 6 + 10)) ;; esac; }
# Opens the tray menu and its Options submenu; prints the submenu's "left top right bottom".
options_menu() {
  local l t r b
  read -r l t r b < <(tray_menu)
  xdotool mousemove --sync $((l + 60)) $((t + ROOT_OPTIONS_DY))
  local n
  for n in $(seq 30); do
    [ "$(probe menus | grep -c rect)" -ge 2 ] && break
    sleep 0.3
  done
  probe menus | head -n 1 | sed 's/.*rect=\([-0-9]*\),\([-0-9]*\),\([-0-9]*\),\([-0-9]*\).*/\1 \2 \3 \4/'
}
close_menus() { xdotool key Escape; sleep 0.3; xdotool key Escape; sleep 0.5; }
# Share of red pixels in the picture cell of a menu row: the check mark is red.
tick_at() {  # tick_at SHOT MENU_LEFT ROW_Y -> 0..1
  convert "$1" -crop 18x14+$(($2 + 31))+$(($3 - 7)) +repage -fuzz 30% -fill black +opaque red \
    -fill white -opaque red -format '%[fx:mean]' info:
}
has_tick() { awk -v m="$(tick_at "$@")" 'BEGIN { exit !(m > 0.05) }'; }

# --- The desktop's window tree (probe layers): one "win depth=N hwnd=H field=value ..."
# line per window, top-level windows top first, each followed by its descendants.
LAYERS=$E2E_TMP/layers.txt
layers_now() { probe layers >"$LAYERS"; }
# lwin HWND FIELD: a field of that window in the last layers_now.
lwin() {
  awk -v h="hwnd=$1" -v f="$2=" '$3 == h { for (i = 2; i <= NF; i++) if (index($i, f) == 1) { print substr($i, length(f) + 1); exit } }' "$LAYERS"
}
# lfind FIELD=VALUE...: the hwnd of the first window with all those fields (class=WorkerW depth=0).
lfind() {
  awk -v want="$*" 'BEGIN { n = split(want, w, " ") }
    { ok = 1; for (k = 1; k <= n; k++) { hit = 0; for (i = 2; i <= NF; i++) if ($i == w[k]) hit = 1; ok = ok && hit }
      if (ok) { sub("hwnd=", "", $3); print $3; exit } }' "$LAYERS"
}
lline() { grep -m1 " hwnd=$1 " "$LAYERS" | sed 's/ style=[^ ]* exstyle=[^ ]*//'; }
# wait_ms LIMIT_MS COMMAND...: wait_until to the millisecond; WAITED_MS says how long it took.
wait_ms() {
  local limit=$1 start; shift
  start=$(date +%s%3N)
  until "$@" >/dev/null 2>&1; do
    WAITED_MS=$(( $(date +%s%3N) - start ))
    [ "$WAITED_MS" -ge "$limit" ] && return 1
    sleep 0.1
  done
  WAITED_MS=$(( $(date +%s%3N) - start ))
}

# The last Play on a desktop with a "Program Manager" sent what Play has always sent, and
# nothing new came after it: play_trace_is_todays FILM PROGMAN (run layers_now first).
play_trace_is_todays() {
  local film=$1 progman=$2 w h since block other
  IFS=, read -r w h <<<"$(lwin "$progman" client)"
  since=$(mci_log | sed 's/\] -> .*//' | awk '/^open [^ ]/ { buf = "" } { buf = buf $0 "\n" } END { printf "%s", buf }')
  block=$(sed -n '1,/^play MYPLAYER$/p' <<<"$since")
  grep -q "^open .*\\\\$film type MPEGVideo Alias MYPLAYER parent $progman Style 1073741824\$" <<<"$block" ||
    fail "the open differs from today's: $(head -n 1 <<<"$block")"
  [ "$(tail -n +2 <<<"$block")" = "$(printf '%s\n' 'set MYPLAYER time format milliseconds' \
      'status MYPLAYER length' "put MYPLAYER window at 0 0 $w $h" 'seek MYPLAYER to 0' 'play MYPLAYER')" ] ||
    fail "the Play's commands differ from today's:"$'\n'"$block"
  other=$(grep -v -E '^(open .* type MPEGVideo Alias MYPLAYER parent [0-9]+ Style 1073741824|set MYPLAYER time format (milliseconds|tmsf)|status MYPLAYER (length|position)|put MYPLAYER window at 0 0 [0-9]+ [0-9]+|seek MYPLAYER to 0|play MYPLAYER)$' <<<"$since" || true)
  [ -z "$other" ] || fail "commands today's Play never sends:"$'\n'"$other"
}
