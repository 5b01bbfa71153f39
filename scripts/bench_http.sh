#!/usr/bin/env bash
# Throughput of the web page client against curl on the same pages in the same run (a benchmark, not a test).
# Fetches an 8 MiB page with Content-Length (from nginx when it is installed, else from the scripted server),
# and chunked and close-delimited from a fast scripted loopback server; prints each throughput (median of RUNS
# fetches, each a process of its own, alternating the fetchers) and the ratios. Goal: at least 0.9 x curl.
# Anchors: curl -o /dev/null keeps nothing; curl into a file in /dev/shm keeps the body in memory the kernel
# owns; the bare receive (bench_http_bare_receive.cpp) receives every byte straight into memory of its own and
# reads no HTTP at all, which is the least a client that keeps the page can do. The goal holds against both
# curls; the bare receive tells the client's own cost apart from what fresh memory costs on the machine.
# Then each body mode once more in warm processes, as in the program, whose client lives as long as it does: one
# client fetching WARM_FIRST + RUNS times in one process, against one curl fetching as often in one process; the
# median of the fetches after the first WARM_FIRST, which find their memory already mapped.
# Prints "BENCH|..." result lines for scripts/bench.sh.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT="$ROOT/build/bench-http"
RUNS=${RUNS:-15}
WARM_FIRST=${WARM_FIRST:-5}
SIZE=$((8 * 1024 * 1024))
source "$(dirname "${BASH_SOURCE[0]}")/environment.sh"
PIDS=()
SHM_FILE=/dev/shm/quillcrest-bench-http-$$.bin

cleanup() {
    rm -f "$SHM_FILE"
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap cleanup EXIT

mkdir -p "$OUT"
cd "$ROOT"

# The fetcher: the client's portable sources over POSIX sockets, optimised, without sanitizers.
sources=()
# The client and the text utilities it uses.
for f in src/http/*.cpp src/settings/*.cpp; do
    case "$f" in *_win.cpp) ;; *) sources+=("$f") ;; esac
done
g++ -std=c++17 -O2 -DNDEBUG -I src -I tests scripts/bench_http_fetch.cpp "${sources[@]}" -o "$OUT/fetch"
g++ -std=c++17 -O2 -DNDEBUG scripts/bench_http_bare_receive.cpp -o "$OUT/bare-receive"

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

wait_for_port() {  # port
    local i
    for i in $(seq 1 100); do
        (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
        sleep 0.05
    done
    echo "nothing listens on port $1" >&2
    return 1
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Each fetcher's one fetch, printing "status size seconds".
fetch_client() {  # url
    "$OUT/fetch" "$1" 1
}
fetch_bare() {  # url
    local rest=${1#http://}
    local hostPort=${rest%%/*}
    "$OUT/bare-receive" "${hostPort%:*}" "${hostPort#*:}" "/${rest#*/}" $((SIZE * 2))
}
fetch_curl_null() {  # url
    curl -s -o /dev/null -w '%{http_code} %{size_download} %{time_total}\n' "$1"
}
fetch_curl_memory() {  # url
    curl -s -o "$SHM_FILE" -w '%{http_code} %{size_download} %{time_total}\n' "$1"
    rm -f "$SHM_FILE"
}
FETCHERS=(client bare curl_null curl_memory)

# The warm fetchers: WARM_FIRST + RUNS fetches in one process, printing the last RUNS "status size seconds".
warm_client() {  # url
    "$OUT/fetch" "$1" $((WARM_FIRST + RUNS)) | tail -n "$RUNS"
}
warm_curl() {  # url output
    local args=() i
    for i in $(seq 1 $((WARM_FIRST + RUNS))); do args+=(-o "$2" "$1"); done
    curl -s -w '%{http_code} %{size_download} %{time_total}\n' "${args[@]}" | tail -n "$RUNS"
}
warm_curl_null() {  # url
    warm_curl "$1" /dev/null
}
warm_curl_memory() {  # url
    warm_curl "$1" "$SHM_FILE"
    rm -f "$SHM_FILE"
}
WARM_FETCHERS=(client curl_null curl_memory)

# The median seconds of a fetcher's times file, after checking every fetch: a 200 of SIZE bytes (the bare
# receive counts chunk framing too, so at least SIZE).
median_seconds() {  # fetcher
    local file="$OUT/$1.times" exact=1
    [ "$1" = bare ] && exact=0
    awk -v size="$SIZE" -v exact="$exact" '$1 != 200 || (exact ? $2 != size : $2 < size) {
        print "bad fetch: " $0 > "/dev/stderr"; exit 1 }' "$file" || return 1
    awk '{ print $3 }' "$file" | median
}

# Prints a fetcher's throughput against the client's, as text and as a result line; a goal of 0 marks a floor.
compare() {  # label anchor client-seconds anchor-seconds goal
    awk -v label="$1" -v anchor="$2" -v client="$3" -v seconds="$4" -v goal="$5" -v size="$SIZE" 'BEGIN {
        mib = size / 1048576
        printf "%-48s client %7.1f MiB/s   %-26s %7.1f MiB/s   ratio %.2f x\n", label, mib / client, anchor, mib / seconds, seconds / client
        printf "BENCH|HTTP: %s, against %s|client %.0f MiB/s vs %.0f MiB/s|%s|%.2f x|%s\n", label, anchor, mib / client, mib / seconds, goal ? ">= 0.90 x" : "(the floor)", seconds / client, !goal ? "-" : (seconds / client >= 0.9 ? "met" : "NOT met")
    }'
}

# Fetches RUNS times with each fetcher, every fetch a process of its own, alternating so that load from elsewhere
# hits all alike; then each warm fetcher once; prints throughputs and ratios.
report() {  # label url
    local label=$1 url=$2 fetcher i
    for fetcher in "${FETCHERS[@]}"; do : >"$OUT/$fetcher.times"; done
    for i in $(seq 1 "$RUNS"); do
        for fetcher in "${FETCHERS[@]}"; do
            "fetch_$fetcher" "$url" >>"$OUT/$fetcher.times"
        done
    done
    local client bare null inMemory
    client=$(median_seconds client) && bare=$(median_seconds bare) && null=$(median_seconds curl_null) &&
        inMemory=$(median_seconds curl_memory) || return 1
    compare "$label" "curl -o /dev/null" "$client" "$null" 1
    compare "$label" "curl into /dev/shm" "$client" "$inMemory" 1
    compare "$label" "bare receive into memory" "$client" "$bare" 0

    for fetcher in "${WARM_FETCHERS[@]}"; do
        "warm_$fetcher" "$url" >"$OUT/$fetcher.times"
    done
    client=$(median_seconds client) && null=$(median_seconds curl_null) &&
        inMemory=$(median_seconds curl_memory) || return 1
    compare "$label, warm process" "curl -o /dev/null" "$client" "$null" 1
    compare "$label, warm process" "curl into /dev/shm" "$client" "$inMemory" 1
}

python3 scripts/bench_http_server.py "$SIZE" >"$OUT/server.port" &
PIDS+=($!)
for _ in $(seq 1 100); do [ -s "$OUT/server.port" ] && break; sleep 0.05; done
SCRIPTED_PORT=$(head -n 1 "$OUT/server.port")
wait_for_port "$SCRIPTED_PORT"

echo "8 MiB page, median of $RUNS fetches each"
if command -v nginx >/dev/null 2>&1; then
    NGINX_DIR="$OUT/nginx"
    NGINX_PORT=$(free_port)
    mkdir -p "$NGINX_DIR/www"
    python3 -c "import sys; sys.stdout.buffer.write(bytes((i * 7) & 0xFF for i in range(256)) * ($SIZE // 256))" >"$NGINX_DIR/www/page.bin"
    # The same server set-up the run command and the end-to-end tests use, on a port of its own; its readiness
    # probe asks for the two page names.
    touch "$NGINX_DIR/www/quillcrestinfo.html" "$NGINX_DIR/www/odnsad.html"
    QUILLCREST_MESSAGE_HOST="127.0.0.1:$NGINX_PORT" QUILLCREST_WEB_HOST="127.0.0.1:$NGINX_PORT" \
        qc_start_pages_server "$NGINX_DIR" "$NGINX_DIR/www" || exit 1
    PIDS+=("$QC_NGINX_PID")
    wait_for_port "$NGINX_PORT"
    LENGTH_URL="http://127.0.0.1:$NGINX_PORT/page.bin"
    LENGTH_LABEL="Content-Length (nginx)"
else
    LENGTH_URL="http://127.0.0.1:$SCRIPTED_PORT/length"
    LENGTH_LABEL="Content-Length (scripted server)"
fi
report "$LENGTH_LABEL" "$LENGTH_URL"
report "chunked (scripted server)" "http://127.0.0.1:$SCRIPTED_PORT/chunked"
report "to the close (scripted server)" "http://127.0.0.1:$SCRIPTED_PORT/close"
