#!/bin/bash
# Runs one Windows test program under Wine for ctest. Every test program prints a line as soon as its main()
# starts, so a run that fails having printed nothing at all never reached the test: Wine did not start the
# process (a rare failure of the loader on a loaded machine). Such a run is repeated once, and says so; a test
# that fails after it started is never repeated. The output streams through as it comes, so a test that hangs
# until ctest's time-out still shows how far it got.
set -u
log=$(mktemp)
trap 'rm -f "$log"' EXIT

run() {
    WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" /usr/bin/wine "$@" 2>&1 | tee "$log"
    return "${PIPESTATUS[0]}"
}

run "$@"
rc=$?
if [ "$rc" -ne 0 ] && [ ! -s "$log" ]; then
    echo "run_under_wine: the process ended with $rc before printing anything; Wine is asked to start it once more"
    run "$@"
    rc=$?
fi
exit "$rc"
