#!/usr/bin/env bash
# The reference lookup service under attack (a benchmark, not a test): an optimised build of the service on
# loopback, flooded for about 20 s each by junk, by valid requests from thousands of sources, and by requests
# whose reverse lookups never answer, while one well-behaved client asks once a second; then SIGTERM during a
# flood. scripts/bench_lookupd_load.py does the sending and measuring and prints "BENCH|..." result lines for
# scripts/bench.sh.
#
# Everything runs in a network namespace of its own that has nothing but loopback, with a resolv.conf that
# names only a local name server which never answers and a hosts file that names the client's server, so no
# lookup can leave the machine. Needs unshare(1) and ip(8); about 90 s in all, plus the build.
# Usage (from anywhere): scripts/bench_lookupd.sh [SECONDS_PER_FLOOD]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Without the sanitizers of the native test build: the figures are the service's, not ASan's.
g++ -std=c++17 -O2 -DNDEBUG -pthread -I "$root/services/lookupd/src" -I "$root/src" \
    "$root"/services/lookupd/src/*.cpp -lGeoIP -o "$work/quillcrest-lookupd"

printf 'nameserver 127.0.0.1\n' >"$work/resolv.conf"
printf '127.0.0.1 localhost\n1.2.3.4 resolver1.bench.example\n' >"$work/hosts"

namespaces="unshare --mount --net"
[ "$(id -u)" -ne 0 ] && namespaces="unshare --map-root-user --mount --net"
$namespaces sh -c '
    set -e
    ip link set lo up
    mount --bind "$1/resolv.conf" /etc/resolv.conf
    mount --bind "$1/hosts" /etc/hosts
    exec python3 "$2" --service "$1/quillcrest-lookupd" --rogue-list "$3" --work "$1" --seconds "$4"
' sh "$work" "$root/scripts/bench_lookupd_load.py" "$root/services/lookupd/rogue-servers.txt" "$seconds"
