# The film's file deleted while it plays. (Under Wine the file goes at once; the device
# keeps reading the data it has open.) At the film's end the loop timer plays it again: the
# file's short name can no longer be read, so the open command goes out without a path and
# fails. Mevra must live through it, keep its tray icon, and afterwards Stop must leave no
# device open and the user's wallpaper back, and the next film chosen must play as itself.
source "$(dirname "$0")/lib.bash"
source "$(dirname "$0")/soak_lib.bash"

user_wallpaper
desktop_up
cp "$E2E_FILMS/clip.avi" "$E2E_FILMS/doomed.avi"
soak_mevra_up
open_film doomed.avi
sleep 1
rm -f "$E2E_FILMS/doomed.avi"
wait_mci_n 30 'open  type  Alias MYPLAYER' 1 || fail "no attempt to play the film again after its end"
# (|| true: head's early exit ends the writer with SIGPIPE, a failure to pipefail.)
failed_at=$(mci_log | grep -n '^open  type  Alias MYPLAYER' | head -n 1 | cut -d: -f1 || true)
sleep 3
mevra_alive || fail "Mevra did not survive the deleted film"
[ "$(probe tray "$MEVRA_HWND")" = "tray=1" ] || fail "no tray icon after the deleted film"
# What happened, for the record: the commands after the failed open, and whether the
# loaded film went on (the timer's looks at its position).
after=$(mci_log | tail -n +"$failed_at" | grep -v -e '^status' -e 'time format' | head -n 8 | tr '\n' '|' || true)
note "after the delete: $after"
note "positions read afterwards: $(mci_log | tail -n +"$failed_at" | sed -n 's/^status MYPLAYER position\] -> 0 \[\([0-9]*\)\]$/\1/p' | tr '\n' ' ')"
wallpaper_cleared && note "wallpaper: still cleared" || note "wallpaper: back"

hk ctrl+s
sleep 3
wallpaper_is_users "after the deleted film and Ctrl+S"
balance=$(mci_balance)
[ "$(count_of open_at_end "$balance")" = 0 ] ||
  fail "after the deleted film and Ctrl+S the film's device is still open ($balance): the failed open left the loaded film playing while Mevra counts nothing as playing, so Stop does not close it"
open_film clip.avi
mci_log | grep '^open [^ ].*clip.avi type MPEGVideo ' | tail -n 1 | grep -q '\] -> 0$' ||
  fail "the next film did not open: $(mci_log | grep '^open ' | tail -n 1)"
stop_film
mevra_down
note "ok: Mevra lived through the deleted film, and the next one played"
