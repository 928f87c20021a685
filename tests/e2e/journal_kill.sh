# Mevra killed (kill -9 of its Wine process) while a film plays leaves the wallpaper
# cleared; the next start puts back, byte for byte, the values the user had and removes
# its journal. One round per wallpaper: tiled, centred, stretched, no values at all, and
# one at a path in Cyrillic and Japanese; the user's own desktop colour comes back each time.
# Then a session end (WM_QUERYENDSESSION) while a film plays gives everything back too.
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/soak_lib.bash"

desk='HKCU\Control Panel\Desktop'
convert -size 32x64 xc:'#3a6ea5' -size 32x64 xc:'#e0c080' +append BMP3:"$E2E_TMP/wall.bmp"
wall=$(winpath "$E2E_TMP/wall.bmp")
mkdir -p "$E2E_TMP/Обои 壁紙"
cp "$E2E_TMP/wall.bmp" "$E2E_TMP/Обои 壁紙/wall.bmp"
wide_wall=$(winpath "$E2E_TMP/Обои 壁紙/wall.bmp")
# The three values exactly as stored (type and bytes, text as UTF-16), and the journal.
desk_raw() { probe regwide 'Control Panel\Desktop' Wallpaper TileWallpaper WallpaperStyle; }
colour() { probe desk | sed 's/ .*//'; }
journal_raw() { probe regraw 'Software\Mevra' WallpaperJournal; }
journal_gone() { [ "$(journal_raw)" = "WallpaperJournal=absent" ]; }
# The Linux process of our Mevra: other Wine prefixes may run one too.
unix_pid() {
  local p
  for p in $(pgrep -f 'Mevra\.exe'); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "$p"; return 0; }
  done
  return 1
}

reg_del 'HKCU\Software\Mevra' WallpaperJournal
desktop_up
# Before Mevra starts: Wine keeps the colours a process has read, where Windows shares them.
probe setcolour 2a7f3c
soak_mevra_up
for row in tiled:1:0 centred:0:0 stretched:0:2 absent:-:- wide:0:2; do
  IFS=: read -r style tile fit <<<"$row"
  # The values are read when a film starts, so the running Mevra takes them from here.
  if [ "$tile" = - ]; then
    for v in Wallpaper TileWallpaper WallpaperStyle; do reg_del "$desk" "$v"; done
  else
    reg_set "$desk" Wallpaper "$wall"
    reg_set "$desk" TileWallpaper "$tile"
    reg_set "$desk" WallpaperStyle "$fit"
  fi
  if [ "$style" = wide ]; then
    # Set as the Settings app sets it: through the wide call, which stores the path.
    probe setwall "$(utf16_hex "$wide_wall")" >/dev/null
  fi
  before=$(desk_raw)
  colour_before=$(colour)
  open_film clip.avi
  wait_until 10 wallpaper_cleared || fail "$style: the wallpaper was not cleared for the film"
  journal=$(journal_raw)
  [ "$journal" != "WallpaperJournal=absent" ] || fail "$style: no journal while the film plays"
  pid=$(unix_pid) || fail "$style: no Linux process for Mevra"
  kill -9 "$pid"
  wait_until 15 process_gone "$MEVRA_PID" || fail "$style: Mevra outlived kill -9"
  killed=$(desk_raw)
  [ "$killed" != "$before" ] || fail "$style: the values were back before the restart"
  [ "$(journal_raw)" = "$journal" ] || fail "$style: the journal changed when Mevra died"
  : >"$E2E_TRACE"
  start=$(date +%s%N)
  soak_mevra_up
  mended_ms=$((($(date +%s%N) - start) / 1000000))
  after=$(desk_raw)
  [ "$after" = "$before" ] || fail "$style: after the restart '$after', the user's were '$before'"
  journal_gone || fail "$style: the journal is still there after the restart: $(journal_raw)"
  grep -a -q 'Mevra: wallpaper journal applied' "$E2E_TRACE" || fail "$style: no trace of the journal applied"
  [ "$(colour)" = "$colour_before" ] || fail "$style: desktop $(colour) after the restart, the user's was $colour_before"
  note "$style: journal $(((${#journal} - 19) / 2)) bytes; killed: ${killed//|/ }; restarted (hotkeys up) in ${mended_ms} ms: values byte-exact (${after//|/ }), journal gone"
done
# Logoff or shutdown on the way: the wallpaper comes back and the journal goes at the
# question, before Windows may end the process.
open_film clip.avi
wait_until 10 wallpaper_cleared || fail "the wallpaper was not cleared for the film"
probe post "$MEVRA_HWND" 0x11 >/dev/null   # WM_QUERYENDSESSION
wait_until 10 journal_gone || fail "WM_QUERYENDSESSION left the journal: $(journal_raw)"
[ "$(desk_raw)" = "$before" ] || fail "WM_QUERYENDSESSION did not give the wallpaper back: $(desk_raw)"
mci_log | tail -n 3 | grep -q '^close MYPLAYER\] -> 0' || fail "WM_QUERYENDSESSION did not close the film"
note "session end: film closed, values byte-exact, journal gone"
# Closed as the uninstaller closes it: nothing more changes.
probe post "$MEVRA_HWND" 0x10 >/dev/null
wait_until 20 process_gone "$MEVRA_PID" || fail "WM_CLOSE did not end Mevra"
[ "$(desk_raw)" = "$before" ] || fail "the close changed the values: $(desk_raw)"
