#!/usr/bin/env bash
# Builds Quillcrest.exe and runs it under Wine in the project's run prefix, in the foreground until it ends
# (Ctrl+C ends both). Without a DISPLAY it starts Xvfb and keeps writing screenshots of the screen to a file it
# names, so the program can be watched on a headless machine. It serves the message and information pages of
# site/ with nginx on their loopback addresses for as long as the program runs. Its build directory, Wine prefix
# and display are its own, so it can run while the test command runs.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"
source "$(dirname "${BASH_SOURCE[0]}")/lookup_service.sh"
cd "$QC_ROOT"
export WINEPREFIX="${QC_RUN_WINEPREFIX:-$QC_RUN_PREFIX}"

SHOT_INTERVAL_SECONDS=3
QC_XVFB_PID=""
SHOOTER_PID=""
APP_PID=""

cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
    [ -n "$SHOOTER_PID" ] && kill "$SHOOTER_PID" 2>/dev/null
    qc_stop_pages_server
    qc_stop_lookupd
    qc_stop_wineserver
    qc_stop_xvfb
    wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

qc_ensure_packages || exit 1
mkdir -p "$QC_BUILD"
qc_log "building Quillcrest.exe"
if ! { cmake --preset windows-run -DQUILLCREST_WINEPREFIX="$WINEPREFIX" >"$QC_BUILD/windows-run-configure.log" 2>&1 &&
       cmake --build --preset windows-run -j "$(nproc)" >"$QC_BUILD/windows-run-build.log" 2>&1; }; then
    tail -n 40 "$QC_BUILD/windows-run-configure.log" "$QC_BUILD/windows-run-build.log" 2>/dev/null
    exit 1
fi
qc_ensure_prefix || exit 1

if [ -z "${DISPLAY:-}" ]; then
    qc_start_xvfb 141 190 || exit 1
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

# The reference lookup service that "Check My Current DNS Settings" asks, on loopback as the build expects it.
qc_log "starting the reference lookup service on 127.0.0.1:6066"
QC_LOOKUPD_BUILD_DIR="$QC_BUILD/native-run" qc_start_lookupd 6066 || qc_log "the lookup tool will report no answers"

# The message and information pages, on the loopback addresses the build names for them.
qc_log "serving site/ on ${QUILLCREST_MESSAGE_HOST:-127.0.0.1:8071} and ${QUILLCREST_WEB_HOST:-127.0.0.1:8070}"
qc_start_pages_server "$QC_BUILD/run-pages-server" ||
    qc_log "the message and information windows will find no pages ($QC_PAGES_SERVER_PROBLEM)"

qc_log "starting Quillcrest.exe under Wine (Ctrl+C ends it); after 5 s it also lives in the notification area"
wine "$QC_BUILD/windows-run/Quillcrest.exe" &
APP_PID=$!
wait "$APP_PID"
code=$?
APP_PID=""
qc_log "Quillcrest.exe ended with exit code $code"
exit "$code"
