#!/usr/bin/env bash
# End to end: the desktop program on a fresh application folder, on a virtual
# display with a notification area (X11 tray or a stand-in D-Bus watcher) and
# a session bus whose notification server is a stand-in. It scans a loopback news site, announces the matching stories in
# the tray and as a desktop notification (with the program's icon and desktop
# entry), opens the story list when the notification is clicked, hands a
# story's own address to the (stand-in) browser when its row is
# double-clicked, answers a second start, and ends cleanly on SIGTERM with
# its files intact.
#
#   desktop_e2e.sh MODE PROGRAM     (run under xvfb-run and dbus-run-session
#                                    by ctest; see tests/CMakeLists.txt)
#
# MODE x11: an X11 tray host (trayer); activating the notification opens the
# story list, a watcher that comes and goes takes the icon and gives it back,
# SIGTERM ends the program.
# MODE sni: a stand-in StatusNotifierWatcher and no X11 tray: the icon is a
# D-Bus item; its Activate opens the story list, its menu follows the state
# (Disable/Enable), the item registers again when the watcher restarts, and
# the menu's Exit ends the program.
# MODE wayland: as sni, with the program on a Wayland compositor (weston,
# nested in the virtual X display) and no X display of its own; the story
# row is not clicked (the test cannot move a pointer there). Skipped (77)
# when weston is missing.
set -uo pipefail
mode=$1
program=$2
case "$mode" in x11 | sni | wayland) ;; *) echo "unknown mode $mode" >&2; exit 2 ;; esac
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_common.sh" e2e

# The loopback news site.
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
/usr/bin/python3 -m http.server "$port" --bind 127.0.0.1 --directory "$here/site" >"$work/http.log" 2>&1 &
pids+=($!)
site="http://127.0.0.1:$port/index.html"

# The default browser: a desktop entry whose program records what it was given.
mkdir -p "$work/bin" "$XDG_DATA_HOME/applications"
printf '#!/bin/sh\necho fakebrowser.desktop\n' >"$work/bin/xdg-settings"
cat >"$work/bin/fake-browser" <<BROWSER
#!/bin/sh
echo "url \$1" >>"$work/browser"
BROWSER
chmod +x "$work/bin/xdg-settings" "$work/bin/fake-browser"
printf '[Desktop Entry]\nType=Application\nName=Fake Browser\nExec=%s %%u\n' "$work/bin/fake-browser" \
  >"$XDG_DATA_HOME/applications/fakebrowser.desktop"
export PATH="$work/bin:$PATH"

# The notification server (with an X11 tray it activates what it shows) and
# the notification area.
activate=()
[ "$mode" = x11 ] && activate=(--activate)
/usr/bin/python3 "$here/fake_notifications.py" "$work/notices" "${activate[@]}" >"$work/notify.log" 2>&1 &
notifier=$!
pids+=($!)
wait_for 10 ready "$work/notify.log" || fail "the notification stand-in did not start"
if [ "$mode" = x11 ]; then
  trayer --edge bottom --align right --widthtype pixel --width 80 --heighttype pixel --height 24 >/dev/null 2>&1 &
  pids+=($!)
else
  /usr/bin/python3 "$here/fake_watcher.py" "$work/watcher" "$work/watcher.cmd" >"$work/watcher.log" 2>&1 &
  pids+=($!)
  wait_for 10 ready "$work/watcher.log" || fail "the watcher stand-in did not start"
fi
run=("$program")
if [ "$mode" = wayland ]; then
  command -v weston >/dev/null || { echo "SKIP: weston is not installed"; exit 77; }
  # The compositor's own window on the virtual X display; the program sees
  # only the compositor.
  socket=skimbolt-e2e-$$
  weston --backend=x11-backend.so --socket="$socket" --use-pixman --idle-time=0 --width=1024 --height=768 \
    >"$work/weston.log" 2>&1 &
  pids+=($!)
  for ((i = 0; i < 100; i++)); do [ -S "$XDG_RUNTIME_DIR/$socket" ] && break; sleep 0.1; done
  [ -S "$XDG_RUNTIME_DIR/$socket" ] || fail "weston did not start: $(cat "$work/weston.log")"
  run=(env -u DISPLAY GDK_BACKEND=wayland WAYLAND_DISPLAY="$socket" "$program")
fi

# A fresh application folder set up as the property sheet would leave it:
# one keyword group, one custom URL, no pop-up, no sound.
home=$work/home
mkdir -p "$home/Data"
{
  printf 'D F0000017 Browser_Display_New 1 1\r\n'
  printf 'D F0000016 Browser_Display_Ask 1 1\r\n'  # asks nothing: no browser here takes the current window
  printf 'D F000000F Proxy_Port_Num 80 80\r\n'
  printf 'C F0000011 Proxy_User_Password . .\r\n'
  printf 'C F0000010 Proxy_User_Name . .\r\n'
  printf 'C F000000E Proxy_Server_Name . .\r\n'
  printf 'D F0000012 Use_Proxy 0 0\r\n'
  printf 'D F0000008 Stories_Have_Sound 0 1\r\n'
  printf 'D F0000007 Auto_Story_Pop-up 0 1\r\n'
  printf 'D F000000A Ignore_Initial_Stories 0 0\r\n'
  printf 'D F0000005 Check_Only_Title 1 1\r\n'
  printf 'D F0000004 Title_Contains_Keyword 1 1\r\n'
  printf 'D F0000003 Poll_Period 600 600\r\n'
  printf 'B F0000002 Web_Address %s %s\r\n' "$site" "$site"
  printf 'B F0000001 Keyword +storm +storm\r\n'
} >"$home/Data/config.txt"
chmod 600 "$home/Data/config.txt"
cp "$home/Data/config.txt" "$work/config.before"

# 1. Start: a pass runs at once (the first scan of a set-up folder), the
# tray goes through its scanning state and ends flashing for new stories.
"${run[@]}" --home "$home" --no-splash >"$work/log" 2>&1 &
app=$!
pids+=($app)
wait_for 30 'tray state 2' "$work/log" || fail "no scanning state"
wait_for 60 'tray state 3' "$work/log" || fail "no new-stories state after the pass"
grep -q 'setup needed' "$work/log" && fail "a set-up folder asked for setup"
grep -q 'tray icon added' "$work/log" || fail "no tray icon"
if [ "$mode" != x11 ]; then
  # The item registered and shows the state's tip and drawing in all sizes,
  # in network byte order; the large sizes drawn, not enlarged (their round
  # edges have more shades than the small one's).
  grep -q '^registered org\.kde\.StatusNotifierItem-[0-9]*-1 /StatusNotifierItem$' "$work/watcher" ||
    fail "the item did not register: $(cat "$work/watcher")"
  wait_for 10 '^props status=Active menu=/StatusNotifierItem/Menu itemismenu=0 tip=.*New Stories' "$work/watcher" ||
    fail "no item properties of the new-stories state: $(cat "$work/watcher")"
  wait_for 10 '^icon sizes=16x16,22x22,24x24,32x32,48x48,64x64 crisp=0 dark=0 red=[1-9]' "$work/watcher" ||
    fail "no pixmaps of the new-stories state: $(cat "$work/watcher")"
  grep '^icon .* dark=0 red=[1-9]' "$work/watcher" | tail -1 |
    awk '{ split($6, a, "="); split($7, b, "="); exit !(b[2] > a[2] + 4) }' ||
    fail "the large pixmaps are not drawn at their size: $(cat "$work/watcher")"
fi

# 2. The desktop notification names the three matching stories.
wait_for 10 'new stories' "$work/notices" || fail "no desktop notification"
grep -q $'\tSkimbolt: 3 new stories\t' "$work/notices" || fail "wrong notification: $(cat "$work/notices")"
for h in "Storm floods the harbour district" "Farmers count the storm damage" "Insurers brace for storm claims"; do
  grep -q "$h" "$work/notices" || fail "the notification lacks \"$h\""
done
# Its icon, desktop entry and picture, and clicking it ("default") as its action.
grep $'\tSkimbolt: 3 new stories\t' "$work/notices" | cut -f4- |
  grep -Eq $'^skimbolt\tcom\\.vantrelgroup\\.Skimbolt\t[0-9]+x[0-9]+:4:[0-9]+\tdefault,View Stories$' ||
  fail "no icon, desktop entry, picture or default action: $(cat "$work/notices")"

# 3. Activating it (x11), or the item (sni, wayland), opens the story list,
# which takes the pending stories.
if [ "$mode" != x11 ]; then
  watcher menu '^menu '
  grep -q '^menu _Open:1|_View Stories:1|-|_Scan Now:1|_Disable:1|_About Skimbolt:1|-|E_xit:1$' "$work/watcher" ||
    fail "wrong item menu: $(grep '^menu' "$work/watcher")"
  grep -q 'story list shown' "$work/log" && fail "the story list opened before the item was activated"
  watcher activate '^activated'
fi
wait_for 10 'story list shown' "$work/log" || fail "activating did not open the story list"
grep 'tray state' "$work/log" | tail -1 | grep -q 'tray state 0' || fail "the tray still flashes after the list was opened"
if [ "$mode" != x11 ]; then
  # The newspaper, on the pixel grid at every size: sharp.
  wait_for 10 '^icon sizes=16x16,22x22,24x24,32x32,48x48,64x64 crisp=1 dark=[1-9][0-9]* red=0 ' "$work/watcher" ||
    fail "no sharp pixmaps of the newspaper: $(cat "$work/watcher")"
  tail -n 3 "$work/watcher" | grep -q 'tip=Skimbolt, double-click' || fail "no tip of the normal state: $(cat "$work/watcher")"
  # Clicking the notification opens the story list as well.
  shown=$(grep -c 'story list shown' "$work/log")
  kill -USR1 "$notifier"
  for ((i = 0; i < 100; i++)); do
    [ "$(grep -c 'story list shown' "$work/log")" -gt "$shown" ] && break
    sleep 0.1
  done
  [ "$(grep -c 'story list shown' "$work/log")" -gt "$shown" ] || fail "clicking the notification did not open the story list"
fi

# 4. A double click on the first story views it: without a banner host the
# browser gets the story's own address, with no question asked.
if [ "$mode" != wayland ]; then
  wid=$(xdotool search --sync --onlyvisible --name '^Story List' | head -1)
  [ -n "$wid" ] || fail "no story list window"
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  xdotool mousemove $((X + WIDTH / 3)) $((Y + HEIGHT * 19 / 161 + 32)) click --repeat 2 --delay 80 1
  wait_for 15 '^url ' "$work/browser" || fail "the browser was not started for the story"
  grep -Eq "^url http://127\.0\.0\.1:$port/story/[135]\.html\$" "$work/browser" ||
    fail "not a matched story's address: $(cat "$work/browser")"
fi

# 5. A second start on the same folder hands over to the running program and ends.
timeout 20 "${run[@]}" --home "$home" --no-splash >"$work/second.log" 2>&1
[ $? -eq 0 ] || fail "the second start failed: $(cat "$work/second.log")"
wait_for 10 'come forward' "$work/log" || fail "the running program was not asked to come forward"
kill -0 "$app" 2>/dev/null || fail "the first program ended"

# 6. (x11) A watcher that comes takes the icon from the X11 tray (the tray
# shows no newspaper any more), and when it goes the icon comes back.
tray_newspaper() {  # the pixels of the newspaper's frame in trayer's area
  import -window root -crop 80x24+1200+1000 +repage "$work/tray.png" &&
    convert "$work/tray.png" txt:- | grep -ci '#2E3436'
}
if [ "$mode" = x11 ]; then
  [ "$(tray_newspaper)" -gt 0 ] || fail "no icon in the X11 tray"
  /usr/bin/python3 "$here/fake_watcher.py" "$work/watcher" "$work/watcher.cmd" >"$work/watcher.log" 2>&1 &
  watcher_pid=$!
  pids+=($watcher_pid)
  wait_for 10 '^registered' "$work/watcher" || fail "the item did not register with a watcher that came"
  for ((i = 0; i < 50 && $(tray_newspaper) > 0; i++)); do sleep 0.1; done
  [ "$(tray_newspaper)" -eq 0 ] || fail "the X11 icon stayed beside the item"
  kill "$watcher_pid"
  for ((i = 0; i < 50 && $(tray_newspaper) == 0; i++)); do sleep 0.1; done
  [ "$(tray_newspaper)" -gt 0 ] || fail "the icon did not come back to the X11 tray"
fi

# 7. (sni, wayland) The item's menu: Scan Now starts a pass, Disable turns
# scanning off and the menu then offers Enable; a restarted watcher gets the
# item again.
if [ "$mode" != x11 ]; then
  passes=$(grep -c 'pass finished' "$work/log")
  watcher 'click Scan Now' '^clicked Scan Now'
  for ((i = 0; i < 300 && $(grep -c 'pass finished' "$work/log") == passes; i++)); do sleep 0.1; done
  [ "$(grep -c 'pass finished' "$work/log")" -gt "$passes" ] || fail "Scan Now ran no pass"
  watcher 'click Disable' '^clicked Disable'
  wait_for 10 'tray state 1' "$work/log" || fail "Disable did not disable"
  watcher menu '^menu .*_Enable:1'
  watcher 'click Enable' '^clicked Enable'
  watcher restart '^restarted'
  for ((i = 0; i < 100 && $(grep -c '^registered' "$work/watcher") < 2; i++)); do sleep 0.1; done
  [ "$(grep -c '^registered' "$work/watcher")" -ge 2 ] || fail "the item did not register with the restarted watcher"
fi

# 8. The orderly exit (SIGTERM, or the item menu's Exit), with every file intact.
if [ "$mode" = x11 ]; then
  kill -TERM "$app"
else
  watcher 'click Exit' '^clicked Exit'
fi
for ((i = 0; i < 300 && $(kill -0 "$app" 2>/dev/null && echo 1 || echo 0); i++)); do sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the program did not end"
wait "$app"
status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
grep -q '^skimbolt: exit' "$work/log" || fail "no orderly exit"
cmp -s "$work/config.before" "$home/Data/config.txt" || fail "config.txt changed"
stories=$(ls "$home"/Data/*.dat 2>/dev/null | head -1)
[ -n "$stories" ] || fail "no story file"
for h in "Storm floods the harbour district" "Farmers count the storm damage" "Insurers brace for storm claims"; do
  grep -aq "$h" "$stories" || fail "the story file lacks \"$h\""
done
grep -q "$site" "$home/Data/health.txt" || fail "no health record of the page"
ls "$home"/Data/temp_*.html >/dev/null 2>&1 && fail "temporary story pages left behind"
ls "$XDG_RUNTIME_DIR"/skimbolt-*.sock >/dev/null 2>&1 && fail "the instance socket was left behind"
echo "PASS"
