#!/usr/bin/env bash
# Builds Quillcrest.exe and runs it under Wine in the project's prefix, in the foreground until it ends
# (Ctrl+C ends both). Without a DISPLAY it starts Xvfb and keeps writing screenshots of the screen to a file it
# names, so the program can be watched on a headless machine.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"
cd "$QC_ROOT"

SHOT_INTERVAL_SECONDS=3
QC_XVFB_PID=""
SHOOTER_PID=""
APP_PID=""

cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
    [ -n "$SHOOTER_PID" ] && kill "$SHOOTER_PID" 2>/dev/null
    qc_stop_wineserver
    [ -n "$QC_XVFB_PID" ] && kill "$QC_XVFB_PID" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

qc_ensure_packages || exit 1
mkdir -p "$QC_BUILD"
qc_log "building Quillcrest.exe"
if ! { cmake --preset windows >"$QC_BUILD/windows-configure.log" 2>&1 &&
       cmake --build --preset windows --target Quillcrest -j "$(nproc)" >"$QC_BUILD/windows-build.log" 2>&1; }; then
    tail -n 40 "$QC_BUILD/windows-build.log" "$QC_BUILD/windows-configure.log" 2>/dev/null
    exit 1
fi
qc_ensure_prefix

if [ -z "${DISPLAY:-}" ]; then
    qc_start_xvfb || exit 1
    shots="$QC_BUILD/run-screenshots"
    mkdir -p "$shots"
    qc_log "no DISPLAY: started Xvfb on $DISPLAY; a screenshot of the screen is written every" \
        "${SHOT_INTERVAL_SECONDS}s to $shots/screen.png"
    (while sleep "$SHOT_INTERVAL_SECONDS"; do
        import -display "$DISPLAY" -window root "$shots/screen.tmp.png" 2>/dev/null &&
            mv -f "$shots/screen.tmp.png" "$shots/screen.png"
    done) &
    SHOOTER_PID=$!
fi

qc_log "starting Quillcrest.exe under Wine (Ctrl+C ends it)"
wine "$QC_BUILD/windows/Quillcrest.exe" &
APP_PID=$!
wait "$APP_PID"
code=$?
APP_PID=""
qc_log "Quillcrest.exe ended with exit code $code"
exit "$code"
