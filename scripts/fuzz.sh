#!/usr/bin/env bash
# Fuzzes the libFuzzer targets for a while:
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]      (default 600 s each; every target)
#
# The targets are the program's, fuzz/NAME_fuzz.cpp, named NAME, and the services', services/SERVICE/fuzz/
# STEM_fuzz.cpp, named SERVICE_STEM (services/lookupd/fuzz/request_fuzz.cpp is lookupd_request), as the fuzz
# preset builds them (NAME_fuzz, SERVICE_STEM_fuzz) and the test command replays them (fuzz.NAME). A target is
# given by its name, its name with "_fuzz", or its source file. Each one starts from a scratch copy of its corpus
# (corpus/STEM or corpus/STEM_fuzz beside its source) under build/fuzz-work/NAME, so the inputs it finds never
# land in the repository; copy the ones worth keeping into the corpus by hand, where the test command replays
# them. Prints one line per target and exits non-zero when a target crashed, leaked, timed out or did not build.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"
cd "$QC_ROOT" || exit 1

# Every target, "NAME SOURCE" a line.
fuzz_targets() {
    local source stem service
    for source in fuzz/*_fuzz.cpp services/*/fuzz/*_fuzz.cpp; do
        [ -f "$source" ] || continue
        stem=${source##*/}
        stem=${stem%_fuzz.cpp}
        case $source in
        services/*)
            service=${source#services/}
            echo "${service%%/*}_$stem $source"
            ;;
        *) echo "$stem $source" ;;
        esac
    done
}

# A target's executable, in the fuzz build's folder of its source's folder.
fuzz_executable() {  # name
    echo "$QC_BUILD/fuzz/$(dirname "${source_of[$1]}")/${1}_fuzz"
}

# The folders a target's seed inputs may be in: corpus/STEM and corpus/STEM_fuzz beside its source.
seed_corpora() {  # name
    local source=${source_of[$1]} stem
    stem=${source##*/}
    stem=${stem%_fuzz.cpp}
    echo "$(dirname "$source")/corpus/$stem $(dirname "$source")/corpus/${stem}_fuzz"
}

seconds=600
if [ $# -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi
declare -A source_of=()
all_names=()
while read -r name source; do
    source_of[$name]=$source
    all_names+=("$name")
done < <(fuzz_targets)
if [ ${#all_names[@]} -eq 0 ]; then
    echo "no fuzz targets in fuzz/ or services/*/fuzz/"
    exit 1
fi
names=()
if [ $# -gt 0 ]; then
    for arg in "$@"; do
        name=""
        if [[ "$arg" == */* ]]; then
            for candidate in "${all_names[@]}"; do
                [ "${source_of[$candidate]}" = "${arg#./}" ] && name=$candidate
            done
        else
            arg=${arg%.cpp}
            arg=${arg%_fuzz}
            [ -n "${source_of[$arg]:-}" ] && name=$arg
        fi
        if [ -z "$name" ]; then
            echo "no fuzz target $arg; the targets are: ${all_names[*]}"
            exit 2
        fi
        names+=("$name")
    done
else
    names=("${all_names[@]}")
fi

qc_ensure_packages || exit 1
mkdir -p "$QC_BUILD"
qc_log "building the fuzz targets"
if ! cmake --preset fuzz >"$QC_BUILD/fuzz-configure.log" 2>&1; then
    tail -n 40 "$QC_BUILD/fuzz-configure.log"
    exit 1
fi
targets=()
for name in "${names[@]}"; do
    targets+=("${name}_fuzz")
    # A target that no longer compiles must not fuzz with the executable of an earlier build.
    rm -f "$(fuzz_executable "$name")"
done
# Keep going past a target that does not compile: the others can still be fuzzed.
cmake --build --preset fuzz -j "$(nproc)" --target "${targets[@]}" -- -k >"$QC_BUILD/fuzz-build.log" 2>&1 ||
    qc_log "some fuzz targets did not build; see $QC_BUILD/fuzz-build.log"

results=()
failed=0
for name in "${names[@]}"; do
    exe=$(fuzz_executable "$name")
    work="$QC_BUILD/fuzz-work/$name"
    if [ ! -x "$exe" ]; then
        results+=("$name: did not build (see $QC_BUILD/fuzz-build.log)")
        failed=1
        continue
    fi
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    for dir in $(seed_corpora "$name"); do
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
