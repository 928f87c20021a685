# A desktop with no "Program Manager" (Wine's own, or Windows with another shell): Mevra
# makes its own desktop window for the film, at the bottom, over the work area, with no
# taskbar button and never raised by a click, and the film fills it under the taskbar.
# Stop takes that window away and the wallpaper comes back. A shell started later is the
# desktop of the next Play, with today's commands.
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/soak_lib.bash"

film_cover() { "$(dirname "$0")/../../scripts/lib/film-cover" "$@"; }
visible_tops() { awk '$2 == "depth=0" && / visible=1 / { sub("hwnd=", "", $3); print $3 }' "$LAYERS"; }
# Visible top-level windows below the host that overlap it (Wine keeps its taskbar, which
# the host leaves clear, at the bottom too): none when the host is the desktop's bottom.
under_host() {
  awk -v h="hwnd=$HOST" '$2 == "depth=0" && / visible=1 / {
      for (i = 4; i <= NF; i++) if ($i ~ /^rect=/) { split(substr($i, 6), r, ",") }
      if ($3 == h) { seen = 1; l = r[1]; t = r[2]; rr = r[3]; b = r[4]; next }
      if (seen && r[1] < rr && r[3] > l && r[2] < b && r[4] > t) { sub("hwnd=", "", $3); print $3 } }' "$LAYERS"
}
host_at_bottom() { layers_now; [ -z "$(under_host)" ]; }
taskbar_buttons() {  # the taskbar's visible buttons (its Start button and one per window)
  local bar; bar=$(lfind class=Shell_TrayWnd depth=0)
  awk -v p="parent=$bar" '$5 == p && / visible=1 / && / class=Button /' "$LAYERS" | wc -l
}
host_gone() { layers_now; [ -z "$(lwin "$HOST" class)" ]; }

user_wallpaper
reg_set 'HKCU\Software\Wine\Explorer' Desktop Default
reg_set 'HKCU\Software\Wine\Explorer\Desktops' Default 1024x768
soak_mevra_up
layers_now
[ -z "$(lfind class=Progman)" ] || fail "a Progman window exists on the bare desktop"
buttons=$(taskbar_buttons)
sleep 2
before=$(shot noshell-before)
# Wine's own desktop shows the user's tiled wallpaper: the tile's two halves differ.
[ "$(pixel "$before" 400 400)" != "$(pixel "$before" 432 400)" ] || fail "the wallpaper is not shown at start"

open_film clip.avi
wait_until 10 bash -c "wine '$E2E_BUILD/probe.exe' layers </dev/null 2>/dev/null | grep -q 'pid=$MEVRA_PID .*class=MCIQTZ_Window'" ||
  fail "no film window after Play"
layers_now
FILM=$(lfind class=MCIQTZ_Window "pid=$MEVRA_PID")
HOST=$(lwin "$FILM" parent)
[ "$(lwin "$HOST" pid)" = "$MEVRA_PID" ] && [ "$(lwin "$HOST" depth)" = 0 ] ||
  fail "the film's parent is not a top-level window of Mevra: $(lline "$HOST")"
note "host: $(lline "$HOST")"
note "film: $(lline "$FILM")"
[ $(( $(lwin "$HOST" exstyle) & 0x08000080 )) = $((0x08000080)) ] ||
  fail "the host is not a tool window that is never activated: exstyle $(lwin "$HOST" exstyle)"
owner=$(lwin "$HOST" owner)
[ "$owner" != 0 ] && [ "$(lwin "$owner" visible)" = 0 ] || fail "the host has no hidden owner: owner=$owner"
host_at_bottom || fail "windows under the host: $(under_host)"
# Wine's taskbar keeps a button for the MCI renderer's window, made top-level before MCI
# gives it its parent (today's Play shows it too); the host adds none.
[ "$(taskbar_buttons)" -le $((buttons + 1)) ] || fail "the taskbar has $(taskbar_buttons) buttons with the host, $buttons before"
# The film fills the host: sized to its client area, and told to draw over all of it.
[ "$(lwin "$FILM" client)" = "$(lwin "$HOST" client)" ] ||
  fail "the film window is $(lwin "$FILM" client), the host $(lwin "$HOST" client)"
IFS=, read -r hw hh <<<"$(lwin "$HOST" client)"
mci_log | grep -q "^put MYPLAYER destination at 0 0 $hw $hh\] -> 0" ||
  fail "no picture destination of $hw x $hh: $(mci_log | grep '^put' | tail -n 2 | tr '\n' ' ')"

sleep 1.5
playing=$(shot noshell-playing)
cover=$(film_cover "$playing" "$before") || fail "could not sample the screenshots"
note "playing: $cover of the work area shows the film"
[ "${cover%%%*}" != "$cover" ] && [ "$(sed 's/cover=\([0-9]*\)%.*/\1/' <<<"$cover")" -ge 90 ] ||
  fail "the film covers too little of the work area: $cover"
# The taskbar is untouched: its strip looks as before (buttons may come and go).
strip() { convert "$1" -crop 1024x20+0+748 +repage -sample 128x2! -depth 8 txt:- | sed -n 's/.*#\([0-9A-F]\{6\}\).*/\1/p'; }
same=$(paste -d' ' <(strip "$before") <(strip "$playing") | awk '$1 == $2' | wc -l)
[ "$same" -ge 180 ] || fail "the taskbar changed under the film: $same of 256 points as before"
note "taskbar: $same of 256 points as before Play"
# The README's picture: the film as the wallpaper, the tray menu open over it.
tray_menu >/dev/null
shot film-wallpaper-menu >/dev/null
close_menus

# A window clicked, then the desktop clicked: the host stays under it and at the bottom.
wstart notepad
wait_until 20 has_window_class Notepad || fail "notepad did not start"
NOTEPAD=$(window_by_class Notepad)
sleep 1
host_at_bottom || fail "a window started over the desktop went under the host: $(for w in $(under_host); do lline "$w"; done)"
read -r nl nt nr nb < <(lwin "$NOTEPAD" rect | tr , ' ')
click $(( (nl + nr) / 2 )) $(( nt + 12 ))
click 1000 700
layers_now
host_at_bottom || fail "a click raised the host over $(for w in $(under_host); do lline "$w"; done)"
visible_tops | grep -n -x -e "$NOTEPAD" -e "$HOST" | tr '\n' ' ' | grep -q "^[0-9]*:$NOTEPAD [0-9]*:$HOST $" ||
  fail "the host is not below the clicked notepad"
note "after clicks on notepad and the desktop: notepad above, the host still the bottom window"
probe post "$NOTEPAD" 0x10 >/dev/null

# Stop: the host goes, the wallpaper comes back in the registry and on the screen.
stop_film
wait_until 10 host_gone || fail "the host is still there after Stop: $(lline "$HOST")"
wallpaper_is_users "after Stop"
sleep 1
after=$(shot noshell-stopped)
[ "$(pixel "$after" 400 400)" != "$(pixel "$after" 432 400)" ] || fail "the wallpaper is not shown after Stop"
note "Stop: host gone, wallpaper back"

# A shell that starts later is the next Play's desktop, with today's commands.
wstart "$E2E_BUILD/progman.exe"
wait_until 30 has_window_class Progman || fail "the stand-in desktop did not start"
progman=$(window_by_class Progman)
press ctrl+p 'play MYPLAYER\]' $(($(plays) + 1))
sleep 1.5
layers_now
play_trace_is_todays clip.avi "$progman"
[ -n "$(lfind class=MCIQTZ_Window "pid=$MEVRA_PID" "parent=$progman")" ] ||
  fail "the film is not on the shell's window $progman: $(lline "$(lfind class=MCIQTZ_Window)")"
note "a shell started later: the next Play opened on $progman with today's commands"
mevra_down
note "ok: desktop host, film over the work area, taskbar intact, Stop, shell started later"
