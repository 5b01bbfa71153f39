#!/usr/bin/env bash
# Draws the application icon (a shield with a check mark) at the sizes Windows asks for and packs them
# into one .ico. Run by hand when the icon changes; the result is committed.
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
for s in 16 24 32 48 64 256; do
    convert "$tmp/base.png" -resize ${s}x${s} "$tmp/icon-$s.png"
done
convert "$tmp"/icon-16.png "$tmp"/icon-24.png "$tmp"/icon-32.png "$tmp"/icon-48.png "$tmp"/icon-64.png \
    "$tmp"/icon-256.png "$out"
