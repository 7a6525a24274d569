#!/usr/bin/env bash
# Renders the program's pictures from their SVG sources in res/art/ into
# res/images/ (and the desktop theme's icon sizes into res/desktop/icons/).
# The PNGs are committed, so building never needs this; run it after
# changing a source. Needs rsvg-convert (librsvg2-bin) and ImageMagick.
#
# Pictures shown through a mask colour (image lists, tray frames) come out
# fully opaque: a pixel is either drawn or exactly the mask colour, never a
# blend of the two. The others keep their alpha channel.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
art="$root/res/art"
images="$root/res/images"
icons="$root/res/desktop/icons"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

for tool in rsvg-convert convert; do
  command -v "$tool" >/dev/null || { echo "gen_images.sh: $tool is missing (apt-get install librsvg2-bin imagemagick)" >&2; exit 1; }
done

# Reproducible files: no time stamps or other text chunks.
png_opts=(-strip -define png:exclude-chunks=date,time,tIME)

# render SOURCE OUTPUT MODE [SIZE]
#   MODE: alpha, or mask:R,G,B for an opaque picture on that mask colour.
#   SIZE: WIDTHxHEIGHT to scale to; the source's own size when left out.
#   A source holding @VERSION@ gets the version of CMakeLists.txt there (the
#   program puts its own version in when it draws the source itself).
version="$(sed -n 's/^project(Skimbolt VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
render() {
  local src="$art/$1.svg" out="$2" mode="$3" size="${4:-}"
  local args=()
  if [ -n "$size" ]; then args=(-w "${size%x*}" -h "${size#*x}"); fi
  if grep -q '@VERSION@' "$src"; then
    # Beside the source, so that the pictures it names are found.
    sed "s/@VERSION@/$version/g" "$src" >"$art/.versioned.svg"
    src="$art/.versioned.svg"
  fi
  rsvg-convert "${args[@]}" "$src" -o "$tmp/out.png"
  rm -f "$art/.versioned.svg"
  mkdir -p "$(dirname "$out")"
  case "$mode" in
    alpha)
      convert "$tmp/out.png" "${png_opts[@]}" "PNG32:$out" ;;
    mask:*)
      convert "$tmp/out.png" -channel A -threshold 50% +channel \
        -background "rgb(${mode#mask:})" -alpha remove -alpha off \
        "${png_opts[@]}" "PNG24:$out" ;;
    *) echo "gen_images.sh: unknown mode $mode" >&2; exit 1 ;;
  esac
}

tray="mask:0,132,132"
states="mask:0,255,0"

# Tray animations and story states (strips of 16 x 16 frames).
render bitmap_160 "$images/bitmap_160.png" "$tray"
render bitmap_161 "$images/bitmap_161.png" "$tray"
render bitmap_162 "$images/bitmap_162.png" "$tray"
render bitmap_163 "$images/bitmap_163.png" "$tray"
render bitmap_164 "$images/bitmap_164.png" "$states"

# Pictures in dialogs.
for n in 165 166 167 217 218 219 220 221 1209; do
  render "bitmap_$n" "$images/bitmap_$n.png" alpha
done

# Window and tray icons: 32 x 32 and 16 x 16.
for n in 102 109 110 200 203; do
  render "icon_$n" "$images/icon_$n.png" alpha
  render "icon_${n}_16" "$images/icon_${n}_16.png" alpha
done

# The desktop theme's sizes of the application icon: the 16-pixel drawing
# for 16, and with a clear border for 22 and 24 (scaling would blur it);
# the 32-pixel drawing scaled for the rest.
render icon_102_16 "$icons/16x16/skimbolt.png" alpha
for s in 22 24; do
  mkdir -p "$icons/${s}x${s}"
  convert "$icons/16x16/skimbolt.png" -background none -gravity center -extent "${s}x${s}" \
    "${png_opts[@]}" "PNG32:$icons/${s}x${s}/skimbolt.png"
done
for s in 32 48 64 128 256; do
  render icon_102 "$icons/${s}x${s}/skimbolt.png" alpha "${s}x${s}"
done
