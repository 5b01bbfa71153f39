#!/usr/bin/env bash
# Draws the pictures of the pages in site/ with ImageMagick, so they are our own and can be redrawn at will.
# Usage: scripts/draw_site_pictures.sh (writes site/quill-note.gif).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../site"

# A quill over a sheet of paper on a blue tile, 64 x 64: the message page's picture. GIF, which the program's
# picture decoder reads from memory.
convert -size 64x64 xc:'#0B4F8A' \
    -fill '#2F86D1' -draw 'roundrectangle 3,3 60,60 8,8' \
    -fill white -stroke '#0B4F8A' -strokewidth 1 -draw 'polygon 16,12 42,12 50,20 50,54 16,54' \
    -fill '#DDE8F3' -draw 'polygon 42,12 42,20 50,20' \
    -stroke '#9DB6CF' -strokewidth 2 -draw 'line 21,28 44,28' -draw 'line 21,35 44,35' -draw 'line 21,42 36,42' \
    -stroke '#F2B630' -fill '#F2B630' -strokewidth 1 -draw 'polygon 56,6 60,10 34,44 29,47 31,41' \
    -stroke '#8A5A00' -strokewidth 1 -draw 'line 58,8 32,44' \
    +dither -colors 32 quill-note.gif
