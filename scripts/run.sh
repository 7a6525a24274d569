#!/usr/bin/env bash
# Installs what is missing, builds the release program and runs it with the
# given arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh release
exec ./build/release/skimbolt "$@"
