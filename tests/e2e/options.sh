# The Options submenu and the desktop hotkeys: Shift+Del hides and shows the desktop,
# Shift+Ins shows it without resetting the toggle, Hide Shortcut Arrow removes and restores
# the "IsShortcut" values, StartUp writes the logon shell line and the check mark tells the
# truth at the next start, About opens the one About box.
source "$(dirname "$0")/lib.bash"

winlogon='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Winlogon'
reg_set "$winlogon" Shell explorer.exe
reg_set 'HKCR\lnkfile' IsShortcut ''
reg_set 'HKCR\piffile' IsShortcut ''

desktop_up
mevra_up
progman=$(window_by_class Progman)
desktop_visible() { probe windows | grep "hwnd=$progman " | grep -q 'visible=1'; }
desktop_hidden() { ! desktop_visible; }

# Shift+Del twice: hidden, then shown again.
key shift+Delete
wait_until 5 desktop_hidden || fail "Shift+Del did not hide the desktop"
shot desktop-hidden >/dev/null
key shift+Delete
wait_until 5 desktop_visible || fail "a second Shift+Del did not show the desktop"
shot desktop-shown >/dev/null
# Hide, Show (Shift+Ins), then the toggle still thinks "hidden": the next Shift+Del shows
# (no change), only the one after hides.
key shift+Delete;  wait_until 5 desktop_hidden || fail "Shift+Del did not hide"
key shift+Insert;  wait_until 5 desktop_visible || fail "Shift+Ins did not show the desktop"
key shift+Delete;  sleep 1; desktop_visible || fail "Shift+Del after Shift+Ins should leave the desktop shown"
key shift+Delete;  wait_until 5 desktop_hidden || fail "the fourth command did not hide the desktop"
key shift+Delete;  wait_until 5 desktop_visible || fail "the desktop did not come back"
note "Shift+Del / Shift+Ins: hidden, shown, and the Show Desktop quirk as designed"

# The submenu as first shown: arrows present, so Hide Shortcut Arrow unchecked; Loop
# checked; StartUp unchecked.
read -r sl st sr sb < <(options_menu)
menu_shot=$(shot tray-menu-options)
has_tick "$menu_shot" "$sl" "$(sub_row_y "$st" 1)" && fail "Hide Shortcut Arrow checked while the arrows are shown"
has_tick "$menu_shot" "$sl" "$(sub_row_y "$st" 2)" || fail "Loop is not checked at start"
has_tick "$menu_shot" "$sl" "$(sub_row_y "$st" 3)" && fail "StartUp checked while the entry is absent"

# Hide Shortcut Arrow: both values go.
click $((sl + 60)) "$(sub_row_y "$st" 1)"
sleep 1
reg_get 'HKCR\lnkfile' IsShortcut >/dev/null && fail "lnkfile IsShortcut still there"
reg_get 'HKCR\piffile' IsShortcut >/dev/null && fail "piffile IsShortcut still there"
note "Hide Shortcut Arrow: IsShortcut removed under lnkfile and piffile"

# StartUp: the logon shell starts Explorer with Mevra's own path.
read -r sl st sr sb < <(options_menu)
click $((sl + 60)) "$(sub_row_y "$st" 3)"
sleep 1
exe=$(winpath "$E2E_BUILD/Mevra.exe")
case "$exe" in *" "*) want="explorer.exe \"$exe\"" ;; *) want="explorer.exe $exe" ;; esac
shell_now=$(reg_get "$winlogon" Shell)
[ "$shell_now" = "$want" ] || fail "StartUp wrote '$shell_now', expected '$want'"
note "StartUp on: Shell = $shell_now"

# A new start reads both back into the check marks.
probe post "$MEVRA_HWND" 0x10 >/dev/null   # WM_CLOSE: the same shutdown as Exit
wait_until 15 no_window_class MevraForm1 || fail "Mevra did not close"
mevra_up
read -r sl st sr sb < <(options_menu)
menu_shot=$(shot tray-menu-options-restarted)
has_tick "$menu_shot" "$sl" "$(sub_row_y "$st" 1)" || fail "Hide Shortcut Arrow not checked after restart"
has_tick "$menu_shot" "$sl" "$(sub_row_y "$st" 3)" || fail "StartUp not checked after restart"
note "after restart: Hide Shortcut Arrow and StartUp checked, as the registry says"

# Both off again: Shell back to plain Explorer, the arrow values back as empty texts.
click $((sl + 60)) "$(sub_row_y "$st" 3)"
sleep 1
[ "$(reg_get "$winlogon" Shell)" = explorer.exe ] || fail "StartUp off left Shell = '$(reg_get "$winlogon" Shell)'"
read -r sl st sr sb < <(options_menu)
click $((sl + 60)) "$(sub_row_y "$st" 1)"
sleep 1
wrun reg query 'HKCR\lnkfile' /v IsShortcut | grep -q 'REG_SZ' || fail "lnkfile IsShortcut not restored"
wrun reg query 'HKCR\piffile' /v IsShortcut | grep -q 'REG_SZ' || fail "piffile IsShortcut not restored"
note "StartUp off: Shell = explorer.exe; arrows back: IsShortcut restored"

# About: one box, however often it is chosen.
read -r sl st sr sb < <(options_menu)
click $((sl + 60)) "$(sub_row_y "$st" about)"
wait_until 10 has_window_title About || fail "About did not open the About box"
sleep 1
shot about-box >/dev/null
read -r sl st sr sb < <(options_menu)
click $((sl + 60)) "$(sub_row_y "$st" about)"
sleep 1
[ "$(probe windows | grep -c 'title=About$')" = 1 ] || fail "a second About box was created"
note "About: one box"

# Exit with the About box open: the tray icon goes at once, the process when the box closes.
probe post "$MEVRA_HWND" 0x111 1015 >/dev/null   # the Exit command
wait_until 10 no_window_class MevraForm1 || fail "Exit did not take the main window down"
[ "$(probe tray "$MEVRA_HWND")" = "tray=0" ] || fail "tray icon left after Exit"
has_window_title About || fail "the About box should stay open after Exit"
about=$(probe windows | grep 'title=About$' | sed 's/^top hwnd=\([0-9]*\).*/\1/')
process_gone() { [[ "$(probe gui "$MEVRA_PID" || true)" == *"no process"* ]]; }
process_gone && fail "the process ended while the About box was still open"
probe post "$about" 0x10 >/dev/null
wait_until 10 process_gone ||
  fail "the process did not end when the About box closed"
note "Exit with About open: tray icon gone, process ended with the box"
