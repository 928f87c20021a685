# The film formats the open dialog offers, each chosen in the real dialog and played on
# the desktop: .dat, .mpg, .avi, .wmv, .mov (and an .avi in a folder with blanks). For each:
# the open command succeeds, play is sent, the length is known and the position the loop
# timer reads back rises. The dialog's label also names .asf, which its pattern does not
# list and the device table does not know: a typed .asf name must at least be refused
# cleanly (wallpaper back, nothing left open) if it cannot play.
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/soak_lib.bash"

LOOKS=4   # positions read per film: two seconds of playing

[ -f "$E2E_FILMS/clip.asf" ] ||
  ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=320x240:rate=25:duration=6" \
    -f lavfi -i "sine=frequency=440:duration=6" -c:v wmv2 -c:a wmav2 -f asf "$E2E_FILMS/clip.asf" ||
  fail "could not make clip.asf"

user_wallpaper
desktop_up
soak_mevra_up

table=("format  open  length_ms  positions_ms")
playable() {  # playable NAME: plays it and checks it moves; adds a row to the table
  local name=$1 from looks open code length positions label
  from=$(($(mci_log | wc -l) + 1))
  looks=$(mci_n 'status MYPLAYER position\] -> 0')
  open_film "$name"
  open=$(mci_log | tail -n +"$from" | grep "^open [^ ].* type MPEGVideo " | head -n 1 || true)
  code=$(sed -n 's/.*\] -> \([0-9]*\)$/\1/p' <<<"$open")
  [ "$code" = 0 ] || fail "$name: the open command failed: $open"
  # The path goes out in its short form: no blank in it, even for the folder with blanks.
  grep -q '^open [^ ]* type MPEGVideo ' <<<"$open" || fail "$name: the path has blanks: $open"
  case $name in
    *" "*) ;;
    *) grep -q -i "\\\\$(basename "$name")" <<<"$open" || fail "$name: opened something else: $open" ;;
  esac
  mci_log | tail -n +"$from" | grep -q '^play MYPLAYER\] -> 0' || fail "$name: play was refused"
  wallpaper_cleared || fail "$name: the wallpaper was not cleared"
  wait_mci_n 15 'status MYPLAYER position\] -> 0' $((looks + LOOKS)) || fail "$name: the loop timer did not look"
  length=$(mci_log | tail -n +"$from" | sed -n 's/^status MYPLAYER length\] -> 0 \[\([0-9]*\)\]$/\1/p' | tail -n 1)
  positions=$(mci_positions | tail -n "$LOOKS")
  [ "${length:-0}" -gt 0 ] || fail "$name: no length"
  sort -n -c <<<"$positions" 2>/dev/null && [ "$(tail -n 1 <<<"$positions")" -gt "$(head -n 1 <<<"$positions")" ] ||
    fail "$name: the position does not rise: $(tr '\n' ' ' <<<"$positions")"
  label=${name##*.}
  [[ $name == *" "* ]] && label="$label (folder with blanks)"
  table+=("$(printf '%-6s  %-4s  %-9s  %s' "$label" "$code" "$length" "$(tr '\n' ' ' <<<"$positions")")")
  stop_film
  wallpaper_is_users "after $name"
}

for f in clip.dat clip.mpg clip.avi clip.wmv clip.mov; do playable "$f"; done
playable "with blanks/my clip.avi"

# .asf: named by the label only.
from=$(($(mci_log | wc -l) + 1))
focus_desktop
hk ctrl+o
wait_until 20 has_window_title 'OPEN MEDIA FILE' || fail "Ctrl+O did not open the dialog"
sleep 0.8
type_text "$(winpath "$E2E_FILMS/clip.asf")"
hk Return
wait_mci_n 30 'open [^ ].*clip.asf ' 1 || fail "clip.asf: no open command"
sleep 2.5   # Play's balloon
asf_open=$(mci_log | tail -n +"$from" | grep '^open [^ ].*clip.asf ' | head -n 1 || true)
if grep -q '\] -> 0$' <<<"$asf_open"; then
  stop_film
  table+=("asf     0     (plays)")
else
  mevra_alive || fail "clip.asf: Mevra did not survive the refused film"
  wallpaper_is_users "after the refused clip.asf"
  [ "$(count_of open_at_end "$(mci_balance)")" = 0 ] || fail "clip.asf: a device was left open: $(mci_balance)"
  table+=("asf     $(sed -n 's/.*\] -> \([0-9]*\)$/\1/p' <<<"$asf_open")   refused: ${asf_open%%Alias*}")
fi

note "formats played from the open dialog under Wine:"
for row in "${table[@]}"; do note "  $row"; done
mevra_down
note "ok: dat, mpg, avi, wmv and mov play"
