# What the end-to-end scripts share, sourced after they set `here`: a work
# folder removed at the end with every process started (listed in `pids`),
# private XDG folders, and the helpers below. $1 names the work folder.
work=$(mktemp -d "${TMPDIR:-/tmp}/skimbolt-$1.XXXXXX")
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "--- program log" >&2; cat "$work/log" >&2 2>/dev/null; exit 1; }
# Waits up to $1 seconds for a line matching $2 in file $3.
wait_for() {
  local limit=$1 pattern=$2 file=$3 i
  for ((i = 0; i < limit * 10; i++)); do
    grep -q -- "$pattern" "$file" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
# Sends a command to the stand-in watcher and waits for the line it writes.
watcher() {
  local before i
  before=$(grep -c -- "$2" "$work/watcher" 2>/dev/null)
  echo "$1" >>"$work/watcher.cmd"
  for ((i = 0; i < 100; i++)); do
    [ "$(grep -c -- "$2" "$work/watcher")" -gt "$before" ] && return 0
    sleep 0.1
  done
  fail "the watcher saw no \"$2\" after \"$1\": $(cat "$work/watcher")"
}

export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/share XDG_RUNTIME_DIR=$work/run
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 SKIMBOLT_TRACE=1
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset SKIMBOLT_HOME
