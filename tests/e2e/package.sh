# The release as a user gets it (<build>/dist, made by scripts/package), in a prefix of its
# own: both builds declare that they run as the invoker; the setup program installs the
# 64-bit build silently; Mevra starts from the installed path; with
# StartUp and Hide Shortcut Arrow on and a film playing, the silent uninstall ends Mevra
# through Exit and leaves the machine as it was. A second cycle upgrades into another folder
# over a running Mevra, then uninstalls with the logon shell naming another program and a journal
# left behind; before that, an upgrade over a 32-bit install in Program Files (x86) leaves
# nothing of it. Each portable zip holds its build's Mevra.exe and the read-me, and the
# 64-bit one runs.

# What an install leaves behind must not reach the other tests: work on a copy of the prefix.
shared_prefix=${WINEPREFIX:?no Wine prefix}
wineserver -k </dev/null >/dev/null 2>&1 || true
WINEPREFIX=$(mktemp -d /tmp/mevra-package-prefix.XXXXXX)
export WINEPREFIX
cp -a "$shared_prefix/." "$WINEPREFIX/"
source "$(dirname "$0")/lib.bash"
trap 'e2e_end; rm -rf "$WINEPREFIX"' EXIT

source "$E2E_BUILD/mevra_version.env"
dist=$E2E_BUILD/dist
setup=$dist/Mevra-$MEVRA_VERSION_FILE-setup.exe
zip=$dist/Mevra-$MEVRA_VERSION_FILE-x64.zip
zip86=$dist/Mevra-$MEVRA_VERSION_FILE-x86.zip
[ -f "$setup" ] && [ -f "$zip" ] && [ -f "$zip86" ] || fail "no $setup, $zip or $zip86: scripts/package makes them"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"
note "$(basename "$setup"): $(stat -c %s "$setup") bytes; $(basename "$zip"): $(stat -c %s "$zip") bytes;" \
     "$(basename "$zip86"): $(stat -c %s "$zip86") bytes"
mkdir "$E2E_TMP/x86"
unzip -q "$zip86" -d "$E2E_TMP/x86"
file -b "$E2E_TMP/x86/Mevra.exe" | grep -q 'Intel 80386' || fail "the x86 zip's Mevra.exe: $(file -b "$E2E_TMP/x86/Mevra.exe")"
file -b "$E2E_BUILD/Mevra.exe" | grep -q 'x86-64' || fail "the tested Mevra.exe is not the 64-bit build"

# Both builds run with the user's rights, never elevated and never virtualised: the
# manifest in their resources says so.
for exe in "$E2E_BUILD/Mevra.exe" "$E2E_TMP/x86/Mevra.exe"; do
  manifest=$(tr -d '\r\n' <"$exe" | grep -a -o '<assembly .*</assembly>')
  grep -q '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' <<<"$manifest" ||
    fail "$exe: the manifest does not ask to run as the invoker"
done
note "both builds' manifests: requestedExecutionLevel asInvoker"

uninst='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mevra'
winlogon='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Winlogon'
desk='HKEY_CURRENT_USER\Control Panel\Desktop'
own='HKEY_CURRENT_USER\Software\Mevra'
instdir='C:\Program Files\Mevra'
instdir_u="$WINEPREFIX/drive_c/Program Files/Mevra"
programs_u="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"

# Registry values as regedit exports them (type and data, byte for byte): KEY [NAME...];
# without names, every value of the key.
reg_export() {
  local key=$1 f=$E2E_TMP/export.reg; shift
  rm -f "$f"
  wrun regedit /E "$(winpath "$f")" "$key" >/dev/null 2>&1 || true
  if [ ! -s "$f" ]; then echo "[$key] absent"; return 0; fi
  iconv -f UTF-16LE -t UTF-8 "$f" | sed '1s/^\xef\xbb\xbf//; s/\r$//' |
    awk -v key="[$key]" -v names="$*" '
      BEGIN { n = split(names, want, " "); for (i = 1; i <= n; i++) w["\"" want[i] "\""] = 1 }
      /^\[/ { inkey = (toupper($0) == toupper(key)); if (inkey) print; next }
      inkey && /^"/ { name = substr($0, 1, index($0, "=") - 1); if (n == 0 || name in w) { print "  " $0; seen[name] = 1 } }
      END { for (k in w) if (!(k in seen)) print "  " k " absent" }'
}
reg_has_key() { wrun reg query "$1" >/dev/null 2>&1; }

# What the setup program and Mevra touch: the install folder, the Start menu, the registry.
listing() {
  echo "install folder $instdir:"
  if [ -d "$instdir_u" ]; then (cd "$instdir_u" && find . -mindepth 1 -printf '  %P  %s bytes\n' | sort)
  else echo "  (none)"; fi
  echo "Start menu (all users) Programs:"
  (cd "$programs_u" && find . -mindepth 1 -maxdepth 1 -printf '  %P\n' | sort)
  echo "registry:"
  reg_export "$uninst"
  reg_export "$winlogon" Shell
  reg_export 'HKEY_CLASSES_ROOT\lnkfile' IsShortcut
  reg_export 'HKEY_CLASSES_ROOT\piffile' IsShortcut
  reg_export "$own"
  reg_export "$desk" Wallpaper WallpaperStyle TileWallpaper
}
show() { note "--- $1"; sed 's/^/    /' "$2"; }

# The user's machine: a stretched wallpaper, Explorer as the logon shell, shortcut arrows on.
convert -size 64x64 xc:'#3a6ea5' BMP3:"$E2E_TMP/wall.bmp"
reg_set 'HKCU\Control Panel\Desktop' Wallpaper "$(winpath "$E2E_TMP/wall.bmp")"
reg_set 'HKCU\Control Panel\Desktop' TileWallpaper 0
reg_set 'HKCU\Control Panel\Desktop' WallpaperStyle 2
reg_set "$winlogon" Shell explorer.exe
reg_set 'HKCR\lnkfile' IsShortcut ''
reg_set 'HKCR\piffile' IsShortcut ''
desktop_up   # before any windowed program (regedit too), or the desktop is not the virtual one
listing > "$E2E_TMP/before-install.txt"

# --- Cycle 1: install, switch the options on, play, uninstall.
wrun "$setup" /S >/dev/null || fail "silent setup failed"
listing > "$E2E_TMP/installed.txt"
[ "$(cd "$instdir_u" && ls | tr '\n' ' ')" = "Mevra.exe Uninstall.exe " ] ||
  fail "the install folder holds: $(ls "$instdir_u" 2>&1 | tr '\n' ' ')"
cmp -s "$instdir_u/Mevra.exe" "$E2E_BUILD/Mevra.exe" || fail "the installed Mevra.exe is not the built one"
[ -f "$programs_u/Mevra.lnk" ] || fail "no Start-menu shortcut"
entry() { reg_get "$uninst" "$1"; }
[ "$(entry DisplayName)" = Mevra ] || fail "DisplayName: '$(entry DisplayName)'"
[ "$(entry DisplayVersion)" = "$MEVRA_VERSION_TEXT" ] || fail "DisplayVersion: '$(entry DisplayVersion)'"
[ "$(entry Publisher)" = "Mevra developers" ] || fail "Publisher: '$(entry Publisher)'"
[ "$(entry DisplayIcon)" = "\"$instdir\\Mevra.exe\",0" ] || fail "DisplayIcon: '$(entry DisplayIcon)'"
[ "$(entry UninstallString)" = "\"$instdir\\Uninstall.exe\"" ] || fail "UninstallString: '$(entry UninstallString)'"
quiet=$(entry QuietUninstallString)
[ "$quiet" = "\"$instdir\\Uninstall.exe\" /S" ] || fail "QuietUninstallString: '$quiet'"
size_kb=$(($(entry EstimatedSize)))
[ "$size_kb" -ge $(($(stat -c %s "$instdir_u/Mevra.exe") / 1024)) ] || fail "EstimatedSize $size_kb KB is too small"
note "installed: files, Start-menu shortcut and uninstall entry ($size_kb KB) present"

mevra_up "$instdir\\Mevra.exe"
[ "$(probe tray "$MEVRA_HWND")" = "tray=1" ] || fail "no tray icon from the installed Mevra"
key ctrl+o
wait_until 15 has_window_title 'OPEN MEDIA FILE' || fail "Ctrl+O did not open the dialog"
sleep 1
type_text "$(winpath "$E2E_FILMS/clip.avi")"
dialog_gone() { ! has_window_title 'OPEN MEDIA FILE'; }
for _ in 1 2 3; do key Return; wait_until 5 dialog_gone && break; done
wait_mci 20 'play MYPLAYER\]' || fail "the film did not start"
sleep 1
[ -z "$(reg_get 'HKCU\Control Panel\Desktop' Wallpaper | tr -d ' ')" ] || fail "the wallpaper was not taken away"
read -r sl st sr sb < <(options_menu)
click $((sl + 60)) "$(sub_row_y "$st" 1)"   # Hide Shortcut Arrow
sleep 1
read -r sl st sr sb < <(options_menu)
click $((sl + 60)) "$(sub_row_y "$st" 3)"   # StartUp
sleep 1
want_shell="explorer.exe \"$instdir\\Mevra.exe\""
[ "$(reg_get "$winlogon" Shell)" = "$want_shell" ] || fail "StartUp wrote '$(reg_get "$winlogon" Shell)'"
reg_get 'HKCR\lnkfile' IsShortcut >/dev/null && fail "Hide Shortcut Arrow left lnkfile's IsShortcut"
note "running from $instdir with StartUp (Shell = $want_shell) and Hide Shortcut Arrow on"

closes=$(mci_count 'close MYPLAYER')
listing > "$E2E_TMP/before-uninstall.txt"

# The command "Apps & features" runs for a quiet removal. The uninstaller hands over to a
# copy of itself in the temp folder and returns at once: wait for its work to show.
uninstaller=${quiet%\" /S}; uninstaller=${uninstaller#\"}
t0=$SECONDS
wrun "$uninstaller" /S >/dev/null || fail "the uninstaller did not start"
uninstalled() { [ ! -e "$instdir_u" ] && ! reg_has_key "$uninst"; }
wait_until 60 uninstalled || fail "the uninstall did not finish: $(ls "$instdir_u" 2>&1)"
wait_until 10 no_window_class MevraForm1 || fail "Mevra still runs after the uninstall"
took=$((SECONDS - t0))
[ "$(mci_count 'close MYPLAYER')" -gt "$closes" ] || fail "Mevra did not close its film (not ended through Exit)"
[ "$(probe tray "$MEVRA_HWND")" = "tray=0" ] || fail "the tray icon is left"
listing > "$E2E_TMP/after-uninstall.txt"
show "before install" "$E2E_TMP/before-install.txt"
show "installed" "$E2E_TMP/installed.txt"
show "before uninstall (StartUp and Hide Shortcut Arrow on, a film playing)" "$E2E_TMP/before-uninstall.txt"
show "after uninstall" "$E2E_TMP/after-uninstall.txt"
diff -u "$E2E_TMP/before-install.txt" "$E2E_TMP/after-uninstall.txt" ||
  fail "the uninstall did not leave the machine as it was before the install"
note "uninstalled while playing in $took s: Mevra closed its film, everything as before the install"

# --- Cycle 2: an upgrade into another folder over a running Mevra with StartUp on ends it
# first, leaves no old file and moves the StartUp line along; the uninstall then leaves
# another program's logon shell alone, and starts Mevra once for a wallpaper journal.
# Over a 32-bit install (Program Files (x86), recorded in the 32-bit view) with StartUp on.
x86dir='C:\Program Files (x86)\Mevra'
x86dir_u="$WINEPREFIX/drive_c/Program Files (x86)/Mevra"
mkdir -p "$x86dir_u"
cp "$E2E_TMP/x86/Mevra.exe" "$x86dir_u/Mevra.exe"
cp "$E2E_TMP/x86/Mevra.exe" "$x86dir_u/Uninstall.exe"
wrun reg add "$uninst" /v InstallLocation /d "$x86dir" /reg:32 /f >/dev/null || fail "could not record the 32-bit install"
reg_set "$winlogon" Shell "explorer.exe \"$x86dir\\Mevra.exe\""
wrun "$setup" /S >/dev/null || fail "silent setup failed"
[ ! -e "$x86dir_u" ] || fail "the 32-bit install is left: $(ls "$x86dir_u" | tr '\n' ' ')"
wrun reg query "$uninst" /reg:32 >/dev/null 2>&1 && fail "the 32-bit install's uninstall entry is left"
cmp -s "$instdir_u/Mevra.exe" "$E2E_BUILD/Mevra.exe" || fail "the upgrade did not install the 64-bit Mevra.exe"
[ "$(reg_get "$winlogon" Shell)" = "$want_shell" ] || fail "the StartUp line did not follow: '$(reg_get "$winlogon" Shell)'"
note "upgrade over a 32-bit install: Program Files (x86)\\Mevra and its entry gone, 64-bit Mevra.exe in $instdir"
mevra_up "$instdir\\Mevra.exe"
moved='C:\MevraMoved'
wrun "$setup" /S "/D=$moved" >/dev/null || fail "the upgrade failed"
no_window_class MevraForm1 || fail "the upgrade did not end the running Mevra"
[ ! -e "$instdir_u" ] || fail "the old install folder is left: $(ls "$instdir_u" | tr '\n' ' ')"
instdir=$moved
instdir_u="$WINEPREFIX/drive_c/MevraMoved"
[ "$(cd "$instdir_u" && ls | tr '\n' ' ')" = "Mevra.exe Uninstall.exe " ] || fail "after the upgrade: $(ls "$instdir_u" 2>&1 | tr '\n' ' ')"
[ "$(entry InstallLocation)" = "$moved" ] || fail "the uninstall entry still says $(entry InstallLocation)"
[ "$(reg_get "$winlogon" Shell)" = "explorer.exe $moved\\Mevra.exe" ] ||
  fail "the StartUp line did not follow the move: '$(reg_get "$winlogon" Shell)'"
note "upgrade into $moved over a running Mevra: it was closed, the old folder is gone, Shell = $(reg_get "$winlogon" Shell)"

other='explorer.exe C:\Tools\othershell.exe'
reg_set "$winlogon" Shell "$other"
reg_set 'HKCU\Software\Mevra' WallpaperJournal ''
uninstaller="$moved\\Uninstall.exe"
t0=$SECONDS
WINEDEBUG=-all,+process wine "$uninstaller" /S </dev/null >/dev/null 2>"$E2E_TMP/process.log" ||
  fail "the uninstaller did not start"
wait_until 60 uninstalled || fail "the uninstall did not finish: $(ls "$instdir_u" 2>&1)"
took=$((SECONDS - t0))
grep -a 'CreateProcessInternalW app' "$E2E_TMP/process.log" | grep -q -i -F 'MevraMoved\\Mevra.exe' ||
  fail "the uninstaller did not start Mevra for the journal"
no_window_class MevraForm1 || fail "the Mevra started for the journal still runs"
[ "$(reg_get "$winlogon" Shell)" = "$other" ] || fail "the uninstall changed another program's logon shell: '$(reg_get "$winlogon" Shell)'"
reg_has_key 'HKCU\Software\Mevra' && fail "Mevra's own key is left"
[ -e "$programs_u/Mevra.lnk" ] && fail "the Start-menu shortcut is left"
note "uninstall in $took s with Shell = $other: left alone; the journal's Mevra started and closed; Mevra's key gone"

# --- The portable zip: exactly Mevra.exe and ReadMe.txt, and that Mevra.exe runs.
[ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "Mevra.exe ReadMe.txt " ] || fail "the zip holds: $(unzip -Z1 "$zip" | tr '\n' ' ')"
mkdir "$E2E_TMP/portable"
unzip -q "$zip" -d "$E2E_TMP/portable"
cmp -s "$E2E_TMP/portable/Mevra.exe" "$E2E_BUILD/Mevra.exe" || fail "the zip's Mevra.exe is not the built one"
grep -q "^Mevra $MEVRA_VERSION_TEXT - " "$E2E_TMP/portable/ReadMe.txt" || fail "the read-me does not name the version"
[ "$(grep -c $'\r$' "$E2E_TMP/portable/ReadMe.txt")" = "$(wc -l < "$E2E_TMP/portable/ReadMe.txt")" ] || fail "the read-me has lines without CR LF"
mevra_up "$E2E_TMP/portable/Mevra.exe"
[ "$(probe tray "$MEVRA_HWND")" = "tray=1" ] || fail "no tray icon from the zip's Mevra"
probe post "$MEVRA_HWND" 0x10 >/dev/null
wait_until 15 no_window_class MevraForm1 || fail "the zip's Mevra did not close"
note "zip: Mevra.exe and ReadMe.txt; its Mevra.exe runs and shows its tray icon"
