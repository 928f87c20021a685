# A second Mevra ends at once and leaves the running one as it was.
source "$(dirname "$0")/lib.bash"

desktop_up
mevra_up
first=$MEVRA_HWND
t0=$SECONDS
(cd "$E2E_FILMS" && timeout 20 wine "$E2E_BUILD/Mevra.exe" </dev/null >/dev/null 2>&1) || fail "the second instance did not end by itself"
took=$((SECONDS - t0))
[ $took -le 8 ] || fail "the second instance took $took s to end"
[ "$(probe windows | grep -c 'class=MevraForm1')" = 1 ] || fail "more than one main window"
[ "$(window_by_class MevraForm1)" = "$first" ] || fail "the first instance's window changed"
[ "$(probe tray "$first")" = "tray=1" ] || fail "the first instance lost its tray icon"
[ "$(probe hotkey 2 0x4F)" = "free=0" ] || fail "Ctrl+O is no longer held by the first instance"
key ctrl+o
wait_until 15 has_window_title 'OPEN MEDIA FILE' || fail "the first instance no longer answers Ctrl+O"
note "second instance ended after ${took} s; the first kept its window, tray icon and hotkeys"
