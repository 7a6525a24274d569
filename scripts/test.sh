#!/usr/bin/env bash
# Installs what is missing, builds a preset (debug by default; asan and tsan
# work too) and runs every test. Window tests run on a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-debug}"
bash scripts/deps.sh
bash scripts/build.sh "$preset"
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
run=()
if [ "$preset" = "tsan" ]; then
  # TSan cannot map its shadow memory with the kernel's default address randomisation.
  run=(setarch "$(uname -m)" -R)
fi
"${run[@]}" xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
  ctest --test-dir "build/$preset" --output-on-failure -j "$(nproc)"
