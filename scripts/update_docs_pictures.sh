#!/usr/bin/env bash
# Copies the windows' screenshots from the last end-to-end run (build/e2e/screenshots) to docs/, where the
# read-me shows them. Run it after the test command (or name another screenshot folder as its argument).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
shots="${1:-$root/build/e2e/screenshots}"
mkdir -p "$root/docs"
# Menus are windows of their own, so those two pictures are cut from the whole screen (1024 x 768, the tray window
# at the top left, the main window centred).
crop() {  # name geometry
    if [ -f "$shots/$1-screen.png" ]; then
        convert "$shots/$1-screen.png" -crop "$2" +repage "$root/docs/$1.png"
    else
        echo "no screenshot $1-screen.png in $shots" >&2
    fi
}
crop tray-menu 200x80+0+0
crop close-menu 452x350+286+223
for name in main-window tray-icon popup alert confirm exit-dialog lookup-report lookup-ok lookup-warning \
    message-window information-window refusal-report dns-change-confirmation wider-alert undo-rule-question \
    undo-rule-report; do
    if [ -f "$shots/$name.png" ]; then
        cp "$shots/$name.png" "$root/docs/$name.png"
    else
        echo "no screenshot $name.png in $shots" >&2
    fi
done
# The same windows at 150 % display scale, from the run's screenshots at 144 dpi.
for name in main-window lookup-report; do
    if [ -f "$shots/dpi144-$name.png" ]; then
        cp "$shots/dpi144-$name.png" "$root/docs/$name-150.png"
    else
        echo "no screenshot dpi144-$name.png in $shots" >&2
    fi
done
