#!/usr/bin/env bash
# End-to-end runs of the real Quillcrest.exe under Wine and Xvfb, driven from outside with qcdriver.exe.
# Usage: run_e2e.sh WINDOWS_BUILD_DIR ARTIFACT_DIR. Uses DISPLAY and the prefix's running wineserver when there
# are (scripts/test.sh starts both); otherwise it starts its own. Whatever it started - the program's copies,
# the wineserver, Xvfb - ends with it, also on Ctrl+C or TERM. Screenshots of every window shown land in
# ARTIFACT_DIR/screenshots. Ends with "e2e: N passed, M failed".
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/environment.sh"

if [ $# -ne 2 ] || [ ! -f "$1/Quillcrest.exe" ] || [ ! -f "$1/qcdriver.exe" ]; then
    echo "usage: $0 WINDOWS_BUILD_DIR ARTIFACT_DIR (the build directory holds Quillcrest.exe and qcdriver.exe)" >&2
    echo "e2e: 0 passed, 1 failed"
    exit 2
fi
BUILD=$(cd "$1" && pwd)
ARTIFACTS=$(mkdir -p "$2" && cd "$2" && pwd)
SHOTS="$ARTIFACTS/screenshots"
APPDIR="$ARTIFACTS/app"

PASSED=0
FAILED=0
APP_PIDS=()
QC_XVFB_PID=""
OWN_WINESERVER=0
CLEANED=0

# Ends every copy of the program this script started and what it started for them. Bounded in time, so an
# interrupted run still ends promptly.
cleanup() {
    [ "$CLEANED" -eq 1 ] && return
    CLEANED=1
    trap '' INT TERM
    local pid
    for pid in "${APP_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    if [ "$OWN_WINESERVER" -eq 1 ]; then
        qc_stop_wineserver
    else
        timeout 20 wine taskkill /f /im Quillcrest.exe >/dev/null 2>&1
        timeout 20 wine taskkill /f /im Other.exe >/dev/null 2>&1
    fi
    for pid in "${APP_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    qc_stop_xvfb
    rm -f "$APPDIR/Other.exe"
}
trap cleanup EXIT
trap 'echo "e2e: interrupted"; exit 130' INT TERM

qc_ensure_prefix || { echo "e2e: 0 passed, 1 failed"; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
    qc_start_xvfb 91 140 || { echo "e2e: cannot start Xvfb"; echo "e2e: 0 passed, 1 failed"; exit 1; }
fi
# "wineserver -p" answers 2 when a server already runs for the prefix; that one is not ours to stop.
wineserver -p >/dev/null 2>&1 && OWN_WINESERVER=1

rm -rf "$SHOTS" "$APPDIR"
mkdir -p "$SHOTS" "$APPDIR"
cp "$BUILD/Quillcrest.exe" "$APPDIR/Quillcrest.exe"
APP="$APPDIR/Quillcrest.exe"

MAIN_CLASS=TForm6
MAIN_CAPTION="Quillcrest From Fernwhistle "
RUN_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
APP_DEFAULTS='HKCU\Software\Wine\AppDefaults\Quillcrest.exe'
WM_CLOSE=0x0010
IDOK=1
START_UP_ID=monitor-box

drive() { wine "$BUILD/qcdriver.exe" "$@"; }
reg() { wine reg "$@" >/dev/null 2>&1; }

fail() {
    echo "    $*"
    return 1
}

screenshot() {  # name caption-regex
    local id
    id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1)
    if [ -n "$id" ]; then
        import -display "$DISPLAY" -window "$id" "$SHOTS/$1.png" 2>/dev/null
    fi
    import -display "$DISPLAY" -window root "$SHOTS/$1-screen.png" 2>/dev/null
}

start_app() {  # exe; sets LAST_PID
    wine "$1" >/dev/null 2>&1 &
    LAST_PID=$!
    APP_PIDS+=("$LAST_PID")
}

# Waits for a started copy to end and sets EXIT_CODE to its exit code (or "timeout"). Not for use inside $(...):
# only this shell can reap its children.
wait_exit() {  # pid seconds
    local i
    EXIT_CODE=timeout
    for i in $(seq 1 $(($2 * 10))); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            EXIT_CODE=$?
            return 0
        fi
        sleep 0.1
    done
}

run_entry() { wine reg query "$RUN_KEY" /v VORLANKE 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p'; }

value_of() { grep -E "^$1=" | head -n 1 | cut -d= -f2-; }

stop_all() {
    drive post "$MAIN_CLASS" $WM_CLOSE 0 0 >/dev/null 2>&1
    local pid
    for pid in "${APP_PIDS[@]}"; do
        wait_exit "$pid" 10
        [ "$EXIT_CODE" = timeout ] && kill "$pid" 2>/dev/null
    done
    APP_PIDS=()
    wine taskkill /f /im Quillcrest.exe >/dev/null 2>&1
    wine taskkill /f /im Other.exe >/dev/null 2>&1
    true
}

reset_settings() {
    reg delete "$RUN_KEY" /v VORLANKE /f
    reg delete "$APP_DEFAULTS" /f
    true
}

run_case() {
    local name=$1
    reset_settings
    if "$name"; then
        PASSED=$((PASSED + 1))
        echo "PASS $name"
    else
        FAILED=$((FAILED + 1))
        echo "FAIL $name"
    fi
    stop_all
}

# --- cases -------------------------------------------------------------------------------------------------

main_window_shows_centred_with_its_controls() {
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    sleep 0.5
    screenshot main-window "^${MAIN_CAPTION}\$"
    local info
    info=$(drive info "$MAIN_CLASS" | tr -d '\r')
    [ "$(value_of client <<<"$info")" = "436x290" ] || fail "client area: $(value_of client <<<"$info")" || return 1
    local frame screen left top right bottom sw sh
    frame=$(value_of frame <<<"$info")
    screen=$(value_of screen <<<"$info")
    IFS=, read -r left top right bottom <<<"$frame"
    IFS=x read -r sw sh <<<"$screen"
    local dx=$(((left + right) - sw)) dy=$(((top + bottom) - sh))
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ] || fail "not centred: frame $frame on $screen" || return 1
    (($(value_of exstyle <<<"$info") & 0x80)) || fail "not a tool window" || return 1
    local children
    children=$(drive children "$MAIN_CLASS" | tr -d '\r')
    local text
    for text in "DNS Selection" "Check My Current DNS Settings" "Monitor My DNS Settings for Unauthorized Changes" \
        "Info" "Close" "Use my Default (originall) DNS settings" "Use OpenDNS for all DNS Queries"; do
        grep -qF "|$text|1" <<<"$children" || fail "control \"$text\" not visible" || return 1
    done
    grep -qE '\|Apply\|0$' <<<"$children" || fail "Apply should start hidden" || return 1
    local class
    for class in TAlertDlg TDNSCheck TDNSokDlg TAbout TAd TExitDlg; do
        [ "$(drive count $class | tr -d '\r')" = 1 ] || fail "window $class not created" || return 1
        [ "$(drive info $class | tr -d '\r' | value_of visible)" = 0 ] || fail "$class visible" || return 1
    done
    [ "$(drive count '#32770' | tr -d '\r')" = 0 ] || fail "an unexpected message box is shown" || return 1
}

second_copy_exits_at_once_without_a_window() {
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "first copy not up" || return 1
    wine "$APP" >/dev/null 2>&1 &
    local second=$!
    wait_exit "$second" 20
    [ "$EXIT_CODE" = 0 ] || fail "second copy ended with $EXIT_CODE" || return 1
    [ "$(drive count "$MAIN_CLASS" | tr -d '\r')" = 1 ] || fail "second copy created a main window" || return 1
    [ "$(drive count '#32770' | tr -d '\r')" = 0 ] || fail "second copy showed a message" || return 1
}

renamed_copy_runs_beside_and_both_close_with_code_0() {
    cp "$APP" "$APPDIR/Other.exe"
    start_app "$APP"
    local first=$LAST_PID
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "first copy not up" || return 1
    start_app "$APPDIR/Other.exe"
    local second=$LAST_PID
    local i
    for i in $(seq 1 100); do
        [ "$(drive count "$MAIN_CLASS" | tr -d '\r')" = 2 ] && break
        sleep 0.2
    done
    [ "$(drive count "$MAIN_CLASS" | tr -d '\r')" = 2 ] || fail "the renamed copy did not run beside" || return 1
    screenshot two-copies "^${MAIN_CAPTION}\$"
    # Closing a main window (no tray icon yet) takes the close path and ends that copy with code 0.
    drive post "$MAIN_CLASS" $WM_CLOSE 0 0 >/dev/null
    sleep 1
    drive post "$MAIN_CLASS" $WM_CLOSE 0 0 >/dev/null
    local a
    wait_exit "$first" 20
    a=$EXIT_CODE
    wait_exit "$second" 20
    [ "$a" = 0 ] && [ "$EXIT_CODE" = 0 ] || fail "exit codes: $a and $EXIT_CODE" || return 1
}

run_entry_in_other_case_keeps_window_hidden() {
    local winpath
    winpath=$(winepath -w "$APP" 2>/dev/null | tr -d '\r')
    reg add "$RUN_KEY" /v VORLANKE /d "${winpath^^}" /f
    start_app "$APP"
    local pid=$LAST_PID
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 >/dev/null || fail "main window not created" || return 1
    sleep 2
    [ "$(drive info "$MAIN_CLASS" | tr -d '\r' | value_of visible)" = 0 ] || fail "window shown despite the entry" || return 1
    drive post "$MAIN_CLASS" $WM_CLOSE 0 0 >/dev/null
    wait_exit "$pid" 20
    [ "$EXIT_CODE" = 0 ] || fail "did not end with code 0" || return 1
}

monitor_box_click_writes_and_deletes_the_run_entry() {
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    local winpath stored
    winpath=$(winepath -w "$APP" 2>/dev/null | tr -d '\r')
    drive click "$MAIN_CLASS" $START_UP_ID >/dev/null || fail "no monitor check box" || return 1
    local i
    for i in $(seq 1 20); do
        stored=$(run_entry)
        [ -n "$stored" ] && break
        sleep 0.5
    done
    [ "$stored" = "$winpath" ] || fail "Run entry after ticking: '$stored', expected '$winpath'" || return 1
    screenshot monitor-ticked "^${MAIN_CAPTION}\$"
    drive click "$MAIN_CLASS" $START_UP_ID >/dev/null
    for i in $(seq 1 20); do
        [ -z "$(run_entry)" ] && return 0
        sleep 0.5
    done
    fail "Run entry still there after unticking"
}

unsupported_platform_is_refused_after_show() {
    reg add "$APP_DEFAULTS" /v Version /d win2k /f
    start_app "$APP"
    local pid=$LAST_PID
    local text
    text=$(drive box Error 30000 | tr -d '\r') || fail "no error box" || return 1
    [ "$text" = "Not A Supported Platform, Sorry." ] || fail "box text: $text" || return 1
    screenshot platform-error '^Error$'
    drive click-box Error $IDOK >/dev/null
    wait_exit "$pid" 20
    [ "$EXIT_CODE" = 0 ] || fail "did not end with code 0 after the platform message" || return 1
}

windows10_reports_a_supported_version_through_the_manifest() {
    # The manifest declares nothing newer than Windows 8, so a Windows 10 system answers 6.2 and passes.
    reg add "$APP_DEFAULTS" /v Version /d win10 /f
    start_app "$APP"
    drive wait "$MAIN_CLASS" "$MAIN_CAPTION" 30000 visible >/dev/null || fail "main window never shown" || return 1
    sleep 1
    [ "$(drive count '#32770' | tr -d '\r')" = 0 ] || fail "platform refused on Windows 10" || return 1
}

for case in main_window_shows_centred_with_its_controls second_copy_exits_at_once_without_a_window \
    renamed_copy_runs_beside_and_both_close_with_code_0 run_entry_in_other_case_keeps_window_hidden \
    monitor_box_click_writes_and_deletes_the_run_entry \
    unsupported_platform_is_refused_after_show windows10_reports_a_supported_version_through_the_manifest; do
    run_case "$case"
done
reset_settings

echo "screenshots: $SHOTS"
echo "e2e: $PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
