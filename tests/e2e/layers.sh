# The film behind the icons on each desktop layout the stand-in shell can take (plain:
# XP's Program Manager, the film below its icon view; classic: Windows 8 to 11 23H2, the icons in a top-level WorkerW;
# raised: Windows 11 24H2, the icons and a WorkerW inside Program Manager), and kept there
# while the desktop changes under a playing film. Another program's file dialog, which holds
# an icon view too, is open during a Play and never taken for the desktop. Under Wine a child window of another
# process is never drawn, so placement is read from the window tree, not from pixels, and
# sizes from the MCI trace (Wine's driver takes "put ... window" without applying it).
# e2e-timeout: 900
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/soak_lib.bash"

# A film long enough that no loop restart falls inside a layout's run.
film=layers.avi
[ -f "$E2E_FILMS/$film" ] || {
  ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=160x120:rate=10:duration=600" \
    -c:v mpeg4 "$E2E_TMP/$film" && mv "$E2E_TMP/$film" "$E2E_FILMS/$film"
} || fail "could not make $film"
user_wallpaper

last_pos() { mci_positions | tail -n 1; }
npos() { mci_positions | wc -l; }
put_size() { mci_log | sed -n 's/^put MYPLAYER window at 0 0 \([0-9]*\) \([0-9]*\)\] -> 0$/\1,\2/p' | tail -n 1; }
opens() { mci_n 'open [^ ].* type MPEGVideo .*\] -> 0'; }
# The loop timer's position readings after the Nth: moving N FROM, one beyond FROM;
# went_on N FROM, none fell back below FROM (by more than the key frame a reopen lands on).
moving() { mci_positions | tail -n +$(($1 + 1)) | awk -v m="$2" '$1 > m { f = 1 } END { exit !f }'; }
went_on() { mci_positions | tail -n +$(($1 + 1)) | awk -v m="$(($2 - 2000))" '$1 < m { bad = 1 } END { exit bad }'; }
first_after() { mci_positions | tail -n +$(($1 + 1)) | head -n 1; }
# "P0 -> first reading after -> latest", and the reopen's starting point if there was one since.
course() {
  local from; from=$(mci_log | tail -n +"$3" | sed -n 's/^play MYPLAYER from \([0-9]*\)\] -> .*/\1/p' | tail -n 1)
  echo "position $2 -> $(first_after "$1") -> $(last_pos)${from:+ (reopened at $from)}"
}
# After a disruption at reading N from position P: a reading after the recovery, none back.
carried_on() {  # carried_on N P WHAT
  local n2; n2=$(npos)
  wait_until 5 moving "$n2" 0 || fail "$layout: the film stopped after $3"
  went_on "$1" "$2" || fail "$layout: the film went back after $3: $2 -> $(first_after "$1")"
}

# Where the film belongs as the stand-in's tree is now: LAYER (its parent), ICONS (what
# Hide Desktop hides), DEFVIEW, WORKER.
expect_layer() {
  layers_now
  PROGMAN=$(lfind class=Progman depth=0)
  DEFVIEW=$(lfind class=SHELLDLL_DefView "pid=$(lwin "$PROGMAN" pid)")
  WORKER=
  case $layout in
    plain)   LAYER=$PROGMAN; ICONS=$PROGMAN ;;
    classic) ICONS=$(lwin "$DEFVIEW" parent); LAYER=$(lwin "$ICONS" next); WORKER=$LAYER ;;
    raised)  LAYER=$PROGMAN; ICONS=$PROGMAN; WORKER=$(lfind class=WorkerW "parent=$PROGMAN") ;;
  esac
}
film_in_place() {
  expect_layer
  FILM=$(lfind class=MCIQTZ_Window "pid=$MEVRA_PID")
  [ -n "$FILM" ] && [ -n "$LAYER" ] && [ "$(lwin "$FILM" parent)" = "$LAYER" ] || return 1
  case $layout in
    plain)   [ "$(lwin "$FILM" prev)" = "$DEFVIEW" ] ;;
    classic) [ "$(lwin "$LAYER" class)" = WorkerW ] && [ "$(lwin "$LAYER" prev)" = "$ICONS" ] ;;
    raised)  [ "$(lwin "$FILM" prev)" = "$DEFVIEW" ] && [ "$(lwin "$FILM" next)" = "$WORKER" ] &&
             (( $(lwin "$FILM" exstyle) & 0x80000 )) ;;
  esac
}
placement() {  # one line for the log: parent, neighbours, rectangles
  echo "parent=$(lwin "$FILM" parent) $(lwin "$LAYER" class) prev=$(lwin "$FILM" prev) $(lwin "$(lwin "$FILM" prev)" class)" \
       "next=$(lwin "$FILM" next) $(lwin "$(lwin "$FILM" next)" class) film=$(lwin "$FILM" rect)" \
       "layer=$(lwin "$LAYER" rect) client=$(lwin "$LAYER" client) put=$(put_size)"
}
sized_to_layer() { [ "$(put_size)" = "$(lwin "$LAYER" client)" ]; }
icons_visible() { layers_now; [ "$(lwin "$ICONS" visible)" = "$1" ]; }
desktop_down() {
  probe post "$(window_by_class Progman)" 0x10 >/dev/null
  wait_until 15 no_window_class Progman || fail "the stand-in desktop did not close"
}

for layout in plain classic raised; do
  note "=== $layout"
  desktop_up --layout "$layout"
  soak_mevra_up
  dialog=
  if [ "$layout" = classic ]; then
    # Above the desktop's WorkerWs, as a dialog of a program the user works with is.
    wstart "$E2E_BUILD/probe.exe" file-dialog
    wait_until 20 has_window_title 'Probe file dialog' || fail "the probe's file dialog did not open"
    dialog=$(window_by_title 'Probe file dialog')
    layers_now
    [ -n "$(lfind class=SHELLDLL_DefView "parent=$dialog")" ] || { cat "$LAYERS"; fail "the probe's file dialog holds no SHELLDLL_DefView"; }
  fi
  open_film "$film"
  wait_until 10 film_in_place || { cat "$LAYERS"; fail "$layout: the film is not where the layout wants it"; }
  if [ -n "$dialog" ]; then
    [ -z "$(lfind class=MCIQTZ_Window "parent=$dialog")" ] || fail "$layout: the film went into the file dialog"
    note "$layout: another program's file dialog ($dialog, with an icon view) was open; the film is on the desktop's WorkerW $LAYER"
    probe post "$dialog" 0x10 >/dev/null
    dialog_closed() { ! has_window_title 'Probe file dialog'; }
    wait_until 10 dialog_closed || fail "the probe's file dialog did not close"
  fi
  wait_until 5 sized_to_layer || fail "$layout: the film was put at $(put_size), the layer is $(lwin "$LAYER" client)"
  note "$layout placement: $(placement)"
  [ "$layout" = plain ] && play_trace_is_todays "$film" "$PROGMAN" && note "plain: the Play's MCI commands are today's, byte for byte"

  # Hide Desktop hides the icons' window, whatever holds them; Shift+Ins brings it back.
  hk shift+Delete; wait_until 8 icons_visible 0 || fail "$layout: Shift+Del left $(lwin "$ICONS" class) $ICONS shown"
  hk shift+Insert; wait_until 8 icons_visible 1 || fail "$layout: Shift+Ins left $(lwin "$ICONS" class) $ICONS hidden"
  note "$layout Hide Desktop: hid and showed $(lwin "$ICONS" class) $ICONS"
  wait_until 15 moving 0 6000 || fail "$layout: the film did not reach 6 s"

  if [ "$layout" != plain ]; then
    # The WorkerW destroyed (a slideshow step, a wallpaper change) and made again.
    n=$(npos); p0=$(last_pos); o=$(opens); t=$(mci_log | wc -l)
    probe standin destroy-worker >/dev/null
    # Within 2 s of the new WorkerW, looked at from one program that makes it and waits.
    out=$(probe standin create-worker --await-film 2000) || { layers_now; cat "$LAYERS"; fail "$layout: the film is not in place within 2 s of the new WorkerW: $out"; }
    new=$(sed -n 's/.*answer=\([0-9]*\).*/\1/p' <<<"$out"); took=$(sed -n 's/^in_place_ms=//p' <<<"$out")
    wait_until 3 film_in_place || { cat "$LAYERS"; fail "$layout: the film is not on the new WorkerW $new"; }
    [ "$WORKER" = "$new" ] || fail "$layout: the layer's WorkerW is $WORKER, the stand-in made $new"
    carried_on "$n" "$p0" "the WorkerW changed"
    note "$layout WorkerW replaced: in place ${took} ms after the new one was made, reopened $(( $(opens) - o ))x," \
         "$(course "$n" "$p0" "$t"); $(placement)"
  fi

  # The desktop resized (a display change): the film takes the new size within 1 s.
  probe standin resize 800 600 >/dev/null
  wait_ms 1000 bash -c "grep -a -q 'put MYPLAYER window at 0 0 800 600\] -> 0' '$E2E_TRACE'" ||
    fail "$layout: the film was not put at 800 x 600 within 1 s of the resize: $(put_size)"
  wait_until 3 film_in_place || fail "$layout: the film left its place on the resize"
  note "$layout resize to 800x600: put at $(put_size) within ${WAITED_MS} ms; $(placement)"

  # Resume from sleep and a session unlock: the film is still in place and still moving.
  for event in resume unlock; do
    n=$(npos); p0=$(last_pos)
    probe "$event" "$MEVRA_HWND" >/dev/null || fail "$layout: Mevra did not take the $event messages"
    carried_on "$n" "$p0" "$event"
    moving "$n" "$p0" || wait_until 5 moving "$n" "$p0" || fail "$layout: the film stands still after $event"
    film_in_place || fail "$layout: the film left its place after $event"
    note "$layout $event: still in place, position $p0 -> $(last_pos)"
  done

  if [ "$layout" != plain ]; then
    # Explorer restarts: the old shell ends, a new one announces itself.
    n=$(npos); p0=$(last_pos); old=$LAYER; t=$(mci_log | wc -l)
    desktop_down
    wstart "$E2E_BUILD/progman.exe" --layout "$layout" --broadcast-taskbar-created
    out=$(probe await-film 20000) || { layers_now; cat "$LAYERS"; fail "$layout: the film is not on the restarted desktop"; }
    took=$(sed -n 's/^in_place_ms=//p' <<<"$out")
    wait_until 3 film_in_place || fail "$layout: the film is not in place on the restarted desktop"
    [ "$LAYER" != "$old" ] || fail "$layout: the layer kept its handle $old across the restart"
    carried_on "$n" "$p0" "the shell's restart"
    note "$layout Explorer restart: in place ${took} ms after the new shell was started," \
         "$(course "$n" "$p0" "$t"); $(placement)"
  fi

  mevra_down
  desktop_down
done
note "ok: plain, classic and raised placement, Hide Desktop and disruptions"
