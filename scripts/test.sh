#!/usr/bin/env bash
# Runs every test tier from a fresh clone: native (ASan/UBSan), replay of the fuzz corpora, Windows tests under
# Wine, end-to-end runs of Quillcrest.exe under Wine and Xvfb. Installs what is missing, starts and stops its own
# Xvfb and wineserver in the test prefix (apart from the run command's), prints one "N passed, M failed" line
# per tier and exits non-zero when anything failed.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"
cd "$QC_ROOT"
export WINEPREFIX="${QC_TEST_WINEPREFIX:-$QC_TEST_PREFIX}"

JOBS=${QC_JOBS:-$(nproc)}
SUMMARY=()
DURATIONS=()
FAILED=0
QC_XVFB_PID=""

cleanup() {
    qc_stop_wineserver
    qc_stop_xvfb
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

# The native build registers each GoogleTest binary as one ctest test, so the cases are counted from the XML
# reports the binaries write (GTEST_OUTPUT): "P F" with skipped cases in neither. A binary that failed without a
# report (a crash before it could write one) counts as one failure more; ctest's own failures as well.
native_counts() {  # ctest-log results-dir
    python3 - "$1" "$2" <<'PY'
import glob, re, sys, xml.etree.ElementTree as ET
log, folder = sys.argv[1], sys.argv[2]
passed = failed = 0
reported = set()
for path in glob.glob(folder + "/*.xml"):
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError:
        failed += 1
        continue
    reported.add(path.rsplit("/", 1)[-1][:-4])
    for case in root.iter("testcase"):
        if case.find("failure") is not None:
            failed += 1
        elif case.get("result") == "skipped" or case.get("status") == "notrun" or case.find("skipped") is not None:
            pass
        else:
            passed += 1
text = open(log, errors="replace").read()
m = re.search(r"tests passed, (\d+) tests? failed out of (\d+)", text)
if not m:
    failed += 1
else:
    # Failed ctest entries that left no report behind (gtest binaries that crashed, or non-gtest tests).
    for name in re.findall(r"\d+ - (\S+) \((?:Failed|SEGFAULT|Subprocess aborted|Timeout|Child aborted|Exception)", text):
        if name not in reported:
            failed += 1
print(passed, failed)
PY
}

record() {  # tier passed failed
    SUMMARY+=("$1: $2 passed, $3 failed")
    [ "$3" -ne 0 ] && FAILED=1
}

TIER_START=0
tier_start() {  # tier
    qc_log "$1 tier"
    TIER_START=$SECONDS
}
tier_took() {  # tier
    DURATIONS+=("$1: $((SECONDS - TIER_START)) s")
}

build() {  # preset [configure arguments...]
    local preset=$1
    shift
    cmake --preset "$preset" "$@" >"$QC_BUILD/$preset-configure.log" 2>&1 &&
        cmake --build --preset "$preset" -j "$JOBS" >"$QC_BUILD/$preset-build.log" 2>&1
}

show_build_failure() {  # preset
    qc_log "$1 build failed; the end of its logs ($QC_BUILD/$1-configure.log, $QC_BUILD/$1-build.log):"
    tail -n 40 "$QC_BUILD/$1-configure.log" "$QC_BUILD/$1-build.log" 2>/dev/null
}

qc_ensure_packages || { echo "package installation failed"; exit 1; }
mkdir -p "$QC_BUILD"

# Tier 1: native. ctest over the whole build directory, so every test the native build registers counts.
tier_start native
if build native; then
    rm -rf "$QC_BUILD/native-results"
    mkdir -p "$QC_BUILD/native-results"
    (cd "$QC_BUILD/native" &&
        GTEST_OUTPUT="xml:$QC_BUILD/native-results/" ASAN_OPTIONS=detect_leaks=1 ctest -j "$JOBS" --output-on-failure) |
        tee "$QC_BUILD/native-test.log"
    read -r p f < <(native_counts "$QC_BUILD/native-test.log" "$QC_BUILD/native-results")
else
    show_build_failure native
    p=0 f=1
fi
record native "$p" "$f"
tier_took native

# Tier 2: every fuzz target replays its corpus (fuzz/CMakeLists.txt); one count per target. A target that does
# not compile fails its own count and leaves the others running.
tier_start fuzz
shopt -s nullglob
fuzz_sources=(fuzz/*_fuzz.cpp)
shopt -u nullglob
if [ ${#fuzz_sources[@]} -eq 0 ]; then
    qc_log "no fuzz targets"
    record fuzz 0 0
elif cmake --preset fuzz >"$QC_BUILD/fuzz-configure.log" 2>&1; then
    # A target that no longer compiles must not replay with the executable of an earlier build.
    rm -f "$QC_BUILD"/fuzz/fuzz/*_fuzz
    fuzz_built=1
    cmake --build --preset fuzz -j "$JOBS" -- -k >"$QC_BUILD/fuzz-build.log" 2>&1 || fuzz_built=0
    [ "$fuzz_built" -eq 1 ] || show_build_failure fuzz
    (cd "$QC_BUILD/fuzz" && ctest -j "$JOBS" --output-on-failure) | tee "$QC_BUILD/fuzz-test.log"
    read -r p f < <(ctest_counts "$QC_BUILD/fuzz-test.log")
    [ "$fuzz_built" -eq 0 ] && [ "$f" -eq 0 ] && f=1
    record fuzz "$p" "$f"
else
    show_build_failure fuzz
    record fuzz 0 "${#fuzz_sources[@]}"
fi
tier_took fuzz

# Tier 3: Windows tests under Wine.
tier_start windows
xvfb_ok=0
if ! build windows -DQUILLCREST_WINEPREFIX="$WINEPREFIX"; then
    show_build_failure windows
    record windows 0 1
    tier_took windows
    record e2e 0 1
elif ! qc_ensure_prefix; then
    qc_log "windows and e2e tiers stopped: the Wine prefix $WINEPREFIX could not be set up"
    record windows 0 1
    tier_took windows
    record e2e 0 1
elif ! qc_start_xvfb 91 140; then
    qc_log "windows and e2e tiers stopped: Xvfb could not be started, so no window can be created under Wine"
    record windows 0 1
    tier_took windows
    record e2e 0 1
else
    xvfb_ok=1
fi

if [ "$xvfb_ok" -eq 1 ]; then
    qc_start_wineserver
    qc_log "windows tests under Wine (prefix $WINEPREFIX, display $DISPLAY)"
    # One test at a time: the window tests of separate processes share one desktop, its foreground and its
    # focus, and two of them side by side take each other's focus.
    (cd "$QC_BUILD/windows" && ctest -j 1 --output-on-failure) | tee "$QC_BUILD/windows-test.log"
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
    tier_took windows

    # Tier 4: end-to-end.
    tier_start e2e
    tests/e2e/run_e2e.sh "$QC_BUILD/windows" "$QC_BUILD/e2e" | tee "$QC_BUILD/e2e.log"
    line=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' "$QC_BUILD/e2e.log" | tail -n 1)
    if [ -n "$line" ]; then
        record e2e "$(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$line")" "$(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")"
    else
        record e2e 0 1
    fi
    tier_took e2e
fi

echo
echo "== Durations =="
for line in "${DURATIONS[@]}"; do echo "$line"; done
echo
echo "== Summary =="
for line in "${SUMMARY[@]}"; do echo "$line"; done
exit "$FAILED"
