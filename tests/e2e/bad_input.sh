# Bad input, one after another in one run of Mevra, chosen through Ctrl+O and the open
# dialog (or played again with Ctrl+P when the file changes after the dialog). After each:
# Mevra answers, no open is retried, the wallpaper values are byte for byte the user's,
# the film's device is closed, and a balloon named the file. Prints, per input, the open's
# MCI result, the balloon and the time from the choice (Return in the dialog, or Ctrl+P) to
# the wallpaper being back; a film that does open is stopped first, so its time includes
# a second of playing and the Stop.
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/soak_lib.bash"

soak_films
user_wallpaper
desk_raw() { probe regraw 'Control Panel\Desktop' Wallpaper TileWallpaper WallpaperStyle; }
bad=$E2E_TMP/bad
mkdir -p "$bad"

now_ms() { echo $(($(date +%s%N) / 1000000)); }
balloons() { grep -a -c 'Mevra: balloon \[' "$E2E_TRACE" || true; }
# The trace escapes bytes outside ASCII (\xd0...), which a name in UTF-8 has: decoded here.
last_balloon() { printf '%b' "$(grep -a -o 'Mevra: balloon \[.*' "$E2E_TRACE" | tail -n 1 | sed 's/^Mevra: balloon \[//; s/\]\(\\n\)\{0,1\}"$//')"; }
# The MCI result of the first film open after the N-th (the CD-audio opens left out).
open_after() { mci_log | grep '^open ' | grep -v 'Type cdaudio' | tail -n +$(($1 + 1)) | head -n 1 | sed 's/.*\] -> //'; }
opens() { mci_n 'open [^ ]* *type '; }
no_dialog() { ! has_window_title 'OPEN MEDIA FILE'; }
desk_back() { [ "$(desk_raw)" = "$original" ]; }
balloon_after() { [ "$(balloons)" -gt "$1" ]; }

# choose WINDOWS_PATH [SLOW_TAIL]: the path typed into the open dialog, then Return (at
# T_CHOSEN). SLOW_TAIL, typed after the path and slowly, holds the characters that are not
# on the keyboard map: xdotool maps each to a spare key first, which Wine must see.
choose() {
  focus_desktop
  hk ctrl+o
  wait_until 20 has_window_title 'OPEN MEDIA FILE' || fail "Ctrl+O did not open the dialog"
  sleep 0.8
  # Long paths typed quicker; characters outside the keymap need the slower pace.
  local delay=25; [ ${#1} -gt 150 ] && delay=15
  xdotool type --delay "$delay" "$1"
  [ -n "${2:-}" ] && { sleep 0.5; xdotool type --delay 250 "$2"; }
  sleep 0.3
  T_CHOSEN=$(now_ms)
  hk Return
  wait_until 20 no_dialog || fail "the dialog did not take '$1'"
}
# play_again: Ctrl+P on the file chosen earlier.
play_again() { focus_desktop; hk ctrl+p; }

RESULTS=()
# settle NAME BALLOONS_BEFORE OPENS_BEFORE T0: waits for the balloon naming the file and
# the wallpaper back (after a Stop when the film did open), then checks the rest.
settle() {
  local name=$1 b0=$2 o0=$3 t0=$4
  wait_until 40 balloon_after "$b0" || fail "$name: no balloon"
  local balloon; balloon=$(last_balloon)
  local result; result=$(open_after "$o0")
  if [ "$result" = 0 ]; then
    sleep 1
    stop_film
  fi
  wait_until 20 desk_back || fail "$name: wallpaper values '$(desk_raw)', the user's were '$original'"
  local took=$(($(now_ms) - t0))
  local o1; o1=$(opens)
  sleep 1.2   # a retry would come within a loop tick or two
  [ "$(opens)" = "$o1" ] || fail "$name: the open was tried again ($(opens) opens, $o1 before)"
  local answer; answer=$(probe answer "$MEVRA_HWND")
  [ "${answer#answer=}" != none ] && [ "${answer#answer=}" -lt 1000 ] || fail "$name: Mevra does not answer: $answer"
  local balance; balance=$(mci_balance)
  [ "$(count_of open_at_end "$balance")" = 0 ] || fail "$name: the film's device is still open: $balance"
  desk_back || fail "$name: wallpaper changed after the recovery: $(desk_raw)"
  RESULTS+=("$(printf '%-22s | open %-4s | %5d ms | opens %d | %s' "$name" "${result:-none}" "$took" "$((o1 - o0))" "$balloon")")
  note "${RESULTS[-1]}"
}
# A file chosen as it is.
try_file() {  # try_file NAME WINDOWS_PATH [SLOW_TAIL]
  local b0 o0; b0=$(balloons); o0=$(opens)
  choose "$2" "${3:-}"
  settle "$1" "$b0" "$o0" "$T_CHOSEN"
}
# A good film chosen (it plays), stopped, then spoilt by CHANGE and played again with Ctrl+P.
try_after_change() {  # try_after_change NAME WINDOWS_PATH CHANGE...
  local name=$1 path=$2; shift 2
  open_film_path "$path"
  stop_film
  "$@"
  local b0 o0 t0; b0=$(balloons); o0=$(opens); t0=$(now_ms)
  play_again
  settle "$name" "$b0" "$o0" "$t0"
}
open_film_path() {
  local p; p=$(plays)
  choose "$1"
  wait_mci_n 30 'play MYPLAYER\]' $((p + 1)) || fail "no play command after choosing $1"
}

# --- the inputs
: >"$bad/zero.avi"
head -c 4096 "$E2E_FILMS/clip.avi" >"$bad/truncated.avi"
printf 'This is a letter, not a film.\r\n%.0s' $(seq 40) >"$bad/letter.avi"
head -c 200000 /dev/urandom >"$bad/noise.mpg"
truncate -s 4G "$bad/huge.avi"
ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:sample_rate=8000:duration=3" -c:a pcm_s16le "$bad/sound only.avi"
ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=160x120:rate=25:duration=0.6" -c:v mpeg4 "$bad/blink.avi"
odd="$bad/a b & c %PATH% 'q' \`r\` ,;=.avi"
cp "$E2E_FILMS/clip.avi" "$odd"
# 252 characters as Windows sees it (Z: in front): past the open command's field.
long=$bad; while [ ${#long} -lt 200 ]; do long="$long/a-rather-long-folder-name"; done
mkdir -p "$long"
long="$long/$(printf 'f%.0s' $(seq $((252 - 2 - ${#long} - 1 - 4)))).avi"
cp "$E2E_FILMS/clip.avi" "$long"
intl_name="Фильм 映画"
cp "$E2E_FILMS/clip.avi" "$bad/$intl_name.avi"

desktop_up
# Read after the desktop is up: probe.exe is a Windows program, and the first one
# makes the desktop.
original=$(desk_raw)
soak_mevra_up
start_counts=$(gui_counts "$MEVRA_PID")

try_file "zero bytes" "$(winpath "$bad/zero.avi")"
try_file "truncated AVI (4 KB)" "$(winpath "$bad/truncated.avi")"
try_file "text renamed .avi" "$(winpath "$bad/letter.avi")"
try_file "random bytes .mpg" "$(winpath "$bad/noise.mpg")"
try_file "4 GB sparse" "$(winpath "$bad/huge.avi")"
try_file "audio only" "$(winpath "$bad/sound only.avi")"
try_file "under 1 s" "$(winpath "$bad/blink.avi")"
try_file "blanks & % quotes" "$(winpath "$odd")"
try_file "path of $((${#long} + 2)) chars" "$(winpath "$long")"
note "  its open: $(mci_log | grep '^open ' | grep -v 'Type cdaudio' | tail -n 1)"
try_file "Cyrillic + Japanese" "$(winpath "$bad")\\" "$intl_name.avi"
# The dialog's answer has '?'s for these; the balloon names the file all the same.
case "$(last_balloon)" in
  "$intl_name.avi"*) ;;
  *) fail "Cyrillic + Japanese: the balloon says '$(last_balloon)', not the file's name" ;;
esac

cp "$E2E_FILMS/clip.avi" "$bad/gone.avi"
try_after_change "deleted before Play" "$(winpath "$bad/gone.avi")" rm -f "$bad/gone.avi"
cp "$E2E_FILMS/clip.avi" "$bad/film.avi"
folder() { rm -f "$bad/film.avi"; mkdir "$bad/film.avi"; }
try_after_change "folder film.avi" "$(winpath "$bad/film.avi")" folder
mkdir -p "$bad/drive"; cp "$E2E_FILMS/clip.avi" "$bad/drive/film.avi"
ln -sfn "$bad/drive" "$WINEPREFIX/dosdevices/m:"
drive_gone() { rm -f "$WINEPREFIX/dosdevices/m:"; }
try_after_change "drive gone (M:)" 'M:\film.avi' drive_gone

# Locked: another process holds the file open, shared with no one.
cp "$E2E_FILMS/clip.avi" "$bad/locked.avi"
wine "$E2E_BUILD/probe.exe" lock "$(winpath "$bad/locked.avi")" 40 </dev/null >"$E2E_TMP/lock.out" 2>/dev/null &
wait_until 20 grep -q 'lock=held' "$E2E_TMP/lock.out" || fail "the file could not be locked: $(cat "$E2E_TMP/lock.out")"
try_file "locked by another" "$(winpath "$bad/locked.avi")"

# Deleted while playing: the 3-second film ends, the loop opens it again and fails.
cp "$E2E_FILMS/loop.avi" "$bad/vanish.avi"
open_film_path "$(winpath "$bad/vanish.avi")"
b0=$(balloons); o0=$(opens); t0=$(now_ms)
rm -f "$bad/vanish.avi"
settle "deleted while playing" "$b0" "$o0" "$t0"

mevra_alive || fail "Mevra is gone"
note "objects: at start $start_counts, at the end $(gui_counts "$MEVRA_PID")"
echo "input                  | MCI open  | recover  | opens | balloon"
printf '%s\n' "${RESULTS[@]}"
