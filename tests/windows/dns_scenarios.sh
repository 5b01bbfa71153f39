#!/usr/bin/env bash
# Runs the DNS server scenario tests of the Windows test binary against chosen resolver configurations.
#
#   tests/windows/dns_scenarios.sh PATH_TO_quillcrest_win_tests.exe
#
# Wine reads /etc/resolv.conf once per process (and its wineserver holds on to it), so each scenario runs
# in a private mount namespace where a scratch file is bound over /etc/resolv.conf, with its own
# wineserver started inside that namespace. That server belongs to a separate copy of the Wine prefix,
# so the project's main prefix and its persistent wineserver are never touched. Needs root for unshare.
set -u

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 PATH_TO_quillcrest_win_tests.exe" >&2
    exit 2
fi
test_exe=$(readlink -f "$1")

# shellcheck source=../../scripts/environment.sh
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/environment.sh"
main_prefix="$WINEPREFIX"
qc_ensure_prefix
export WINEPREFIX="$main_prefix-dns"
# The copy is made once; the main prefix's wineserver may keep running meanwhile.
[ -d "$WINEPREFIX" ] || cp -a "$main_prefix" "$WINEPREFIX"

work=$(mktemp -d)
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT

# name | resolv.conf lines (";" separated) | expected list ("-" for none)
# The servers are documentation addresses off the host's own subnet: the lookups Wine makes by itself then
# fail at once instead of waiting for an answer from the local network.
#  - zero: an IPv6-only configuration, because a file without nameserver lines makes the resolver fall
#    back to 127.0.0.1; IP Helper lists IPv4 servers only, so the first entry comes back empty.
#  - many: more servers than fit 584 bytes of IP_ADDR_STRING entries; the resolver library under Wine keeps
#    only the first three (glibc's MAXNS), so those three are what the platform reports.
many_lines=""
for i in $(seq 1 20); do many_lines+="nameserver 198.51.100.$i;"; done
scenarios=(
    "zero|nameserver ::1|-"
    "one|nameserver 203.0.113.53|203.0.113.53"
    "three|nameserver 203.0.113.1;nameserver 203.0.113.2;nameserver 203.0.113.3|203.0.113.1,203.0.113.2,203.0.113.3"
    "many|${many_lines}|198.51.100.1,198.51.100.2,198.51.100.3"
)

passed=0
failed=0
for scenario in "${scenarios[@]}"; do
    IFS='|' read -r name lines expected <<<"$scenario"
    conf="$work/resolv-$name.conf"
    tr ';' '\n' <<<"$lines" >"$conf"
    echo "=== dns scenario '$name': expecting '${expected}'"

    wineserver -k >/dev/null 2>&1
    output=$(QC_EXPECT_DNS="$expected" unshare -m sh -c \
        'mount --bind "$1" /etc/resolv.conf && exec wine "$2" --gtest_filter="NetconfigDnsScenario.*"' \
        sh "$conf" "$test_exe" 2>&1)
    status=$?
    wineserver -k >/dev/null 2>&1
    echo "$output"

    ok=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' <<<"$output" | tail -n 1)
    bad=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\{0,1\}, listed below.*/\1/p' <<<"$output" | tail -n 1)
    skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\{0,1\}, listed below.*/\1/p' <<<"$output" | tail -n 1)
    ok=${ok:-0}
    bad=${bad:-0}
    # A skipped scenario test compared nothing, and a run that ended without its summary failed as a whole.
    bad=$((bad + ${skipped:-0}))
    if [ "$ok" -eq 0 ] && [ "$bad" -eq 0 ]; then
        bad=1
    elif [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then
        bad=1
    fi
    passed=$((passed + ok))
    failed=$((failed + bad))
done

echo "dns-scenarios: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
