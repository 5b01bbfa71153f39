#!/usr/bin/env bash
# Every benchmark of the project in one go, and one table of the results: benchmark, figure, goal, ratio,
# verdict. Benchmarks are not tests: nothing here fails the build, and the test command runs none of it.
#
# Builds the Windows program and the benchmark programs (bench/) in their own build directory, uses a Wine
# prefix, Xvfb and wineserver of its own, and runs:
#   - the watch tick against its bare IP Helper calls   (bench/watch_tick_bench_win.cpp)
#   - the leak run through the main window               (bench/leak_run_win.cpp)
#   - a lookup run over three loopback servers against its bare UDP round trips (bench/lookup_run_bench_win.cpp)
#   - CPU time and timer ticks while the user-interface thread waits 5 s: the lookup client on a silent service
#     (bench/lookup_wait_cpu_bench_win.cpp) and the web page client on a silent server
#     (bench/http_wait_cpu_bench_win.cpp)
#   - any other program in bench/ that prints result lines
#   - every scripts/bench_*.sh: the web page client against curl, the idle CPU run, and those added later
#
# Environment: QC_BENCH_IDLE_SECONDS (default 600, the full 10 minutes; e.g. 60 for a quick look - the idle
# goal is scaled to the duration), QC_BENCH_BUILD (Windows build directory, default build/bench-win),
# QC_BENCH_WINEPREFIX (default build/wineprefix-bench), QC_JOBS.
#
# A benchmark program or script reports a result as one line "BENCH|name|figure|goal|ratio|verdict".
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"
cd "$QC_ROOT"

IDLE_SECONDS=${QC_BENCH_IDLE_SECONDS:-600}
BUILD=${QC_BENCH_BUILD:-$QC_BUILD/bench-win}
export WINEPREFIX=${QC_BENCH_WINEPREFIX:-$QC_BUILD/wineprefix-bench}
JOBS=${QC_JOBS:-$(nproc)}
LOGS="$QC_BUILD/bench-logs"
RESULTS="$LOGS/results.txt"
QC_XVFB_PID=""
OWN_WINESERVER=0

cleanup() {
    [ "$OWN_WINESERVER" -eq 1 ] && qc_stop_wineserver
    qc_stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$LOGS"
: >"$RESULTS"

# curl is the web page client's yardstick (bench_http.sh); only the benchmarks need it.
qc_ensure_packages curl || { echo "package installation failed" >&2; exit 1; }
qc_ensure_prefix || exit 1

# --- build ------------------------------------------------------------------------------------------------------
BENCH_TARGETS=$(sed -n 's/^add_executable(\([A-Za-z0-9_]*\).*/\1/p' bench/CMakeLists.txt)
qc_log "building Quillcrest.exe and the benchmark programs in $BUILD"
if ! cmake -S "$QC_ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$QC_ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DQUILLCREST_WINEPREFIX="$WINEPREFIX" >"$LOGS/configure.log" 2>&1 ||
    ! cmake --build "$BUILD" -j "$JOBS" --target Quillcrest $BENCH_TARGETS >"$LOGS/build.log" 2>&1; then
    qc_log "Windows build failed; the end of $LOGS/configure.log and $LOGS/build.log:"
    tail -n 30 "$LOGS/configure.log" "$LOGS/build.log" >&2
    exit 1
fi

qc_start_xvfb 150 190 || exit 1
wineserver -p >/dev/null 2>&1 && OWN_WINESERVER=1
wine cmd /c exit >/dev/null 2>&1

# --- running ----------------------------------------------------------------------------------------------------
# Runs one benchmark, keeps its whole output in a log, and adds its result lines to the results; a benchmark
# that ends without any is listed as failed with the end of its log.
run_bench() {  # name command...
    local name=$1 log="$LOGS/$1.log" status
    shift
    qc_log "benchmark: $name"
    "$@" >"$log" 2>&1
    status=$?
    local found
    found=$(grep -E '^BENCH\|' "$log" | tr -d '\r')
    if [ -z "$found" ]; then
        # The HTML view's benchmark: "... median M ms ..." against one frame of 16 ms.
        found=$(grep -E 'parse \+ layout \+ paint median [0-9.]+ ms' "$log" | head -n 1 |
            sed -E 's/^report of ([0-9]+) servers.*median ([0-9.]+) ms.*/\1 \2/' |
            awk '{ printf "BENCH|HTML view: report of %s servers, parse + layout + paint|%s ms median|< 16 ms (one frame)|%.3f x|%s\n", $1, $2, $2 / 16, ($2 < 16 ? "met" : "NOT met") }')
    fi
    if [ -z "$found" ]; then
        # A benchmark added later that prints no result line: its last line, and whether it ended well.
        local last
        last=$(grep -v '^[[:space:]]*$' "$log" | tail -n 1 | tr -d '\r|' | cut -c1-100)
        found="BENCH|$name|${last:-no output}|see $name.log|-|$([ "$status" -eq 0 ] && echo "ended well" || echo "failed (exit $status)")"
        [ "$status" -ne 0 ] && tail -n 5 "$log" | sed 's/^/    /' >&2
    fi
    printf '%s\n' "$found" >>"$RESULTS"
}

run_bench watch_tick wine "$BUILD/bench/watch_tick_bench.exe"
run_bench leak_run wine "$BUILD/bench/leak_run.exe"
run_bench lookup_run wine "$BUILD/bench/lookup_run_bench.exe"
run_bench lookup_wait_cpu wine "$BUILD/bench/lookup_wait_cpu_bench.exe"
run_bench http_wait_cpu wine "$BUILD/bench/http_wait_cpu_bench.exe"
for target in $BENCH_TARGETS; do
    case "$target" in
        watch_tick_bench | leak_run | lookup_run_bench | lookup_wait_cpu_bench | http_wait_cpu_bench) continue ;;
        resolver_wait_cpu_bench) continue ;;  # needs a silent resolver: scripts/bench_resolver_wait.sh runs it
    esac
    run_bench "$target" wine "$BUILD/bench/$target.exe"
done
for script in scripts/bench_*.sh; do
    name=$(basename "$script" .sh)
    case "$name" in
        bench_idle) continue ;;
        *) run_bench "$name" bash "$script" ;;
    esac
done
# Last, so the builds and runs before it do not disturb it; the whole duration unless shortened.
run_bench bench_idle bash scripts/bench_idle.sh "$IDLE_SECONDS" "$BUILD"

# --- the table --------------------------------------------------------------------------------------------------
echo
awk -F'|' '
    { name[NR] = $2; figure[NR] = $3; goal[NR] = $4; ratio[NR] = $5; verdict[NR] = $6
      if (length($2) > w1) w1 = length($2); if (length($3) > w2) w2 = length($3); if (length($4) > w3) w3 = length($4) }
    END {
        if (w1 < 9) w1 = 9; if (w2 < 6) w2 = 6; if (w3 < 4) w3 = 4
        fmt = "%-" w1 "s  %-" w2 "s  %-" w3 "s  %-8s  %s\n"
        printf fmt, "benchmark", "figure", "goal", "ratio", "verdict"
        line = sprintf(fmt, "", "", "", "", ""); gsub(/./, "-", line); print substr(line, 1, w1 + w2 + w3 + 23)
        for (i = 1; i <= NR; i++) printf fmt, name[i], figure[i], goal[i], ratio[i], verdict[i]
    }' "$RESULTS"
[ "$IDLE_SECONDS" -ne 600 ] && echo "(idle run shortened to $IDLE_SECONDS s; its goal is scaled to that duration)"
echo "logs: $LOGS"
