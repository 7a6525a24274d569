#!/usr/bin/env bash
# Fault injection: plants one known fault at a time in the source, rebuilds the
# test programs that cover it, runs them and records whether any test noticed.
#
#   bash scripts/faults.sh [-b BUILD_DIR] [-o RESULTS_FILE] [-f FAULT_LIST]
#                          [-l LOG_DIR] [-c] [ID...]
#
#   -b  build folder, relative to the repository root or absolute
#       (default build/debug; it must be configured already)
#   -o  also write the result lines to this file
#   -f  fault list (default scripts/faults.txt)
#   -l  keep each fault's build and test output in LOG_DIR/ID.log
#   -c  check only: report each fault as OK or STALE, build and run nothing
#   ID  run only these faults (default: every fault in the list)
#
# Fault list: one fault a line, five fields separated by tabs:
#   id  file  original-text  replacement-text  test-programs
# The file is relative to the repository root. The original text must occur
# exactly once in the file (a fault whose text is gone or ambiguous is
# reported STALE), so faults survive code moving around inside a file; when a
# file is split or renamed, only the file field needs updating. The
# replacement may be empty (the original text is deleted). The test programs
# are comma-separated target names (test_common, test_engine, ...). In both
# text fields "\t" stands for a tab, "\n" for a line break and "\\" for one
# backslash; any other backslash is taken as it is. Blank lines and lines
# starting with # are ignored.
#
# Results, one line a fault: id, result, file, first failing test.
#   CAUGHT      a test failed, or a test program crashed or timed out
#   MISSED      every test passed with the fault in place
#   STALE       the original text is missing or not unique
#   BUILD-FAIL  the faulty source does not compile
# Before the first fault the programs are built and run on the clean tree;
# when one of them fails there, nothing can be proved and the script stops
# (exit status 1). The source file is always put back, also on an error or
# Ctrl+C, with its old time stamp; the object files compiled from the faulty
# text are deleted. At the end the touched programs are rebuilt and run once
# more, so the build folder matches the clean tree.
set -uo pipefail

root=$(git rev-parse --show-toplevel 2>/dev/null) || root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=build/debug
results=""
fault_list=""
log_dir=""
check_only=0
while getopts "b:o:f:l:ch" opt; do
  case "$opt" in
    b) build_dir=$OPTARG ;;
    o) results=$OPTARG ;;
    f) fault_list=$OPTARG ;;
    l) log_dir=$OPTARG ;;
    c) check_only=1 ;;
    h) sed -n '2,/^set -uo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "usage: $0 [-b BUILD_DIR] [-o RESULTS_FILE] [-f FAULT_LIST] [-l LOG_DIR] [-c] [ID...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))

abspath() { case "$1" in /*) printf '%s\n' "$1" ;; *) printf '%s\n' "$PWD/$1" ;; esac; }
[ -n "$fault_list" ] && fault_list=$(abspath "$fault_list") || fault_list="$root/scripts/faults.txt"
[ -n "$results" ] && results=$(abspath "$results")
[ -n "$log_dir" ] && log_dir=$(abspath "$log_dir")
cd "$root" || exit 2
case "$build_dir" in /*) ;; *) build_dir="$root/$build_dir" ;; esac

[ -f "$fault_list" ] || { echo "no fault list: $fault_list" >&2; exit 2; }
[ "$check_only" = 1 ] || [ -f "$build_dir/build.ninja" ] || [ -f "$build_dir/Makefile" ] ||
  { echo "build folder not configured: $build_dir (run cmake --preset debug first)" >&2; exit 2; }

export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

work=$(mktemp -d "${TMPDIR:-/tmp}/faults.XXXXXX")
[ -n "$log_dir" ] && mkdir -p "$log_dir"
[ -n "$results" ] && { mkdir -p "$(dirname "$results")"; : > "$results"; }

# The file currently carrying a fault and its untouched copy. Restoring puts
# back the content and the old time stamp, so that build folders and targets
# the fault never reached do not see a change and need no rebuild. The object
# files compiled from the faulty text are deleted instead: the next build of
# those targets compiles them again from the clean text.
active_file=""
backup="$work/backup"
marker="$work/marker"

drop_faulty_objects() {
  local obj deps
  [ -f "$marker" ] || return 0
  while IFS= read -r obj; do
    if [ -f "$build_dir/build.ninja" ]; then
      # Only the objects whose recorded dependencies include the file; one
      # without recorded dependencies goes too, to be safe.
      # Ninja records the sources of a build folder inside the tree relative
      # to that folder, and absolute otherwise.
      deps=$(ninja -C "$build_dir" -t deps "${obj#"$build_dir"/}" 2>/dev/null)
      if [[ "$deps" == *"#deps"* ]] && ! grep -qF -e "$root/$active_file" \
           -e "$(realpath -m --relative-to="$build_dir" "$root/$active_file")" <<< "$deps"; then
        continue
      fi
    fi
    rm -f "$obj"
  done < <(find "$build_dir" -name '*.o' -newer "$marker" 2>/dev/null)
}

restore() {
  [ -n "$active_file" ] || return 0
  if cp -p "$backup" "$active_file" && cmp -s "$backup" "$active_file"; then
    drop_faulty_objects
    active_file=""
    return 0
  fi
  echo "ERROR: could not restore $active_file; its clean copy is $backup" >&2
  return 1
}

on_exit() {
  local rc=$?
  if [ -n "$active_file" ]; then
    restore || { trap - EXIT; exit 3; }
  fi
  rm -rf "$work"
  exit "$rc"
}
on_signal() {
  echo "interrupted; restoring the source" >&2
  exit 130
}
trap on_exit EXIT
trap on_signal INT TERM HUP

# Text helpers (perl, to treat the fault text literally).
count_text() {  # file text -> number of occurrences
  FAULT_TEXT=$2 perl -0777 -ne '
    my $t = $ENV{FAULT_TEXT}; $t =~ s/\\([\\tn])/$1 eq "t" ? "\t" : $1 eq "n" ? "\n" : "\\"/ge;
    my ($n, $p) = (0, 0);
    while (($p = index($_, $t, $p)) >= 0) { $n++; $p += length($t) || 1; }
    print $n;' "$1"
}
replace_text() {  # file original replacement (original known to be unique)
  FAULT_FROM=$2 FAULT_TO=$3 perl -0777 -i -pe '
    my ($f, $t) = ($ENV{FAULT_FROM}, $ENV{FAULT_TO});
    for ($f, $t) { s/\\([\\tn])/$1 eq "t" ? "\t" : $1 eq "n" ? "\n" : "\\"/ge; }
    my $p = index($_, $f);
    substr($_, $p, length($f)) = $t if $p >= 0;' "$1"
}

# Names the first failing test in a gtest output, or the test running when
# the program died.
first_failure() {  # log -> name
  local name
  name=$(grep -m1 -oE '^\[  FAILED  \] [A-Za-z0-9_/.]+' "$1" | sed 's/^\[  FAILED  \] //')
  if [ -z "$name" ]; then
    name=$(awk '/^\[ RUN      \]/ { cur = $4 } /^\[       OK \]/ { cur = "" } END { print cur }' "$1")
  fi
  printf '%s\n' "$name"
}

run_program() {  # target log -> 0 passed, 1 caught; sets caught_by
  local target=$1 log=$2 exe="$build_dir/tests/$1" rc
  local cmd=(timeout -k 10 300 "$exe" --gtest_fail_fast --gtest_color=no)
  if [ "$target" = test_gui ]; then
    cmd=(timeout -k 10 300 xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$exe" --gtest_fail_fast --gtest_color=no)
  fi
  (cd "$build_dir/tests" && "${cmd[@]}") > "$log" 2>&1 < /dev/null
  rc=$?
  [ "$rc" -eq 0 ] && return 0
  local name
  name=$(first_failure "$log")
  if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    caught_by="$target:${name:-?} (timed out)"
  elif grep -q '^\[  FAILED  \]' "$log"; then
    caught_by="$target:$name"
  elif [ "$rc" -gt 128 ]; then
    caught_by="$target:${name:-?} (signal $((rc - 128)))"
  else
    caught_by="$target:${name:-?} (exit $rc)"
  fi
  return 1
}

emit() {
  printf '%s\n' "$1"
  [ -n "$results" ] && printf '%s\n' "$1" >> "$results"
  return 0
}

declare -A wanted=() seen=() touched=()
for id in "$@"; do wanted[$id]=1; done

# Read the selected faults.
f_id=() f_file=() f_orig=() f_repl=() f_progs=()
while IFS= read -r line || [ -n "$line" ]; do
  line=${line%$'\r'}
  case "$line" in ''|'#'*) continue ;; esac
  # Split on tabs by hand: "read" with IFS=tab would merge an empty field.
  fields=()
  rest=$line
  while [[ "$rest" == *$'\t'* ]]; do
    fields+=("${rest%%$'\t'*}")
    rest=${rest#*$'\t'}
  done
  fields+=("$rest")
  if [ "${#fields[@]}" -ne 5 ]; then
    echo "bad fault line (need 5 tab-separated fields): $line" >&2
    continue
  fi
  if [ "${#wanted[@]}" -gt 0 ] && [ -z "${wanted[${fields[0]}]:-}" ]; then continue; fi
  seen[${fields[0]}]=1
  f_id+=("${fields[0]}") f_file+=("${fields[1]}") f_orig+=("${fields[2]}")
  f_repl+=("${fields[3]}") f_progs+=("${fields[4]}")
done < "$fault_list"
for id in "${!wanted[@]}"; do
  [ -n "${seen[$id]:-}" ] || echo "no fault with id $id" >&2
done

# Every program the selected faults use, each once, in list order.
programs=()
declare -A listed=()
for progs in "${f_progs[@]}"; do
  IFS=, read -r -a targets <<< "$progs"
  for t in "${targets[@]}"; do
    [ -n "${listed[$t]:-}" ] || { listed[$t]=1; programs+=("$t"); }
  done
done

# A fault only counts as caught when the clean tree passes: run the programs
# once without any fault first.
check_clean() {  # when -> 0 when every program passes
  local t bad=0
  [ "${#programs[@]}" -gt 0 ] || return 0
  if ! cmake --build "$build_dir" --target "${programs[@]}" -j2 > "$work/clean.log" 2>&1; then
    echo "ERROR: the clean tree does not build ($1):" >&2
    tail -20 "$work/clean.log" >&2
    return 1
  fi
  for t in "${programs[@]}"; do
    if ! run_program "$t" "$work/run.log"; then
      echo "ERROR: $t fails on the clean tree ($1): $caught_by" >&2
      bad=1
    fi
  done
  return "$bad"
}

total=${#f_id[@]} caught=0 missed=0 stale=0 buildfail=0
start=$(date +%s)
if [ "$check_only" = 0 ] && [ "$total" -gt 0 ]; then
  check_clean "before the faults" || exit 1
fi

for ((k = 0; k < total; k++)); do
  id=${f_id[k]} file=${f_file[k]} orig=${f_orig[k]} repl=${f_repl[k]} progs=${f_progs[k]}

  if [ ! -f "$file" ] || [ "$(count_text "$file" "$orig")" != 1 ]; then
    stale=$((stale + 1))
    emit "$(printf '%s\t%s\t%s\t%s' "$id" STALE "$file" "-")"
    continue
  fi
  if [ "$check_only" = 1 ]; then
    emit "$(printf '%s\t%s\t%s\t%s' "$id" OK "$file" "-")"
    continue
  fi
  was_clean=1
  git diff --quiet -- "$file" 2>/dev/null || was_clean=0

  IFS=, read -r -a targets <<< "$progs"
  log=$work/log
  : > "$log"

  cp -p "$file" "$backup"
  touch "$marker"
  active_file=$file
  replace_text "$file" "$orig" "$repl"
  if cmp -s "$backup" "$file"; then
    restore
    echo "fault $id changes nothing" >&2
    stale=$((stale + 1))
    emit "$(printf '%s\t%s\t%s\t%s' "$id" STALE "$file" "(replacement equals original)")"
    continue
  fi
  for t in "${targets[@]}"; do touched[$t]=1; done

  result="" caught_by="-"
  if ! cmake --build "$build_dir" --target "${targets[@]}" -j2 >> "$log" 2>&1; then
    result=BUILD-FAIL
    buildfail=$((buildfail + 1))
  else
    result=MISSED
    for t in "${targets[@]}"; do
      echo "== $t" >> "$log"
      if ! run_program "$t" "$work/run.log"; then
        cat "$work/run.log" >> "$log"
        result=CAUGHT
        break
      fi
      cat "$work/run.log" >> "$log"
    done
    if [ "$result" = CAUGHT ]; then caught=$((caught + 1)); else missed=$((missed + 1)); fi
  fi

  restore || exit 3
  if [ "$was_clean" = 1 ] && ! git diff --quiet -- "$file"; then
    echo "ERROR: $file differs from git after restoring it" >&2
    exit 3
  fi
  [ -n "$log_dir" ] && cp "$log" "$log_dir/$id.log"
  emit "$(printf '%s\t%s\t%s\t%s' "$id" "$result" "$file" "$caught_by")"
done

if [ "$check_only" = 1 ]; then
  emit "$(printf 'checked %d faults: %d stale' "$total" "$stale")"
  [ "$stale" -eq 0 ]
  exit
fi

# Bring the touched programs back in line with the clean sources, and make
# sure they pass again.
if [ "${#touched[@]}" -gt 0 ]; then
  programs=("${!touched[@]}")
  check_clean "after the faults" || echo "WARNING: the build folder may still hold faulty objects" >&2
fi

elapsed=$(( $(date +%s) - start ))
ran=$((caught + missed))
emit "$(printf 'caught %d of %d (missed %d, stale %d, build-fail %d; %d faults, %dm%02ds)' \
  "$caught" "$ran" "$missed" "$stale" "$buildfail" "$total" $((elapsed / 60)) $((elapsed % 60)))"
