#!/usr/bin/env bash
# Runs the DNS server scenario tests of the Windows test binary against chosen resolver configurations.
#
#   tests/windows/dns_scenarios.sh PATH_TO_quillcrest_win_tests.exe
#
# Wine reads /etc/resolv.conf once per process (and its wineserver holds on to it), so each scenario runs
# in a private mount namespace where a scratch file is bound over /etc/resolv.conf, with its own
# wineserver started inside that namespace. That server belongs to a separate copy of the Wine prefix,
# so the project's test prefix and its persistent wineserver are never touched. Needs root (or
# CAP_SYS_ADMIN) for unshare and mount.
set -u

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 PATH_TO_quillcrest_win_tests.exe" >&2
    exit 2
fi
test_exe=$(readlink -f "$1")

# shellcheck source=../../scripts/environment.sh
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/environment.sh"

# Without the rights for a private mount namespace no scenario can run: say so and fail rather than skip.
if ! unshare_error=$(unshare -m sh -c 'mount --bind /etc/resolv.conf /etc/resolv.conf' 2>&1); then
    echo "dns-scenarios: cannot run: no rights for 'unshare -m' and 'mount --bind' (run as root):" \
        "${unshare_error:-unshare failed}"
    echo "dns-scenarios: 0 passed, 1 failed"
    exit 1
fi

main_prefix="$WINEPREFIX"
qc_ensure_prefix || { echo "dns-scenarios: 0 passed, 1 failed"; exit 1; }
export WINEPREFIX="$main_prefix-dns"
# The copy is made again whenever its marker differs from the source prefix's (another set-up version, or a
# source prefix made anew since). The source prefix's wineserver may keep running meanwhile.
if ! cmp -s "$main_prefix/$QC_PREFIX_MARKER" "$WINEPREFIX/$QC_PREFIX_MARKER"; then
    [ -d "$WINEPREFIX" ] && echo "=== prefix copy $WINEPREFIX is stale; copying $main_prefix again"
    wineserver -k >/dev/null 2>&1
    rm -rf "$WINEPREFIX"
    # The marker goes last: a copy cut short is never taken for a current one.
    if ! { cp -a "$main_prefix" "$WINEPREFIX.tmp" && rm -f "$WINEPREFIX.tmp/$QC_PREFIX_MARKER" &&
           mv "$WINEPREFIX.tmp" "$WINEPREFIX" && cp "$main_prefix/$QC_PREFIX_MARKER" "$WINEPREFIX/"; }; then
        rm -rf "$WINEPREFIX.tmp"
        echo "dns-scenarios: could not copy $main_prefix to $WINEPREFIX"
        echo "dns-scenarios: 0 passed, 1 failed"
        exit 1
    fi
fi

work=$(mktemp -d)
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

# name | resolv.conf lines (";" separated) | the test's setting (VARIABLE=value) | the tests to run
# Only loopback servers (127.0.x.y) are named: Wine sends real lookups to the servers it is given, and nothing
# answers DNS on these loopback addresses, so those lookups fail at once and never leave the machine.
#  - zero: an IPv6-only configuration, because a file without nameserver lines makes the resolver fall
#    back to 127.0.0.1; IP Helper lists IPv4 servers only, so the first entry comes back empty.
#  - many: more servers than fit 584 bytes of IP_ADDR_STRING entries; the resolver library under Wine keeps
#    only the first three (glibc's MAXNS), so those three are what the platform reports.
many_lines=""
for i in $(seq 1 20); do many_lines+="nameserver 127.0.54.$i;"; done
#  - silent: a server that the test itself binds on a loopback address and never answers from, with a resolver
#    time-out longer than a page fetch's shortest one; QC_SILENT_RESOLVER tells the test where to bind it.
#  - ipv6: IPv6 servers beside an IPv4 one, which every adapter's server chain lists in the file's order.
listed="NetconfigDnsScenario.*"
scenarios=(
    "zero|nameserver ::1|QC_EXPECT_DNS=-|$listed"
    "one|nameserver 127.0.53.53|QC_EXPECT_DNS=127.0.53.53|$listed"
    "three|nameserver 127.0.53.1;nameserver 127.0.53.2;nameserver 127.0.53.3|QC_EXPECT_DNS=127.0.53.1,127.0.53.2,127.0.53.3|$listed"
    "many|${many_lines}|QC_EXPECT_DNS=127.0.54.1,127.0.54.2,127.0.54.3|$listed"
    "silent|nameserver 127.0.55.1;options timeout:3 attempts:1|QC_SILENT_RESOLVER=127.0.55.1|SilentResolverScenario.*"
    "ipv6|nameserver ::1;nameserver 127.0.53.9|QC_EXPECT_ADAPTER_DNS=127.0.53.9/::1|ResolutionDnsScenario.*"
)

passed=0
failed=0
for scenario in "${scenarios[@]}"; do
    IFS='|' read -r name lines setting filter <<<"$scenario"
    conf="$work/resolv-$name.conf"
    tr ';' '\n' <<<"$lines" >"$conf"
    echo "=== dns scenario '$name': $setting"

    wineserver -k >/dev/null 2>&1
    output=$(env "$setting" unshare -m sh -c \
        'mount --bind "$1" /etc/resolv.conf && exec wine "$2" --gtest_filter="$3"' \
        sh "$conf" "$test_exe" "$filter" 2>&1)
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
