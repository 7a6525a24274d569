#!/usr/bin/env bash
# Measures the desktop program (a release build) on a virtual display with a
# tray host, against a loopback news site, and prints the figures:
#   1. start-up time to the tray icon with 10,000 stories in the archive;
#   2. idle CPU over 60 seconds and resident memory with ten configured pages;
#   3. resident memory after PASSES passes (default 100) over the loopback
#      site with a 10-second poll period, against the memory after the first.
#
#   bash scripts/measure.sh [PASSES]        (PASSES=0 skips the third)
#
# Measures, not tests: nothing fails on a slow machine.
set -uo pipefail
cd "$(dirname "$0")/.."
passes=${1:-100}
root=$PWD
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
bash scripts/deps.sh >/dev/null
cmake --preset release >/dev/null && cmake --build build/release --target skimbolt -j2 >/dev/null || exit 1
program=$root/build/release/skimbolt

work=$(mktemp -d "${TMPDIR:-/tmp}/skimbolt-measure.XXXXXX")
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/share XDG_RUNTIME_DIR=$work/run
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 SKIMBOLT_TRACE=1
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset SKIMBOLT_HOME

wait_for() {  # seconds pattern file
  local i
  for ((i = 0; i < $1 * 20; i++)); do
    grep -q -- "$2" "$3" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# The loopback site: the end-to-end test's front page, and a big page with
# 10,000 links that all match the keyword "works" (the archive keeps about
# 3,000 distinct stories of it per page, so it is read as four pages).
site=$work/site
cp -r tests/e2e/site "$site"
/usr/bin/python3 - "$site/big.html" <<'PY'
import sys
w = ["harbour", "council", "orchard", "railway", "library", "shipyard", "market", "bridge", "valley", "school"]
v = ["approves", "delays", "reviews", "funds", "opens", "closes", "rebuilds", "expands", "inspects", "plans"]
with open(sys.argv[1], "w") as f:
    f.write("<html><head><title>Archive</title></head><body><ul>\n")
    for i in range(10000):
        a, b, c, d = w[i % 10], v[(i // 10) % 10], w[(i // 100) % 10], w[(i // 1000) % 10]
        f.write('<li><a href="/story/%d.html">The %s %s new works at the %s beside the old %s</a><br>'
                'Residents were told about the works at a meeting in the town hall last night.</li>\n' % (i, a, b, c, d))
    f.write("</ul></body></html>\n")
PY
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
/usr/bin/python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site" >/dev/null 2>&1 &
pids+=($!)
trayer --edge bottom --align right --widthtype pixel --width 80 --heighttype pixel --height 24 >/dev/null 2>&1 &
pids+=($!)
sleep 1

write_config() {  # home poll-seconds keyword url...
  local home=$1 poll=$2 keyword=$3
  shift 3
  mkdir -p "$home/Data"
  {
    printf 'D F0000016 Browser_Display_Ask 0 1\r\nD F0000008 Stories_Have_Sound 0 1\r\n'
    printf 'D F0000007 Auto_Story_Pop-up 0 1\r\nD F0000003 Poll_Period %d 600\r\n' "$poll"
    for url in "$@"; do printf 'B F0000002 Web_Address %s %s\r\n' "$url" "$url"; done
    printf 'B F0000001 Keyword +%s +%s\r\n' "$keyword" "$keyword"
  } >"$home/Data/config.txt"
  chmod 600 "$home/Data/config.txt"
}
start() {  # home log -> pid in $app
  "$program" --home "$1" --no-splash >"$2" 2>&1 &
  app=$!
  pids+=($app)
}
stop() {  # pid
  kill -TERM "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}

echo "Skimbolt measures ($(nproc) cores, $(date -u '+%Y-%m-%d %H:%M UTC'))"

# 1. Start-up with over 10,000 stories in the archive.
home=$work/big
write_config "$home" 600 works "http://127.0.0.1:$port/big.html?part="{1,2,3,4}
"$program" --home "$home" --scan-once >/dev/null 2>&1
stories=$(cat "$home"/Data/*.dat 2>/dev/null | grep -ao 'new works at the [a-z]* beside the old [a-z]*' | wc -l)
t0=$(date +%s.%N)
start "$home" "$work/big.log"
wait_for 60 'tray icon added\|no tray' "$work/big.log"
t1=$(date +%s.%N)
grep -q 'tray icon added' "$work/big.log" || echo "  (no tray host took the icon)"
printf '1. start-up to the tray icon with %s stories in the archive: %.2f s\n' "$stories" "$(echo "$t1 - $t0" | bc)"
stop "$app"

# 2. Idle CPU over 60 s and memory with ten pages.
home=$work/ten
urls=()
for i in $(seq 1 10); do urls+=("http://127.0.0.1:$port/index.html?page=$i"); done
write_config "$home" 600 storm "${urls[@]}"
start "$home" "$work/ten.log"
wait_for 60 'pass finished' "$work/ten.log"
sleep 2
hz=$(getconf CLK_TCK)
c0=$(cpu_ticks "$app")
sleep 60
c1=$(cpu_ticks "$app")
printf '2. ten pages: idle CPU over 60 s: %.2f %% of one core; resident memory %s kB\n' \
  "$(echo "($c1 - $c0) * 100 / $hz / 60" | bc -l)" "$(rss_kb "$app")"
stop "$app"

# 3. Memory over many passes with a 10-second poll period.
if [ "$passes" -gt 0 ]; then
  home=$work/passes
  write_config "$home" 10 storm "http://127.0.0.1:$port/index.html"
  start "$home" "$work/passes.log"
  # The Options page refuses a period under a minute with a box at start:
  # answer it.
  for ((s = 0; s < 40; s++)); do
    grep -q 'tray icon added\|no tray' "$work/passes.log" && break
    box=$(xdotool search --onlyvisible --name '^Skimbolt$' 2>/dev/null | head -1)
    [ -n "$box" ] && xdotool windowfocus --sync "$box" key Return 2>/dev/null
    sleep 0.5
  done
  wait_for 60 'pass finished' "$work/passes.log"
  first=$(rss_kb "$app")
  limit=$((passes * 10 + 120))
  reported=0
  for ((s = 0; s < limit; s += 5)); do
    done_passes=$(grep -c 'pass finished' "$work/passes.log")
    if [ "$done_passes" -ge $((reported + 25)) ]; then
      reported=$((reported / 25 * 25 + 25))
      printf '   after %s passes: %s kB\n' "$done_passes" "$(rss_kb "$app")"
    fi
    [ "$done_passes" -ge "$passes" ] && break
    sleep 5
  done
  printf '3. resident memory after 1 pass: %s kB; after %s passes: %s kB\n' \
    "$first" "$(grep -c 'pass finished' "$work/passes.log")" "$(rss_kb "$app")"
  stop "$app"
fi
