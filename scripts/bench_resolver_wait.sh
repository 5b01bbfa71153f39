#!/usr/bin/env bash
# CPU time and timer ticks while the lookup client waits for a name lookup that the resolver never answers (a
# benchmark, not a test). Runs bench/resolver_wait_cpu_bench_win.cpp in a private mount namespace whose
# /etc/resolv.conf names one loopback server with a 2 s time-out; the program binds that server and never
# answers, so no lookup ever leaves loopback. Needs root (or CAP_SYS_ADMIN) for unshare and mount.
#
# Usage: bench_resolver_wait.sh [WINDOWS_BUILD_DIR]   (default build/bench-win, as scripts/bench.sh builds it)
# Uses DISPLAY and WINEPREFIX as scripts/bench.sh sets them. Prints the program's "BENCH|..." result line.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"

BUILD=${1:-${QC_BENCH_BUILD:-$QC_BUILD/bench-win}}
SILENT_SERVER=127.0.55.1
exe="$BUILD/bench/resolver_wait_cpu_bench.exe"
if [ ! -f "$exe" ]; then
    echo "usage: $0 [WINDOWS_BUILD_DIR] (no $exe)" >&2
    exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'nameserver %s\noptions timeout:2 attempts:1\n' "$SILENT_SERVER" >"$work/resolv.conf"
QC_SILENT_RESOLVER=$SILENT_SERVER unshare -m sh -c 'mount --bind "$1" /etc/resolv.conf && exec wine "$2"' \
    sh "$work/resolv.conf" "$exe"
