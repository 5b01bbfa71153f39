#!/usr/bin/env bash
# Runs every test tier from a fresh clone: native (ASan/UBSan), Windows tests under Wine, end-to-end runs of
# Quillcrest.exe under Wine and Xvfb. Installs what is missing, starts and stops its own Xvfb and wineserver,
# prints one "N passed, M failed" line per tier and exits non-zero when anything failed.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"
cd "$QC_ROOT"

JOBS=${QC_JOBS:-$(nproc)}
SUMMARY=()
FAILED=0
QC_XVFB_PID=""

cleanup() {
    qc_stop_wineserver
    [ -n "$QC_XVFB_PID" ] && kill "$QC_XVFB_PID" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Reads ctest's closing line "N% tests passed, F tests failed out of T" from a log into "P F"; skipped tests
# count as neither.
ctest_counts() {
    local line total failed skipped
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
    if [ -z "$line" ]; then
        echo "0 1"
        return
    fi
    failed=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$line")
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    skipped=$(grep -cE '\(Skipped\)$' "$1")
    echo "$((total - failed - skipped)) $failed"
}

record() {  # tier passed failed
    SUMMARY+=("$1: $2 passed, $3 failed")
    [ "$3" -ne 0 ] && FAILED=1
}

build() {  # preset
    cmake --preset "$1" >"$QC_BUILD/$1-configure.log" 2>&1 &&
        cmake --build --preset "$1" -j "$JOBS" >"$QC_BUILD/$1-build.log" 2>&1
}

qc_ensure_packages || { echo "package installation failed"; exit 1; }
mkdir -p "$QC_BUILD"

# Tier 1: native.
qc_log "native build and tests"
if build native; then
    (cd "$QC_BUILD/native" && ASAN_OPTIONS=detect_leaks=1 ctest -j "$JOBS" --output-on-failure) | tee "$QC_BUILD/native-test.log"
    read -r p f < <(ctest_counts "$QC_BUILD/native-test.log")
else
    tail -n 40 "$QC_BUILD/native-build.log" "$QC_BUILD/native-configure.log" 2>/dev/null
    p=0 f=1
fi
record native "$p" "$f"

# Tier 2: Windows tests under Wine.
qc_log "windows build"
if build windows; then
    qc_ensure_prefix
    qc_start_xvfb
    qc_start_wineserver
    qc_log "windows tests under Wine"
    (cd "$QC_BUILD/windows" && ctest -j "$JOBS" --output-on-failure) | tee "$QC_BUILD/windows-test.log"
    read -r p f < <(ctest_counts "$QC_BUILD/windows-test.log")
    if [ -x tests/windows/dns_scenarios.sh ]; then
        tests/windows/dns_scenarios.sh "$QC_BUILD/windows/quillcrest_win_tests.exe" | tee "$QC_BUILD/dns-scenarios.log"
        line=$(grep -E '^dns-scenarios: [0-9]+ passed, [0-9]+ failed' "$QC_BUILD/dns-scenarios.log" | tail -n 1)
        if [ -n "$line" ]; then
            p=$((p + $(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$line")))
            f=$((f + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")))
        else
            f=$((f + 1))
        fi
    fi
    record windows "$p" "$f"

    # Tier 3: end-to-end.
    qc_log "end-to-end tests"
    tests/e2e/run_e2e.sh "$QC_BUILD/windows" "$QC_BUILD/e2e" | tee "$QC_BUILD/e2e.log"
    line=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' "$QC_BUILD/e2e.log" | tail -n 1)
    if [ -n "$line" ]; then
        record e2e "$(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$line")" "$(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")"
    else
        record e2e 0 1
    fi
else
    tail -n 40 "$QC_BUILD/windows-build.log" "$QC_BUILD/windows-configure.log" 2>/dev/null
    record windows 0 1
    record e2e 0 1
fi

echo
echo "== Summary =="
for line in "${SUMMARY[@]}"; do echo "$line"; done
exit "$FAILED"
