# A file that cannot be played is not treated as playing: the wallpaper comes back, the
# loop timer stays off (no retries), and Mevra goes on answering.
source "$(dirname "$0")/lib.bash"

desk='HKCU\Control Panel\Desktop'
convert -size 32x64 xc:'#3a6ea5' -size 32x64 xc:'#e0c080' +append BMP3:"$E2E_TMP/wall.bmp"
wall=$(winpath "$E2E_TMP/wall.bmp")
reg_set "$desk" Wallpaper "$wall"
reg_set "$desk" TileWallpaper 1
reg_set "$desk" WallpaperStyle 0
head -c 65536 /dev/urandom > "$E2E_TMP/broken.avi"

desktop_up
mevra_up
key ctrl+o
wait_until 15 has_window_title 'OPEN MEDIA FILE' || fail "Ctrl+O did not open the dialog"
sleep 1
type_text "$(winpath "$E2E_TMP/broken.avi")"
key Return
wait_mci 20 'broken.avi' || fail "no open command for the broken file"
sleep 4
open_line=$(mci_log | grep -i 'broken.avi' | head -n 1 || true)
case "$open_line" in *"-> 0"|*"-> 0 "*) fail "the broken file opened: $open_line" ;; esac
opens=$(mci_log | grep -ci 'broken.avi')
[ "$opens" = 1 ] || fail "the broken file was opened $opens times: the loop retries it"
[ "$(mci_count 'status MYPLAYER position')" = 0 ] || fail "the loop timer runs for a film that never opened"
[ "$(reg_get "$desk" Wallpaper)" = "$wall" ] || fail "the wallpaper was not given back: '$(reg_get "$desk" Wallpaper)'"
[ "$(reg_get "$desk" TileWallpaper)" = 1 ] || fail "tiling not given back"
mevra_alive || fail "Mevra ended"
[ "$(probe tray "$MEVRA_HWND")" = "tray=1" ] || fail "the tray icon went away"
note "open answered: ${open_line#*-> }; one attempt, wallpaper back, Mevra still running"
# And it still plays a good film afterwards.
key ctrl+o
wait_until 15 has_window_title 'OPEN MEDIA FILE' || fail "Ctrl+O did not open the dialog again"
sleep 1
type_text "$(winpath "$E2E_FILMS/clip.avi")"
key Return
wait_mci 20 'play MYPLAYER\]' || fail "a good film did not play after the broken one"
note "a good film plays afterwards"
