#!/usr/bin/env bash
# Writes a PNG of every window of the program, for review, into a folder
# (build/screenshots/ by default):
#
#   bash scripts/screenshots.sh [--dark] [OUTPUT_DIR]
#
# --dark draws the windows in GTK's dark theme (GTK_THEME=Adwaita:dark), by
# default into build/screenshots-dark/.
#
# Installs what is missing, builds the window test program in the debug build
# (or in SKIMBOLT_BUILD_DIR when set) and runs its screenshot tests on a
# virtual X display. The windows covered are the tests named Screenshots.* in tests/gui/.
set -euo pipefail
cd "$(dirname "$0")/.."

theme=()
suffix=""
if [ "${1:-}" = "--dark" ]; then
  theme=(GTK_THEME=Adwaita:dark)
  suffix="-dark"
  shift
fi
out="${1:-build/screenshots$suffix}"
build="${SKIMBOLT_BUILD_DIR:-build/debug}"

bash scripts/deps.sh
if [ "$build" = "build/debug" ]; then
  cmake --preset debug >/dev/null
elif [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build "$build" --target test_gui

mkdir -p "$out"
out="$(cd "$out" && pwd)"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT

status=0
env "${theme[@]}" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 SKIMBOLT_SCREENSHOT_DIR="$out" \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/tests/test_gui" --gtest_filter='Screenshots.*' >"$log" 2>&1 || status=$?

if [ "$status" -ne 0 ]; then
  cat "$log"
  echo "Screenshots failed (exit status $status)." >&2
  exit "$status"
fi
echo "Screenshots written:"
sed -n 's/^screenshot: /  /p' "$log"
