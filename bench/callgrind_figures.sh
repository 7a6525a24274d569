#!/usr/bin/env bash
# Instruction counts (callgrind Ir) of reading and walking pages:
#
#   bash bench/callgrind_figures.sh BENCH [LOOPS]
#
# BENCH is a built skimbolt_bench (a release build). For the generated
# news_page, and for the pages of ../shared/realweb/ (or $REALWEB) when
# present, front and article pages together and front pages alone, it
# prints:
#   read Ir/byte  SetPage (decoding to UTF-8) and ParsePage, per byte of page
#   walk Ir/byte  finding the story links of the parsed page (the link rules,
#                 the page layout, the story filter, the targets), per byte
#   walk/read     the two set side by side
# Callgrind counts only inside those calls (--toggle-collect), so start-up,
# the loading of the inputs and the copy of each page the benchmark hands
# over drop out; each page is read and walked LOOPS times (default 10).
# Several pages "as a whole" add up their bytes and their instructions.
set -euo pipefail
if [ $# -lt 1 ]; then sed -n '2,16p' "$0" >&2; exit 2; fi
bench=$(realpath "$1")
loops=${2:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
realweb=${REALWEB:-$root/../shared/realweb}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ir() {  # ir MODE ARGS... : the instructions of one run inside the calls measured
  local mode=$1
  shift
  local collect=(--toggle-collect='CHtmlParser::SetPage*' --toggle-collect='CHtmlParser::ParsePage*')
  [ "$mode" = walk ] && collect=(--toggle-collect='FindStoryLinks*')
  valgrind --tool=callgrind "${collect[@]}" --callgrind-out-file="$work/out" "$bench" "--$mode-loops=$loops" "$@" \
    >"$work/stdout" 2>"$work/stderr"
  sed -n 's/^summary: //p' "$work/out"
}

figures() {  # figures LABEL ARGS...
  local label=$1
  shift
  local r w bytes
  r=$(ir parse "$@")
  bytes=$(sed -n 's/^parsed \([0-9]*\) bytes.*/\1/p' "$work/stdout")
  w=$(ir walk "$@")
  awk -v l="$label" -v b="$bytes" -v r="$r" -v w="$w" 'BEGIN {
    printf "%-34s %12d bytes  read %6.2f Ir/byte  walk %6.2f Ir/byte  walk/read %.2f\n", l, b, r / b, w / b, w / r }'
}

figures "news_page" --inputs=news_page
if [ -d "$realweb/front" ]; then
  figures "realweb front + articles" --inputs=files "$realweb"/front/*.html "$realweb"/articles/*.html
  figures "realweb front" --inputs=files "$realweb"/front/*.html
fi
