#!/usr/bin/env bash
# Records what the page rules make of a fixed set of pages, so that a change
# meant to keep behaviour can be checked line by line:
#
#   bash scripts/record_outputs.sh CLI BENCH OUTDIR
#   diff -r OUTDIR_BEFORE OUTDIR_AFTER
#
# CLI is a built skimbolt-cli, BENCH a built skimbolt_bench (it writes the
# generated benchmark pages). OUTDIR receives:
#   links/NAME.txt     --links of every real front page of ../shared/realweb
#                      (when that folder exists) and of every generated page
#   articles/NAME.txt  --article of every real article page
#   scan/*.txt         --scan-once over a loopback site holding the generated
#                      pages, the end-to-end test's site and the real front
#                      pages as custom URLs, in QuickScan mode, and the
#                      generated pages and the site in Extensive mode (the
#                      real pages' articles are elsewhere on the web); the
#                      lines printed, sorted (no times in them)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ne 3 ]; then sed -n '2,16p' "$0" >&2; exit 2; fi
cli=$(realpath "$1") bench=$(realpath "$2") out=$3
realweb=${REALWEB:-$root/../shared/realweb}
mkdir -p "$out/links" "$out/articles" "$out/scan" || exit 1
work=$(mktemp -d)
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT

# Generated pages.
mkdir -p "$work/site/gen"
"$bench" --write-pages="$work/site/gen" >/dev/null || exit 1
for page in "$work"/site/gen/*.html; do
  name=$(basename "$page" .html)
  "$cli" --home "$work/h" --links "$page" --page-url "http://news.example.com/$name.html" \
    >"$out/links/gen-$name.txt" 2>&1
done

# Real pages.
if [ -d "$realweb/front" ]; then
  mkdir -p "$work/site/front"
  for page in "$realweb"/front/*.html; do
    name=$(basename "$page" .html)
    cp "$page" "$work/site/front/"
    "$cli" --home "$work/h" --links "$page" --page-url "$(cat "$realweb/front/$name.url")" \
      >"$out/links/$name.txt" 2>&1
  done
  for page in "$realweb"/articles/*.html; do
    name=$(basename "$page" .html)
    "$cli" --home "$work/h" --article "$page" --headline "$(cat "$realweb/articles/$name.headline")" \
      </dev/null >"$out/articles/$name.txt" 2>&1
  done
fi

# A loopback site: scans of every page as custom URLs.
cp -r "$root/tests/e2e/site/." "$work/site/"
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
/usr/bin/python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/site" >/dev/null 2>&1 &
server=$!
for ((i = 0; i < 50; i++)); do
  /usr/bin/python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/index.html')" 2>/dev/null && break
  sleep 0.1
done
scan() {  # scan NAME TITLE_CONTAINS CHECK_ONLY_TITLE PAGES KEYWORD...
  local name=$1 tck=$2 cot=$3 pages=$4 home=$work/scan-$1
  shift 4
  mkdir -p "$home/Data"
  {
    printf 'D F0000005 Check_Only_Title %s 1\r\n' "$cot"
    printf 'D F0000004 Title_Contains_Keyword %s 1\r\n' "$tck"
    (cd "$work/site" && find . -name '*.html' | grep -E "$pages" | sort) | while read -r f; do
      printf 'B F0000002 Web_Address http://127.0.0.1:%s/%s http://127.0.0.1:%s/%s\r\n' "$port" "${f#./}" "$port" "${f#./}"
    done
    for k in "$@"; do printf 'B F0000001 Keyword %s %s\r\n' "$k" "$k"; done
  } >"$home/Data/config.txt"
  chmod 600 "$home/Data/config.txt"
  "$cli" --home "$home" --scan-once 2>"$out/scan/$name.err" | sed "s/127.0.0.1:$port/LOOPBACK/g" | sort \
    >"$out/scan/$name.txt"
  sed -i "s/127.0.0.1:$port/LOOPBACK/g" "$out/scan/$name.err"
  # A second pass over the same pages, recorded as it is.
  "$cli" --home "$home" --scan-once 2>/dev/null | sed "s/127.0.0.1:$port/LOOPBACK/g" | sort \
    >"$out/scan/$name.again.txt"
}
scan quick 1 1 . +storm +the +a +new
scan extensive 0 0 '^./(gen|index|story)' +storm +harbour +said
echo "recorded in $out: $(cat "$out"/links/*.txt | wc -l) link lines, $(cat "$out"/articles/*.txt 2>/dev/null | wc -l) article lines, $(cat "$out"/scan/*.txt | wc -l) scan lines"
