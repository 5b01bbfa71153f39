#!/usr/bin/env bash
# Draws the application icon (a shield with a check mark) at the sizes Windows asks for and packs them
# into one .ico: the small and large icons and the main window's 48-pixel picture at 100, 125, 150 and 200 %
# display scale, so none is stretched from a smaller one. Run by hand when the icon changes; the result is
# committed.
set -euo pipefail
out=${1:-"$(dirname "$0")/../src/app/resources/quillcrest.ico"}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 256x256 xc:none \
    -fill '#0b4f8a' -stroke '#06365f' -strokewidth 8 \
    -draw "path 'M 128,14 L 226,52 L 226,124 C 226,186 184,224 128,244 C 72,224 30,186 30,124 L 30,52 Z'" \
    -fill '#2f86d1' -stroke none \
    -draw "path 'M 128,34 L 206,64 L 206,124 C 206,174 174,204 128,222 Z'" \
    -fill none -stroke white -strokewidth 26 -draw "polyline 78,130 114,166 182,92" \
    "$tmp/base.png"
sizes="16 20 24 32 40 48 60 64 72 96 256"
for s in $sizes; do
    convert "$tmp/base.png" -resize ${s}x${s} "$tmp/icon-$s.png"
done
convert $(for s in $sizes; do echo "$tmp/icon-$s.png"; done) "$out"
