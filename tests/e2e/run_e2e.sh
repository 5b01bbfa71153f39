#!/usr/bin/env bash
# End-to-end runs of the real Quillcrest.exe under Wine and Xvfb, driven from outside with qcdriver.exe.
# Usage: run_e2e.sh WINDOWS_BUILD_DIR ARTIFACT_DIR [CASE...]. Runs every case, or only the named ones (also
# named, blank-separated, in QC_E2E_ONLY). Uses DISPLAY and the prefix's running wineserver when there
# are (scripts/test.sh starts both); otherwise it starts its own. Whatever it started - the program's copies,
# the wineserver, Xvfb - ends with it, also on Ctrl+C or TERM. Screenshots of every window shown land in
# ARTIFACT_DIR/screenshots. Ends with "e2e: N passed, M failed". Nothing but what the run started is ended: other
# programs in the prefix, of whatever name, run on.
#
# Where a case goes: a case file is tests/e2e/cases/NN-topic.sh, two digits and a topic in lowercase words joined
# by '-' (say 75-wider-watch.sh); the run finds every *.sh there by itself, so a new file needs no change here. Near
# its top a file names its cases with `e2e_cases NAME...`; each NAME is a function of that file that returns 0 when
# the case passes, written in lowercase words joined by '_' that say what the case shows
# (runas_copy_refuses_a_malformed_order_without_a_window), and no other file uses it. The run takes the files in
# the byte order of their names, so in the order of their numbers, and a file's cases in the order it names them:
# give a new file a number after the files whose leftovers its cases could meet and before the ones that could
# meet its own. A file whose cases change something beyond one case registers how it is put back, before every
# case (`e2e_reset_step FUNCTION`) or once at the end of the run, also an interrupted one (`e2e_cleanup_step
# FUNCTION`). The helpers every case uses are in e2e_helpers.sh. So that no case is left out unnoticed, each of
# these counts as a failed case: a *.sh in tests/e2e itself other than this file and e2e_helpers.sh, a case file
# that names no case, a name with no function, a name used twice.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/environment.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lookup_service.sh"

if [ $# -lt 2 ] || [ ! -f "$1/Quillcrest.exe" ] || [ ! -f "$1/qcdriver.exe" ]; then
    echo "usage: $0 WINDOWS_BUILD_DIR ARTIFACT_DIR [CASE...] (the build directory holds Quillcrest.exe and qcdriver.exe)" >&2
    echo "e2e: 0 passed, 1 failed"
    exit 2
fi
BUILD=$(cd "$1" && pwd)
ARTIFACTS=$(mkdir -p "$2" && cd "$2" && pwd)
SELECTED_CASES="${*:3} ${QC_E2E_ONLY:-}"
SHOTS="$ARTIFACTS/screenshots"
APPDIR="$ARTIFACTS/app"
APP="$APPDIR/Quillcrest.exe"
CASES_DIR="$QC_ROOT/tests/e2e/cases"

PASSED=0
FAILED=0
APP_PIDS=()
QC_XVFB_PID=""
OWN_WINESERVER=0
CLEANED=0
XCOMPMGR_PID=""
LOOKUP_PEER_PID=""

# Every case in the order the run takes them, and what the case files ask to be done before every case and at
# the end.
ALL_CASES=()
E2E_RESET_STEPS=()
E2E_CLEANUP_STEPS=()
e2e_cases() { ALL_CASES+=("$@"); }
e2e_reset_step() { E2E_RESET_STEPS+=("$1"); }
e2e_cleanup_step() { E2E_CLEANUP_STEPS+=("$1"); }

source "$QC_ROOT/tests/e2e/e2e_helpers.sh"
# In the byte order of the names, whatever the locale.
mapfile -t CASE_FILES < <(printf '%s\n' "$CASES_DIR"/*.sh | LC_ALL=C sort)
CASE_FILES_NAMING_NOTHING=()
for case_file in "${CASE_FILES[@]}"; do
    cases_before=${#ALL_CASES[@]}
    # shellcheck source=/dev/null
    source "$case_file"
    [ "${#ALL_CASES[@]}" -gt "$cases_before" ] || CASE_FILES_NAMING_NOTHING+=("${case_file#"$QC_ROOT"/}")
done

# Ends every process this script started and what it started for them (the processes a case starts, in
# e2e_helpers.sh, say how each kind ends). Bounded in time, so an interrupted run still ends promptly.
cleanup() {
    [ "$CLEANED" -eq 1 ] && return
    CLEANED=1
    trap '' INT TERM
    local step
    end_started_processes
    for step in "${E2E_CLEANUP_STEPS[@]}"; do "$step"; done
    [ "$OWN_WINESERVER" -eq 1 ] && qc_stop_wineserver
    [ -n "$XCOMPMGR_PID" ] && kill "$XCOMPMGR_PID" 2>/dev/null
    stop_lookup_peer
    qc_stop_lookupd
    qc_stop_pages_server
    qc_stop_xvfb
}
trap cleanup EXIT
trap 'echo "e2e: interrupted"; exit 130' INT TERM

qc_ensure_prefix || { echo "e2e: 0 passed, 1 failed"; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
    qc_start_xvfb 91 140 || { echo "e2e: cannot start Xvfb"; echo "e2e: 0 passed, 1 failed"; exit 1; }
fi
# Fades and overlapping windows come out right in screenshots only with a compositor on the display.
XCOMPMGR_PID=""
if command -v xcompmgr >/dev/null 2>&1; then
    xcompmgr -d "$DISPLAY" >/dev/null 2>&1 &
    XCOMPMGR_PID=$!
fi
# "wineserver -p" answers 2 when a server already runs for the prefix; that one is not ours to stop.
wineserver -p >/dev/null 2>&1 && OWN_WINESERVER=1

rm -rf "$SHOTS" "$APPDIR" "$START_TRACES"
mkdir -p "$SHOTS" "$APPDIR"
cp "$BUILD/Quillcrest.exe" "$APP"

# Without them only the cases of the pages fail (each names the reason); the others may see the failed message
# fetch reported.
serve_quiet_pages || echo "e2e: page server not serving: $QC_PAGES_SERVER_PROBLEM"

run_case() {
    local name=$1
    reset_settings
    stop_lookup_peer
    qc_stop_lookupd
    if "$name"; then
        PASSED=$((PASSED + 1))
        echo "PASS $name"
    else
        FAILED=$((FAILED + 1))
        echo "FAIL $name"
    fi
    stop_all
}

# A case file in the wrong place or naming nothing, a case named by no function or named twice: each is a mistake
# in a case file, counts as a failure, and a case runs at most once.
for case_file in "$QC_ROOT"/tests/e2e/*.sh; do
    case "${case_file##*/}" in run_e2e.sh | e2e_helpers.sh) continue ;; esac
    FAILED=$((FAILED + 1))
    echo "FAIL ${case_file#"$QC_ROOT"/} (not in tests/e2e/cases, so none of its cases runs)"
done
for case_file in "${CASE_FILES_NAMING_NOTHING[@]}"; do
    FAILED=$((FAILED + 1))
    echo "FAIL $case_file (names no case with e2e_cases)"
done
KNOWN_CASES=" "
for case in "${ALL_CASES[@]}"; do
    if ! declare -F "$case" >/dev/null; then
        FAILED=$((FAILED + 1))
        echo "FAIL $case (named by e2e_cases, but no such function)"
    elif [[ "$KNOWN_CASES" == *" $case "* ]]; then
        FAILED=$((FAILED + 1))
        echo "FAIL $case (named twice)"
    else
        KNOWN_CASES+="$case "
    fi
done
# Cases named on the command line or in QC_E2E_ONLY run alone, while working on a few of them; a name that is
# no case counts as a failure, so a typing error cannot pass for a clean run.
for case in $SELECTED_CASES; do
    [[ "$KNOWN_CASES" == *" $case "* ]] && continue
    FAILED=$((FAILED + 1))
    echo "FAIL $case (no such case)"
done
for case in $KNOWN_CASES; do
    [ -n "${SELECTED_CASES// /}" ] && [[ " $SELECTED_CASES " != *" $case "* ]] && continue
    run_case "$case"
done
reset_settings

echo "screenshots: $SHOTS"
echo "e2e: $PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
