# The menu, the About box and the open dialog at 120, 144 and 192 dpi: the display-scale
# test program runs once at 96 dpi for its figures, then once for each scale, one LogPixels
# setting at a time, and compares (menu rows and font within a pixel of the 96-dpi figure
# times the scale; dialog controls inside and clear of the banner; the About picture whole).
source "$(dirname "$0")/lib.bash"

exe=$E2E_BUILD/win_display_scale_test.exe
[ -f "$exe" ] || fail "no $exe: build with the Windows tests"
figures=$E2E_SHOTS/display-scales.txt
rm -f "$figures"
desktop_key='HKCU\Control Panel\Desktop'
before=$(reg_get "$desktop_key" LogPixels || true)
put_back() {
  if [ -n "$before" ]; then
    wrun reg add "$desktop_key" /v LogPixels /t REG_DWORD /d "$((before))" /f >/dev/null || true
  else
    reg_del "$desktop_key" LogPixels
  fi
}
trap 'put_back; e2e_end' EXIT

# Wine reads LogPixels when its server starts.
at_dpi() {  # at_dpi DPI [ROW CELL]
  wrun reg add "$desktop_key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  MEVRA_SCALE_DPI=$1 MEVRA_SCALE_BASE=${2:-} MEVRA_SCALE_OUT=$(winpath "$figures") \
    MEVRA_SHOTS=$(winpath "$E2E_SHOTS") \
    wrun "$exe" >"$E2E_TMP/run-$1.txt" 2>&1 || { cat "$E2E_TMP/run-$1.txt"; fail "at $1 dpi"; }
}

at_dpi 96
base=$(tr -d '\r' <"$figures" | sed -n 's/^dpi=96 row=\([0-9]*\) cell=\([0-9]*\).*/\1 \2/p')
[ -n "$base" ] || fail "no 96-dpi figures in $figures"
for dpi in 120 144 192; do at_dpi "$dpi" "$base"; done
tr -d '\r' <"$figures" | while read -r line; do note "$line"; done
