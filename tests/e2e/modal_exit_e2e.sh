#!/usr/bin/env bash
# End to end: the desktop program ends cleanly (exit status 0, files intact)
# when the session ends (SIGTERM) or Exit is chosen while a modal window is
# open: the setup alert of a first start on a fresh folder, and the About box
# opened from the notification area's menu (a stand-in StatusNotifierWatcher).
#
#   modal_exit_e2e.sh PROGRAM     (run under xvfb-run and dbus-run-session by ctest)
set -uo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_common.sh" modal

/usr/bin/python3 "$here/fake_watcher.py" "$work/watcher" "$work/watcher.cmd" >"$work/watcher.log" 2>&1 &
pids+=($!)
wait_for 10 ready "$work/watcher.log" || fail "the watcher stand-in did not start"

# Starts the program on folder $1 and waits for its tray item.
start() {
  "$program" --home "$1" --no-splash >"$work/log" 2>&1 &
  app=$!
  pids+=($app)
  wait_for 30 'tray icon added' "$work/log" || fail "no tray icon"
}
# Waits for a window titled $1 on the display.
window_open() {
  timeout 20 xdotool search --sync --onlyvisible --name "$1" >/dev/null || fail "no window \"$1\""
}
# Ends the program with SIGTERM or the item menu's Exit ($1) and checks that
# it ended in order, with the files of folder $2 as they were.
end_cleanly() {
  local home=$2 i status
  (cd "$home/Data" && md5sum ./* >"$work/files.before" 2>/dev/null)
  if [ "$1" = TERM ]; then kill -TERM "$app"; else watcher 'click Exit' '^clicked Exit'; fi
  for ((i = 0; i < 200 && $(kill -0 "$app" 2>/dev/null && echo 1 || echo 0); i++)); do sleep 0.1; done
  kill -0 "$app" 2>/dev/null && fail "the program did not end ($1)"
  wait "$app"
  status=$?
  [ "$status" -eq 0 ] || fail "exit status $status ($1)"
  grep -q '^skimbolt: exit: ending the modal windows first$' "$work/log" || fail "the modal window was not ended first ($1)"
  grep -q '^skimbolt: exit$' "$work/log" || fail "no orderly exit ($1)"
  (cd "$home/Data" && md5sum -c --quiet "$work/files.before") || fail "files changed at the exit ($1)"
  ls "$home"/Data/temp_*.html >/dev/null 2>&1 && fail "temporary story pages left behind ($1)"
  ls "$XDG_RUNTIME_DIR"/skimbolt-*.sock >/dev/null 2>&1 && fail "the instance socket was left behind ($1)"
}

# 1. A first start on a fresh folder opens the setup alert; SIGTERM.
start "$work/fresh"
wait_for 30 'setup needed' "$work/log" || fail "no setup alert on a fresh folder"
window_open '^Skimbolt Alert!$'
end_cleanly TERM "$work/fresh"

# 2. A set-up folder: the About box from the item's menu; SIGTERM, then Exit.
home=$work/home
mkdir -p "$home/Data"
{
  printf 'D F0000008 Stories_Have_Sound 0 1\r\n'
  printf 'D F0000003 Poll_Period 600 600\r\n'
  printf 'B F0000002 Web_Address http://127.0.0.1:9/ http://127.0.0.1:9/\r\n'
  printf 'B F0000001 Keyword +storm +storm\r\n'
} >"$home/Data/config.txt"
chmod 600 "$home/Data/config.txt"
for how in TERM Exit; do
  start "$home"
  wait_for 30 'pass finished' "$work/log" || fail "no first pass"
  watcher 'click About Skimbolt' '^clicked About Skimbolt'
  window_open '^About Skimbolt$'
  end_cleanly "$how" "$home"
done
echo "PASS"
