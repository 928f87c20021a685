# The user's keys and a quiet loop. With Stop set to Ctrl+Alt+S under
# HKCU\Software\Mevra\Hotkeys, Ctrl+S is free again: typed into Notepad it opens
# Notepad's own Save dialog while the film plays on, and Ctrl+Alt+S stops the film.
# A 3-second clip looping for thirty seconds names its file in one balloon only, and
# the tray menu opened while the loop restarts the film keeps answering.
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/soak_lib.bash"

soak_films
user_wallpaper
reg_set 'HKCU\Software\Mevra\Hotkeys' Stop 'Ctrl+Alt+S'
desktop_up
soak_mevra_up
wait_until 10 hotkey_taken 3 0x53 || fail "Ctrl+Alt+S was not registered for Stop"
[ "$(probe hotkey 2 0x53)" = "free=1" ] || fail "Ctrl+S is still taken"

menu_closed() { ! menu_open; }
no_save_dialog() { ! has_window_title 'Save As'; }
wall_back() { [ "$(wallpaper_values)" = "$WALLPAPER_ORIGINALS" ]; }
balloons() { grep -a -c 'Mevra: balloon \[loop\.avi' "$E2E_TRACE" || true; }
open_film loop.avi
started=$SECONDS

# The tray menu up across at least one restart of the loop; the program answers
# all along, as the restart holds nothing.
tray_menu >/dev/null
before=$(plays); slowest=0; menu_restarts=0
until [ "$menu_restarts" -ge 1 ] && [ $SECONDS -ge $((started + 8)) ]; do
  [ $SECONDS -ge $((started + 25)) ] && fail "the loop did not restart the film while the menu was open"
  ms=$(probe answer "$MEVRA_HWND"); ms=${ms#answer=}
  [ "$ms" = none ] && fail "Mevra did not answer with its tray menu open"
  [ "$ms" -gt "$slowest" ] && slowest=$ms
  menu_open || fail "the tray menu closed by itself"
  menu_restarts=$(( $(plays) - before ))
done
note "tray menu open across $menu_restarts restart(s); slowest answer meanwhile $slowest ms"
# Closed as a user closes it: a click on the desktop beside it.
click 400 300
wait_until 10 menu_closed || fail "the tray menu did not close"

# Thirty seconds of the loop: one balloon, the one the Open gave.
while [ $SECONDS -lt $((started + 30)) ]; do sleep 1; done
restarts=$(( $(plays) - 1 ))
[ "$restarts" -ge 4 ] || fail "only $restarts restarts in thirty seconds"
note "loop: $restarts restarts in thirty seconds, $(balloons) file-name balloon(s)"
[ "$(balloons)" = 1 ] || fail "the loop showed $(balloons) file-name balloons: $(grep -a 'balloon \[' "$E2E_TRACE" | tail -n 5)"

probe windows | grep -i 'activemovie' && note "^ stray film windows" || true
# Ctrl+S belongs to Notepad now; Ctrl+Alt+S is Mevra's Stop.
wstart notepad
wait_until 30 has_window_title 'Notepad' || fail "Notepad did not start"
closed=$(closes)
focus_desktop
xdotool key --delay 100 ctrl+s
if ! wait_until 10 has_window_title 'Save As'; then
  note "Notepad did not see the first Ctrl+S: pressed again"
  focus_desktop; xdotool key --delay 100 ctrl+s
  wait_until 10 has_window_title 'Save As' || fail "Ctrl+S did not reach Notepad"
fi
[ "$(closes)" = "$closed" ] || fail "Ctrl+S stopped the film"
probe post "$(window_by_title 'Save As')" 0x10 >/dev/null
wait_until 10 no_save_dialog || fail "Notepad's Save dialog did not close"
probe post "$(window_by_title 'Notepad')" 0x10 >/dev/null
focus_desktop
press ctrl+alt+s 'close MYPLAYER\] -> 0' $((closed + 1))
wait_until 20 wall_back || true
wallpaper_is_users "after Ctrl+Alt+S"
reg_del 'HKCU\Software\Mevra\Hotkeys' Stop
note "ok: Ctrl+S reached Notepad, Ctrl+Alt+S stopped the film"
