#!/usr/bin/env bash
# Fuzzes the libFuzzer targets in fuzz/ for a while:
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]      (default 600 s each; every fuzz/*_fuzz.cpp)
#
# A target is named NAME or NAME_fuzz for fuzz/NAME_fuzz.cpp. Each one starts from a scratch copy of its
# corpus under build/fuzz-work/NAME, so the inputs it finds never land in the repository; copy the ones worth
# keeping into fuzz/corpus/NAME by hand, where the test command replays them. Prints one line per target and
# exits non-zero when a target crashed, leaked, timed out or did not build.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"
cd "$QC_ROOT"

seconds=600
if [ $# -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi
names=()
if [ $# -gt 0 ]; then
    for arg in "$@"; do
        arg=${arg%.cpp}
        arg=${arg##*/}
        names+=("${arg%_fuzz}")
    done
else
    shopt -s nullglob
    for source in fuzz/*_fuzz.cpp; do
        source=${source##*/}
        names+=("${source%_fuzz.cpp}")
    done
    shopt -u nullglob
fi
if [ ${#names[@]} -eq 0 ]; then
    echo "no fuzz targets in fuzz/"
    exit 1
fi
for name in "${names[@]}"; do
    if [ ! -f "fuzz/${name}_fuzz.cpp" ]; then
        echo "no fuzz target $name (fuzz/${name}_fuzz.cpp)"
        exit 2
    fi
done

qc_ensure_packages || exit 1
mkdir -p "$QC_BUILD"
qc_log "building the fuzz targets"
if ! cmake --preset fuzz >"$QC_BUILD/fuzz-configure.log" 2>&1; then
    tail -n 40 "$QC_BUILD/fuzz-configure.log"
    exit 1
fi
targets=()
for name in "${names[@]}"; do targets+=("${name}_fuzz"); done
rm -f "${targets[@]/#/$QC_BUILD/fuzz/fuzz/}"
# Keep going past a target that does not compile: the others can still be fuzzed.
cmake --build --preset fuzz -j "$(nproc)" --target "${targets[@]}" -- -k >"$QC_BUILD/fuzz-build.log" 2>&1 ||
    qc_log "some fuzz targets did not build; see $QC_BUILD/fuzz-build.log"

results=()
failed=0
for name in "${names[@]}"; do
    exe="$QC_BUILD/fuzz/fuzz/${name}_fuzz"
    work="$QC_BUILD/fuzz-work/$name"
    if [ ! -x "$exe" ]; then
        results+=("$name: did not build (see $QC_BUILD/fuzz-build.log)")
        failed=1
        continue
    fi
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    for dir in "fuzz/corpus/$name" "fuzz/corpus/${name}_fuzz"; do
        [ -d "$dir" ] && cp -r "$dir/." "$work/corpus/"
    done
    seeds=$(find "$work/corpus" -type f | wc -l)
    qc_log "fuzzing $name for ${seconds}s from $seeds seed inputs (log: $work/fuzz.log)"
    start=$SECONDS
    "$exe" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/fuzz.log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$work/fuzz.log" | tail -n 1)
    found=$(find "$work/corpus" -type f | wc -l)
    artifacts=$(find "$work/artifacts" -type f | head -n 3 | tr '\n' ' ')
    summary="${runs:-?} runs in $((SECONDS - start)) s, corpus $seeds -> $found inputs in $work/corpus"
    if [ "$status" -eq 0 ] && [ -z "$artifacts" ]; then
        results+=("$name: ok, $summary")
    else
        failed=1
        reason=$(sed -n 's/^SUMMARY: //p' "$work/fuzz.log" | head -n 1)
        results+=("$name: FAILED (exit $status${reason:+, $reason}), $summary; input: ${artifacts:-none}; log: $work/fuzz.log")
    fi
done

echo
for line in "${results[@]}"; do echo "$line"; done
exit "$failed"
