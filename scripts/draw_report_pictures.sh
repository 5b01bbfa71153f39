#!/usr/bin/env bash
# Draws the three 16 x 16 pictures of the lookup report: a green check mark ("check2.gif"), a white exclamation
# mark on a blue disc ("information.gif") and a black exclamation mark on a yellow triangle ("warning.gif"), and
# each again for displays at 125 %, 150 % and 200 % scale (20, 24 and 32 pixels: "check2-120dpi.gif" and so on),
# so the report never stretches a small one. Each is drawn at 128 x 128 and scaled down, so the edges come out
# smooth; GIF keeps one transparent colour, so half-transparent edge pixels become either opaque or transparent.
# Run by hand when a picture changes; the results are committed.
set -euo pipefail
out=${1:-"$(dirname "$0")/../src/lookup/resources"}
mkdir -p "$out"

finish() {  # big picture, name -> the GIF for each density
    convert "$1" -resize 16x16 -channel A -threshold 50% +channel -strip "$out/$2.gif"
    local dpi
    for dpi in 120 144 192; do
        local size=$((16 * dpi / 96))
        convert "$1" -resize ${size}x${size} -channel A -threshold 50% +channel -strip "$out/$2-${dpi}dpi.gif"
    done
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

convert -size 128x128 xc:none \
    -fill none -stroke '#1e8c1e' -strokewidth 22 -draw "polyline 18,70 50,102 110,30" \
    "$tmp/check.png"
finish "$tmp/check.png" check2

convert -size 128x128 xc:none \
    -fill '#1f5fbf' -stroke '#123f86' -strokewidth 6 -draw "circle 64,64 64,4" \
    -fill white -stroke none -draw "roundrectangle 55,22 73,80 6,6" -draw "circle 64,99 64,110" \
    "$tmp/information.png"
finish "$tmp/information.png" information

convert -size 128x128 xc:none \
    -fill '#f6c700' -stroke '#9a7a00' -strokewidth 6 -draw "polygon 64,6 124,120 4,120" \
    -fill black -stroke none -draw "roundrectangle 56,40 72,90 5,5" -draw "circle 64,104 64,113" \
    "$tmp/warning.png"
finish "$tmp/warning.png" warning
